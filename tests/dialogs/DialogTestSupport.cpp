#include "DialogTestSupport.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/base/SysUtils.h"

std::string FileBeside(const std::string& Name) { return ExecutableDir() + Name; }

std::string ReadWholeFile(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteWholeFile(const std::string& Path, const std::string& Bytes) {
  std::ofstream out(Path, std::ios::binary | std::ios::trunc);
  out.write(Bytes.data(), std::streamsize(Bytes.size()));
}

void RemoveBeside(const std::string& Name) {
  std::error_code ignored;
  std::filesystem::remove(FileBeside(Name), ignored);
}
