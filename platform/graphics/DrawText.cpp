// Text on a canvas: TextOut, TextRect, the measurements, and DrawText with
// its format flags (alignment, single line, word and edit-control breaking,
// end ellipsis, '&' prefixes, measuring only).
#include <algorithm>
#include <vector>

#include "platform/graphics/Canvas.h"
#include "platform/graphics/CanvasSurfaceQt.h"
#include "platform/graphics/FontQt.h"

namespace {

constexpr const char* kEllipsis = "...";

// Draws one line of text with its cell's top-left at a device point.
void PaintTextLine(TCanvas& Canvas, QPoint TopLeft, const QString& Text, int UnderlineIndex,
                   bool Opaque) {
  const TFont& font = *Canvas.Font();
  const QFontMetrics& metrics = QtFontMetrics(font);
  const int width = metrics.horizontalAdvance(Text);
  const int height = metrics.height();
  const QRect cell(TopLeft, QSize(width, height));
  // Glyphs may reach outside their cell (italics, accents): leave them room.
  TSurfacePainter surface(Canvas, cell.adjusted(-height, -height, height, height));
  if (!surface.Active()) return;
  QPainter& painter = surface.Painter();
  if (Opaque && width > 0) painter.fillRect(cell, QColor::fromRgb(QtRgb(Canvas.BkColor())));
  const QColor color = QColor::fromRgb(QtRgb(font.Color()));
  painter.setFont(QtFont(font));
  painter.setPen(color);
  painter.drawText(QPoint(TopLeft.x(), TopLeft.y() + metrics.ascent()), Text);
  if (UnderlineIndex >= 0 && UnderlineIndex < Text.size()) {
    int x = TopLeft.x() + metrics.horizontalAdvance(Text.left(UnderlineIndex));
    int w = metrics.horizontalAdvance(Text.at(UnderlineIndex));
    int y = TopLeft.y() + metrics.ascent() + std::max(metrics.underlinePos(), 1);
    painter.fillRect(QRect(x, y, w, std::max(metrics.lineWidth(), 1)), color);
  }
  surface.Finish();
}

// The text as it shows: prefixes resolved, one underlined character at most.
struct TVisibleText {
  QString Text;
  int Underline = -1;  // index into Text
};

TVisibleText ResolvePrefixes(const std::string& Text, bool Prefixes) {
  TVisibleText visible;
  if (!Prefixes) {
    visible.Text = QtLatin1(Text);
    return visible;
  }
  for (std::size_t i = 0; i < Text.size(); ++i) {
    char c = Text[i];
    if (c == '&') {
      if (i + 1 >= Text.size()) break;  // a lone '&' at the end shows nothing
      ++i;
      c = Text[i];
      if (c != '&') visible.Underline = int(visible.Text.size());
    }
    visible.Text.append(QChar(uchar(c)));
  }
  return visible;
}

// One formatted line: a piece [Start, End) of the visible text.
struct TLine {
  int Start;
  int End;
};

std::vector<TLine> SplitParagraphs(const QString& Text) {
  std::vector<TLine> lines;
  int start = 0;
  for (int i = 0; i < Text.size(); ++i) {
    QChar c = Text.at(i);
    if (c != '\r' && c != '\n') continue;
    lines.push_back({start, i});
    if (c == '\r' && i + 1 < Text.size() && Text.at(i + 1) == '\n') ++i;
    start = i + 1;
  }
  lines.push_back({start, int(Text.size())});
  return lines;
}

// Breaks a paragraph into lines no wider than MaxWidth, between words; a
// word wider than a line stays whole unless BreakWords (then it is cut
// between characters). Blanks at a break are dropped.
void WrapParagraph(const QString& Text, TLine Paragraph, int MaxWidth, bool BreakWords,
                   const QFontMetrics& Metrics, std::vector<TLine>& Lines) {
  auto width = [&](int from, int to) { return Metrics.horizontalAdvance(Text.mid(from, to - from)); };
  int start = Paragraph.Start;
  const int end = Paragraph.End;
  if (start == end) {
    Lines.push_back(Paragraph);
    return;
  }
  while (start < end) {
    // Take words while they fit.
    int lineEnd = start;
    int pos = start;
    while (pos < end) {
      int wordEnd = pos;
      while (wordEnd < end && Text.at(wordEnd) == ' ') ++wordEnd;
      while (wordEnd < end && Text.at(wordEnd) != ' ') ++wordEnd;
      if (width(start, wordEnd) > MaxWidth && lineEnd > start) break;
      lineEnd = wordEnd;
      pos = wordEnd;
      if (width(start, lineEnd) > MaxWidth) break;  // a single word wider than the line
    }
    if (BreakWords && width(start, lineEnd) > MaxWidth) {
      // Cut the overlong first word after the last character that fits (at least one).
      int cut = start + 1;
      while (cut < lineEnd && width(start, cut + 1) <= MaxWidth) ++cut;
      lineEnd = cut;
    }
    int visibleEnd = lineEnd;
    while (visibleEnd > start && Text.at(visibleEnd - 1) == ' ') --visibleEnd;
    Lines.push_back({start, visibleEnd});
    start = lineEnd;
    while (start < end && Text.at(start) == ' ') ++start;
  }
}

}  // namespace

int TCanvas::TextWidth(const std::string& Text) { return TextExtent(Text).cx; }

int TCanvas::TextHeight(const std::string& Text) { return TextExtent(Text).cy; }

TSize TCanvas::TextExtent(const std::string& Text) {
  const QFontMetrics& metrics = QtFontMetrics(*FFont);
  return TSize{metrics.horizontalAdvance(QtLatin1(Text)), metrics.height()};
}

void TCanvas::TextOut(int X, int Y, const std::string& Text) {
  RequireSurface();
  TPoint d = LogicalToDevice(TPoint{X, Y});
  PaintTextLine(*this, QPoint(d.X, d.Y), QtLatin1(Text), -1, FState.BkMode == OPAQUE);
  FPenPos = TPoint{X + TextWidth(Text), Y};
}

void TCanvas::TextRect(const TRect& Rect, int X, int Y, const std::string& Text) {
  RequireSurface();
  SaveDC();
  try {
    IntersectClipRect(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
    // As the host's canvas: a solid brush fills the whole rectangle first.
    if (FBrush->Style() != bsClear && !Rect.IsEmpty()) {
      TPoint d = LogicalToDevice(TPoint{Rect.Left, Rect.Top});
      QRect area(d.X, d.Y, Rect.Width(), Rect.Height());
      TSurfacePainter surface(*this, area);
      if (surface.Active()) surface.Painter().fillRect(area, QColor::fromRgb(QtRgb(FState.BkColor)));
      surface.Finish();
    }
    TPoint d = LogicalToDevice(TPoint{X, Y});
    PaintTextLine(*this, QPoint(d.X, d.Y), QtLatin1(Text), -1, false);
  } catch (...) {
    RestoreDC(-1);
    throw;
  }
  RestoreDC(-1);
}

int TCanvas::DrawText(const std::string& Text, TRect& Rect, unsigned Format) {
  RequireSurface();
  const QFontMetrics& metrics = QtFontMetrics(*FFont);
  const TVisibleText visible = ResolvePrefixes(Text, (Format & DT_NOPREFIX) == 0);
  const QString& text = visible.Text;
  const bool singleLine = (Format & DT_SINGLELINE) != 0;
  const int maxWidth = Rect.Right - Rect.Left;
  const int lineHeight = metrics.height();

  std::vector<TLine> lines;
  if (singleLine) {
    lines.push_back({0, int(text.size())});
  } else {
    for (TLine paragraph : SplitParagraphs(text)) {
      if (Format & DT_WORDBREAK)
        WrapParagraph(text, paragraph, maxWidth, (Format & DT_EDITCONTROL) != 0, metrics, lines);
      else
        lines.push_back(paragraph);
    }
  }
  auto lineText = [&](const TLine& line) { return text.mid(line.Start, line.End - line.Start); };

  if (Format & DT_CALCRECT) {
    int widest = 0;
    for (const TLine& line : lines) widest = std::max(widest, metrics.horizontalAdvance(lineText(line)));
    Rect.Right = Rect.Left + widest;
    Rect.Bottom = Rect.Top + lineHeight * int(lines.size());
    return lineHeight * int(lines.size());
  }

  // An edit control shows no partly visible last line.
  if (!singleLine && (Format & DT_EDITCONTROL)) {
    int fitting = std::max(0, (Rect.Bottom - Rect.Top) / std::max(lineHeight, 1));
    if (int(lines.size()) > fitting) lines.resize(std::size_t(fitting));
  }

  const int textHeight = lineHeight * int(lines.size());
  int top = Rect.Top;
  if (singleLine && (Format & DT_BOTTOM))
    top = Rect.Bottom - textHeight;
  else if (singleLine && (Format & DT_VCENTER))
    top = (Rect.Top + Rect.Bottom - textHeight) / 2;

  SaveDC();
  try {
    if (!(Format & DT_NOCLIP)) IntersectClipRect(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
    const bool opaque = FState.BkMode == OPAQUE;
    int y = top;
    for (const TLine& line : lines) {
      QString shown = lineText(line);
      int underline = visible.Underline >= line.Start && visible.Underline < line.End
                          ? visible.Underline - line.Start
                          : -1;
      if ((Format & DT_END_ELLIPSIS) && metrics.horizontalAdvance(shown) > maxWidth) {
        // Keep the longest start of the line that fits with "..." after it.
        int keep = int(shown.size());
        while (keep > 0 && metrics.horizontalAdvance(shown.left(keep) + kEllipsis) > maxWidth) --keep;
        shown = shown.left(keep) + kEllipsis;
        if (underline >= keep) underline = -1;
      }
      int width = metrics.horizontalAdvance(shown);
      int x = Rect.Left;
      if (Format & DT_CENTER)
        x = Rect.Left + (maxWidth - width) / 2;
      else if (Format & DT_RIGHT)
        x = Rect.Right - width;
      TPoint d = LogicalToDevice(TPoint{x, y});
      PaintTextLine(*this, QPoint(d.X, d.Y), shown, underline, opaque);
      y += lineHeight;
    }
  } catch (...) {
    RestoreDC(-1);
    throw;
  }
  RestoreDC(-1);
  if (singleLine && (Format & (DT_VCENTER | DT_BOTTOM))) return top - Rect.Top + textHeight;
  return textHeight;
}
