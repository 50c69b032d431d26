#include "platform/base/Profile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/base/SysUtils.h"
#include "platform/base/WholeFile.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

std::string TrimBlanks(const std::string& s, size_t begin, size_t end) {
  while (begin < end && IsBlank(s[begin])) ++begin;
  while (end > begin && IsBlank(s[end - 1])) --end;
  return s.substr(begin, end - begin);
}

// One line of a profile file: its bytes without and with the line break.
struct TProfileLine {
  size_t Begin;     // first byte
  size_t End;       // one past the last byte before the line break
  size_t Next;      // first byte of the next line
};

std::vector<TProfileLine> SplitLines(const std::string& text) {
  std::vector<TProfileLine> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = pos;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    size_t next = end;
    if (next < text.size()) {
      if (text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n') next += 2;
      else next += 1;
    }
    lines.push_back(TProfileLine{pos, end, next});
    pos = next;
  }
  return lines;
}

// What a line is: a section header, a key (with or without "="), or nothing
// (blank or comment).
struct TLineMeaning {
  enum { Other, Section, Key } Kind = Other;
  std::string Name;    // section or key name, blanks removed
  bool HasValue = false;
  size_t ValueBegin = 0, ValueEnd = 0;
};

TLineMeaning Classify(const std::string& text, const TProfileLine& line) {
  TLineMeaning m;
  size_t begin = line.Begin;
  while (begin < line.End && IsBlank(text[begin])) ++begin;
  if (begin == line.End || text[begin] == ';') return m;
  if (text[begin] == '[') {
    size_t close = text.rfind(']', line.End - 1);
    if (close != std::string::npos && close > begin) {
      m.Kind = TLineMeaning::Section;
      m.Name = TrimBlanks(text, begin + 1, close);
      return m;
    }
    // "[" without "]" is an ordinary key line.
  }
  m.Kind = TLineMeaning::Key;
  size_t equals = begin;
  while (equals < line.End && text[equals] != '=') ++equals;
  m.Name = TrimBlanks(text, begin, equals);
  if (equals < line.End) {
    m.HasValue = true;
    size_t vb = equals + 1, ve = line.End;
    while (vb < ve && IsBlank(text[vb])) ++vb;
    while (ve > vb && IsBlank(text[ve - 1])) --ve;
    m.ValueBegin = vb;
    m.ValueEnd = ve;
  }
  return m;
}

// Where a section and a key lie in a file's lines.
struct TProfilePlace {
  int SectionLine = -1;  // the "[Section]" line
  int LastLine = -1;     // the last key or comment line of the section
  int KeyLine = -1;      // the key's line
  TLineMeaning Key;
};

TProfilePlace Locate(const std::string& text, const std::vector<TProfileLine>& lines,
                     const std::string& section, const std::string& key) {
  TProfilePlace place;
  const std::string wantSection = Trim(section), wantKey = Trim(key);
  bool inside = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    TLineMeaning m = Classify(text, lines[i]);
    if (m.Kind == TLineMeaning::Section) {
      // Only the first section of that name counts.
      if (inside) break;
      if (place.SectionLine < 0 && !m.Name.empty() && CompareText(m.Name, wantSection) == 0) {
        inside = true;
        place.SectionLine = place.LastLine = int(i);
      }
      continue;
    }
    if (!inside) continue;
    bool blank = lines[i].Begin == lines[i].End ||
                 Trim(text.substr(lines[i].Begin, lines[i].End - lines[i].Begin)).empty();
    if (!blank) place.LastLine = int(i);
    if (m.Kind == TLineMeaning::Key && CompareText(m.Name, wantKey) == 0) {
      place.KeyLine = int(i);
      place.Key = m;
      break;
    }
  }
  return place;
}

bool ReadWholeFile(const std::string& fileName, std::string& text, bool& exists) {
  text.clear();
  exists = false;
  int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT;
  exists = true;
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    text.append(buffer, size_t(n));
  }
  ::close(fd);
  return true;
}

}  // namespace

std::string ProfileLookup(const std::string& Text, const std::string& Section, const std::string& Key,
                          bool& Found) {
  std::vector<TProfileLine> lines = SplitLines(Text);
  TProfilePlace place = Locate(Text, lines, Section, Key);
  Found = place.KeyLine >= 0 && place.Key.HasValue;
  if (!Found) return std::string();
  size_t begin = place.Key.ValueBegin, end = place.Key.ValueEnd;
  // One pair of matching quotes around the whole value is dropped.
  if (end - begin >= 2 && (Text[begin] == '"' || Text[begin] == '\'') && Text[end - 1] == Text[begin]) {
    ++begin;
    --end;
  }
  return Text.substr(begin, end - begin);
}

std::string ProfileUpdate(const std::string& Text, const std::string& Section, const std::string& Key,
                          const std::string& Value) {
  std::string value = Value;
  for (char& c : value)
    if (c == '\r' || c == '\n') c = ' ';
  std::vector<TProfileLine> lines = SplitLines(Text);
  // New lines end like the file's first line does (CR LF for a new file).
  std::string lineEnd = "\r\n";
  if (!lines.empty() && lines[0].Next > lines[0].End)
    lineEnd = Text.substr(lines[0].End, lines[0].Next - lines[0].End);

  TProfilePlace place = Locate(Text, lines, Section, Key);
  if (place.KeyLine >= 0) {
    const TProfileLine& line = lines[size_t(place.KeyLine)];
    return Text.substr(0, line.Begin) + place.Key.Name + "=" + value + Text.substr(line.End);
  }
  std::string keyLine = Trim(Key) + "=" + value;
  if (place.SectionLine >= 0) {
    const TProfileLine& last = lines[size_t(place.LastLine)];
    // The last line of a file may lack its line break.
    if (last.Next == last.End) return Text + lineEnd + keyLine + lineEnd;
    // The new line ends as the line before it does, so a lone CR cannot join
    // a following lone LF into one line break (and swallow an empty line).
    std::string ending = Text.substr(last.End, last.Next - last.End);
    return Text.substr(0, last.Next) + keyLine + ending + Text.substr(last.Next);
  }
  std::string out = Text;
  if (!out.empty() && out.back() != '\n' && out.back() != '\r') out += lineEnd;
  return out + "[" + Trim(Section) + "]" + lineEnd + keyLine + lineEnd;
}

std::string GetPrivateProfileString(const std::string& Section, const std::string& Key,
                                    const std::string& Default, const std::string& FileName,
                                    int MaxChars) {
  std::string text;
  bool exists = false;
  bool found = false;
  std::string value;
  if (ReadWholeFile(FileName, text, exists) && exists) value = ProfileLookup(text, Section, Key, found);
  if (!found) value = TrimRight(Default);
  if (MaxChars < 0) MaxChars = 0;
  if (value.size() > size_t(MaxChars)) value.resize(size_t(MaxChars));
  return value;
}

bool WritePrivateProfileString(const std::string& Section, const std::string& Key,
                               const std::string& Value, const std::string& FileName) {
  std::string text;
  bool exists = false;
  if (!ReadWholeFile(FileName, text, exists)) return false;
  return WriteFileWhole(FileName, ProfileUpdate(text, Section, Key, Value));
}
