#include "CommandLine.h"

#include <cstdio>

std::optional<std::vector<std::string>> SplitCommandLine(const std::string& Line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  const std::size_t n = Line.size();
  while (true) {
    while (i < n && (Line[i] == ' ' || Line[i] == '\t' || Line[i] == '\r' || Line[i] == '\n')) ++i;
    if (i >= n) break;
    std::string word;
    if (Line[i] == '"') {
      ++i;
      bool closed = false;
      while (i < n) {
        char c = Line[i++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c == '\\' && i < n && (Line[i] == '"' || Line[i] == '\\')) c = Line[i++];
        word += c;
      }
      if (!closed) return std::nullopt;
    } else {
      while (i < n && Line[i] != ' ' && Line[i] != '\t' && Line[i] != '\r' && Line[i] != '\n')
        word += Line[i++];
    }
    words.push_back(std::move(word));
  }
  return words;
}

std::string JsonString(const std::string& S) {
  std::string out = "\"";
  for (unsigned char c : S) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || c >= 0x7F) {
          char buffer[8];
          std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
          out += buffer;
        } else {
          out += char(c);
        }
    }
  }
  out += '"';
  return out;
}

std::string JsonStringArray(const std::vector<std::string>& Items) {
  std::string out = "[";
  for (std::size_t i = 0; i < Items.size(); ++i) {
    if (i) out += ',';
    out += JsonString(Items[i]);
  }
  out += ']';
  return out;
}

std::string AnswerOk() { return "ok"; }

std::string AnswerOk(const std::string& JsonValue) { return "ok " + JsonValue; }

std::string AnswerError(const std::string& Message) { return "error " + JsonString(Message); }
