// Runs a fuzz entry point without libFuzzer: every file of the corpus folders
// given on the command line, then deterministic mutations of each of them
// (bit flips, truncations, random bytes), so the ordinary test run keeps every
// reader honest against malformed input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>
#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<std::vector<uint8_t>> LoadCorpus(int argc, char** argv) {
  std::vector<std::vector<uint8_t>> inputs;
  for (int i = 1; i < argc; ++i) {
    std::filesystem::path p(argv[i]);
    std::vector<std::filesystem::path> files;
    if (std::filesystem::is_directory(p)) {
      for (const auto& e : std::filesystem::directory_iterator(p))
        if (e.is_regular_file()) files.push_back(e.path());
    } else if (std::filesystem::is_regular_file(p)) {
      files.push_back(p);
    }
    std::sort(files.begin(), files.end());
    for (const auto& f : files) {
      std::ifstream in(f, std::ios::binary);
      inputs.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
  }
  return inputs;
}

void Run(const std::vector<uint8_t>& v) { LLVMFuzzerTestOneInput(v.data(), v.size()); }

}  // namespace

int main(int argc, char** argv) {
  auto corpus = LoadCorpus(argc, argv);
  corpus.push_back({});
  std::mt19937 rng(12345);
  size_t runs = 0;
  for (const auto& seed : corpus) {
    Run(seed);
    ++runs;
    for (int round = 0; round < 300; ++round) {
      std::vector<uint8_t> m = seed;
      switch (rng() % 4) {
        case 0:  // flip a few bits
          for (int k = 0; k < 1 + int(rng() % 8) && !m.empty(); ++k) m[rng() % m.size()] ^= uint8_t(1u << (rng() % 8));
          break;
        case 1:  // truncate
          if (!m.empty()) m.resize(rng() % m.size());
          break;
        case 2:  // overwrite a run with random bytes (large values hit length fields)
          for (int k = 0; k < 1 + int(rng() % 16) && !m.empty(); ++k) m[rng() % m.size()] = uint8_t(rng() % 2 ? 0xFF : rng());
          break;
        default:  // random tail
          for (int k = 0, n = int(rng() % 64); k < n; ++k) m.push_back(uint8_t(rng()));
      }
      Run(m);
      ++runs;
    }
  }
  std::printf("replayed %zu inputs\n", runs);
  return 0;
}
