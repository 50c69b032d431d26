#include "PeerReader.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <exception>
#include <thread>

#include "CommandLine.h"
#include "PeerSession.h"
#include "platform/base/MainThread.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto PollInterval = std::chrono::milliseconds(20);

bool ParseMilliseconds(const std::string& Text, long& Value) {
  if (Text.empty()) return false;
  char* end = nullptr;
  Value = std::strtol(Text.c_str(), &end, 10);
  return end && *end == 0 && Value >= 0;
}

}  // namespace

TPeerReader::TPeerReader(TPeerSession& Session, int CommandFd, int AnswerFd, std::function<void()> Close)
    : FSession(Session), FCommandFd(CommandFd), FAnswerFd(AnswerFd), FClose(std::move(Close)) {}

void TPeerReader::Run(const std::function<bool()>& StartedUp) {
  while (!StartedUp()) std::this_thread::sleep_for(PollInterval);
  Answer("ready");
  std::string line;
  while (ReadLine(line)) {
    auto words = SplitCommandLine(line);
    if (!words) {
      Answer(AnswerError("unclosed quote"));
      continue;
    }
    if (words->empty()) continue;
    const std::string& verb = (*words)[0];
    if (verb == "quit" && words->size() == 1) {
      Synchronize(FClose);
      Answer(AnswerOk());
      return;
    }
    if (verb == "sleep" && words->size() == 2) {
      long ms = 0;
      if (!ParseMilliseconds((*words)[1], ms)) {
        Answer(AnswerError("sleep takes milliseconds"));
        continue;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(ms));
      Answer(AnswerOk());
      continue;
    }
    if ((verb == "wait-label" || verb == "wait-caption") && words->size() == 4) {
      Answer(WaitCaption(*words));
      continue;
    }
    const auto command = *words;
    Answer(OnUiThread([&] { return FSession.Execute(command); }));
  }
  // End of input: the program closes as it does at "Exit".
  Synchronize(FClose);
}

std::string TPeerReader::WaitCaption(const std::vector<std::string>& Words) {
  const std::string& name = Words[1];
  const std::string& wanted = Words[2];
  long ms = 0;
  if (!ParseMilliseconds(Words[3], ms)) return AnswerError(Words[0] + " takes milliseconds");
  const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
  std::string caption;
  while (true) {
    bool found = false;
    std::string failure = OnUiThread([&] {
      found = FSession.ReadCaption(name, caption);
      return std::string();
    });
    if (!failure.empty()) return failure;
    if (!found) return AnswerError("no control named " + name);
    if (caption == wanted) return AnswerOk(JsonString(caption));
    if (Clock::now() >= deadline) break;
    std::this_thread::sleep_for(PollInterval);
  }
  return AnswerError(name + " is " + JsonString(caption) + " after " + Words[3] + " ms");
}

std::string TPeerReader::OnUiThread(const std::function<std::string()>& Call) {
  std::string answer;
  try {
    Synchronize([&] { answer = Call(); });
  } catch (const std::exception& e) {
    return AnswerError(std::string("raised: ") + e.what());
  }
  return answer;
}

bool TPeerReader::ReadLine(std::string& Line) {
  while (true) {
    const auto newline = FPending.find('\n');
    if (newline != std::string::npos) {
      Line = FPending.substr(0, newline);
      FPending.erase(0, newline + 1);
      return true;
    }
    if (FEnd) {
      if (FPending.empty()) return false;
      Line.swap(FPending);
      FPending.clear();
      return true;
    }
    char buffer[4096];
    const ssize_t got = ::read(FCommandFd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      FEnd = true;
      continue;
    }
    FPending.append(buffer, std::size_t(got));
  }
}

void TPeerReader::Answer(const std::string& Line) {
  std::string out = Line + "\n";
  const char* p = out.data();
  std::size_t left = out.size();
  while (left > 0) {
    const ssize_t put = ::write(FAnswerFd, p, left);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return;
    p += put;
    left -= std::size_t(put);
  }
}
