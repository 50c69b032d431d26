#include "platform/graphics/TextLines.h"

#include <QLatin1String>

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/graphics/FontQt.h"

namespace {

// An ellipsis cut first measures this many characters, then twice as many,
// until the start measured is wider than the box.
constexpr qsizetype kFirstProbe = 16;

int Width(const QString& Text, qsizetype From, qsizetype To, const TFontCache& Font) {
  return Font.Metrics.horizontalAdvance(Text.mid(From, To - From));
}

// What a character adds to a line by the guess: never nothing, so that the
// scan of a line always ends near its box, whatever the characters.
int Guess(const TFontCache& Font, QChar C) { return std::max(1, Font.Advance(C)); }

// The largest K in [Lo, Hi] for which Fits(K) holds, Fits holding up to some
// K and not beyond; Lo when nothing fits. The search starts at Guess and
// gallops from there, so a right guess costs two measurements.
template <class TFits>
qsizetype LastFitting(qsizetype Lo, qsizetype Hi, qsizetype Guess, TFits&& Fits) {
  Hi = std::max(Lo, Hi);
  Guess = std::clamp(Guess, Lo, Hi);
  qsizetype good = Lo;     // fits, or is the least there is
  qsizetype bad = Hi + 1;  // does not fit, or lies beyond the range
  if (Guess == Lo || Fits(Guess)) {
    good = Guess;
    for (qsizetype step = 1; good + step < bad; step *= 2) {
      if (!Fits(good + step)) {
        bad = good + step;
        break;
      }
      good += step;
    }
  } else {
    bad = Guess;
    for (qsizetype step = 1; bad - step > good; step *= 2) {
      if (Fits(bad - step)) {
        good = bad - step;
        break;
      }
      bad -= step;
    }
  }
  while (bad - good > 1) {
    const qsizetype mid = good + (bad - good) / 2;
    if (Fits(mid))
      good = mid;
    else
      bad = mid;
  }
  return good;
}

// The end of the word at Pos: its blanks, then its other characters.
qsizetype WordEnd(const QString& Text, qsizetype Pos, qsizetype End) {
  while (Pos < End && Text.at(Pos) == ' ') ++Pos;
  while (Pos < End && Text.at(Pos) != ' ') ++Pos;
  return Pos;
}

// Where the line that starts at Start ends: after the most words that fit
// MaxWidth (at least one). A first word wider than the line is cut after
// the most characters that fit (at least one) when BreakWords, and kept
// whole otherwise.
//
// The words are scanned while their guessed width stays within a margin of
// the box; the guess then picks the break, and measuring the line from its
// start confirms it or moves it a word at a time, so each line is measured
// a few times and never beyond about its own length.
qsizetype BreakLine(const QString& Text, qsizetype Start, qsizetype End, int MaxWidth, bool BreakWords,
                    const TFontCache& Font, std::vector<qsizetype>& Ends) {
  auto fitsTo = [&](qsizetype To) { return Width(Text, Start, To, Font) <= MaxWidth; };
  long long limit = std::max<long long>(16, (long long)MaxWidth + MaxWidth / 4 + 16);
  for (;;) {
    Ends.clear();
    qsizetype guessed = 0;     // words whose guessed width is within the box
    qsizetype partial = -1;    // where the scan stopped inside a word
    long long width = 0;
    for (qsizetype pos = Start; pos < End && width <= limit;) {
      qsizetype q = pos;
      bool blanks = true;  // still in the word's leading blanks
      while (q < End && width <= limit) {
        const QChar c = Text.at(q);
        if (c == ' ' && !blanks) break;
        if (c != ' ') blanks = false;
        width += Guess(Font, c);
        ++q;
      }
      if (q < End && !(Text.at(q) == ' ' && !blanks)) {
        partial = q;
        break;
      }
      Ends.push_back(q);
      if (width <= MaxWidth) guessed = qsizetype(Ends.size());
      pos = q;
    }
    // Something lies beyond the words scanned; the guess said it does not fit.
    const bool more = partial >= 0 || (!Ends.empty() && Ends.back() < End);
    const qsizetype beyond = partial >= 0 ? partial : (Ends.empty() ? End : Ends.back());

    qsizetype words = 0;
    if (!Ends.empty()) {
      words = LastFitting(1, qsizetype(Ends.size()), guessed,
                          [&](qsizetype k) { return fitsTo(Ends[std::size_t(k - 1)]); });
    }
    const bool allFit = words == qsizetype(Ends.size()) && (Ends.empty() || fitsTo(Ends.back()));
    if (more && allFit && fitsTo(beyond)) {
      // The guess was far off (kerning, or characters wider in a line than
      // alone): scan further.
      limit = limit * 2 + 64;
      continue;
    }
    if (words >= 1 && (words > 1 || fitsTo(Ends[0]))) return Ends[std::size_t(words - 1)];

    // The first word alone is wider than the line.
    const bool whole = !Ends.empty();
    const qsizetype known = whole ? Ends[0] : partial;  // wider than the line
    if (!BreakWords) return whole ? known : WordEnd(Text, known, End);
    qsizetype guess = Start;
    for (long long w = 0; guess < known && (w += Guess(Font, Text.at(guess))) <= MaxWidth;) ++guess;
    return LastFitting(Start + 1, known - 1, guess, fitsTo);
  }
}

}  // namespace

void TShownText::Reach(qsizetype Count) {
  const std::size_t size = FSource.size();
  if (!FPrefixes) {
    if (FText.size() >= Count || FRead >= size) return;
    const std::size_t take = std::min(size - FRead, std::size_t(Count - FText.size()));
    FText.append(QLatin1String(FSource.data() + FRead, qsizetype(take)));
    FRead += take;
    return;
  }
  while (FText.size() < Count && FRead < size) {
    char c = FSource[FRead++];
    if (c == '&') {
      if (FRead >= size) break;  // a lone '&' at the end shows nothing
      c = FSource[FRead++];
      if (c != '&') FUnderline = FText.size();
    }
    FText.append(QChar(uchar(c)));
  }
}

void TShownText::ReachEnd() {
  if (!FPrefixes) FText.reserve(qsizetype(FSource.size()));
  Reach(std::numeric_limits<qsizetype>::max());
}

qsizetype TShownText::Underline() const {
  if (!FPrefixes || Whole()) return FUnderline;
  // A prefix in what was not read yet marks a character beyond it.
  const char* p = FSource.data() + FRead;
  const char* end = FSource.data() + FSource.size();
  while ((p = static_cast<const char*>(std::memchr(p, '&', std::size_t(end - p)))) != nullptr) {
    if (p + 1 >= end) break;
    if (p[1] != '&') return std::numeric_limits<qsizetype>::max();
    p += 2;
  }
  return FUnderline;
}

qsizetype EllipsisKeep(TShownText& Shown, qsizetype From, qsizetype To, int MaxWidth, const TFontCache& Font) {
  const QString& text = Shown.Text();
  // The line's first N characters made available, or all it has when fewer.
  auto reach = [&](qsizetype N) {
    if (To >= 0) return std::min(N, To - From);
    Shown.Reach(From + N);
    return std::min(N, text.size() - From);
  };
  auto whole = [&](qsizetype N) { return To >= 0 ? N == To - From : Shown.Whole() && From + N == text.size(); };
  // Grow the start measured until it is wider than the box or is the line.
  qsizetype over = 0;  // a start that is too wide, "..." or not
  for (qsizetype probe = kFirstProbe;; probe *= 2) {
    const qsizetype n = reach(probe);
    if (Width(text, From, From + n, Font) > MaxWidth) {
      over = n;
      break;
    }
    if (whole(n)) return -1;
  }
  // Halve down to the longest start that fits with "..." after it.
  qsizetype keep = 0;
  while (over - keep > 1) {
    const qsizetype mid = keep + (over - keep) / 2;
    if (Font.Metrics.horizontalAdvance(text.mid(From, mid) + kEllipsis) <= MaxWidth)
      keep = mid;
    else
      over = mid;
  }
  return keep;
}

std::vector<TLine> SplitParagraphs(const QString& Text) {
  std::vector<TLine> lines;
  qsizetype start = 0;
  for (qsizetype i = 0; i < Text.size(); ++i) {
    const QChar c = Text.at(i);
    if (c != '\r' && c != '\n') continue;
    lines.push_back({start, i});
    if (c == '\r' && i + 1 < Text.size() && Text.at(i + 1) == '\n') ++i;
    start = i + 1;
  }
  lines.push_back({start, Text.size()});
  return lines;
}

void WrapParagraph(const QString& Text, TLine Paragraph, int MaxWidth, bool BreakWords, const TFontCache& Font,
                   std::vector<TLine>& Lines, std::size_t MaxLines) {
  qsizetype start = Paragraph.Start;
  const qsizetype end = Paragraph.End;
  if (Lines.size() >= MaxLines) return;
  if (start == end) {
    Lines.push_back(Paragraph);
    return;
  }
  std::vector<qsizetype> ends;  // kept across lines for its storage
  while (start < end && Lines.size() < MaxLines) {
    const qsizetype lineEnd = BreakLine(Text, start, end, MaxWidth, BreakWords, Font, ends);
    qsizetype visibleEnd = lineEnd;
    while (visibleEnd > start && Text.at(visibleEnd - 1) == ' ') --visibleEnd;
    Lines.push_back({start, visibleEnd});
    start = lineEnd;
    while (start < end && Text.at(start) == ' ') ++start;
  }
}
