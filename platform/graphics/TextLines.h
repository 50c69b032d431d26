#pragma once
// Platform-internal: how DrawText lays a text out. The '&' prefixes are
// resolved, a line is cut for an end ellipsis and paragraphs are broken into
// lines at a cost that follows what shows, not the text's length: a line cut
// for an ellipsis is read and measured only about twice as far as fits, and
// breaking measures each line a few times, never from its start once for
// every word on it.
#include <QString>

#include <cstddef>
#include <string>
#include <vector>

struct TFontCache;

// What an end ellipsis puts after the start of a line that it cuts.
inline constexpr const char* kEllipsis = "...";

// The text as it shows, read from its 8-bit source only as far as asked:
// prefixes resolved (when they count), one underlined character at most.
class TShownText {
 public:
  TShownText(const std::string& Source, bool Prefixes) : FSource(Source), FPrefixes(Prefixes) {}

  // Makes at least Count characters available; fewer only where the source ends.
  void Reach(qsizetype Count);
  void ReachEnd();
  const QString& Text() const { return FText; }
  // Every character of the source has been read.
  bool Whole() const { return FRead >= FSource.size(); }
  // The underlined character: the last one marked by a prefix, -1 for none.
  // One marked beyond what was read gives an index past Text()'s end.
  qsizetype Underline() const;

 private:
  const std::string& FSource;
  const bool FPrefixes;
  std::size_t FRead = 0;  // source bytes resolved into FText
  QString FText;
  qsizetype FUnderline = -1;
};

// How many first characters of a line an end ellipsis keeps: the most that
// fit MaxWidth with "..." after them (none, when not even one does); -1 when
// the whole line fits and is shown as it is. The line starts at From in the
// shown text and ends at To, or with the source when To is -1 (it is then
// read on demand).
qsizetype EllipsisKeep(TShownText& Shown, qsizetype From, qsizetype To, int MaxWidth,
                       const TFontCache& Font);

// One formatted line: a piece [Start, End) of the shown text.
struct TLine {
  qsizetype Start;
  qsizetype End;
};

// The text's paragraphs, split at CR LF, CR or LF.
std::vector<TLine> SplitParagraphs(const QString& Text);

// Breaks a paragraph into lines no wider than MaxWidth, between words; a
// word wider than a line stays whole unless BreakWords (then it is cut
// between characters). Blanks at a break are dropped. Appends lines to
// Lines until it holds MaxLines.
void WrapParagraph(const QString& Text, TLine Paragraph, int MaxWidth, bool BreakWords,
                   const TFontCache& Font, std::vector<TLine>& Lines, std::size_t MaxLines);
