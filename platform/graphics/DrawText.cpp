// Text on a canvas: TextOut, TextRect, the measurements, and DrawText with
// its format flags (alignment, single line, word and edit-control breaking,
// end ellipsis, '&' prefixes, measuring only).
#include <algorithm>
#include <limits>
#include <vector>

#include "platform/graphics/Canvas.h"
#include "platform/graphics/CanvasSurfaceQt.h"
#include "platform/graphics/FontQt.h"
#include "platform/graphics/TextLines.h"

namespace {

// Draws one line of text with its cell's top-left at a device point.
void PaintTextLine(TCanvas& Canvas, QPoint TopLeft, const QString& Text, qsizetype UnderlineIndex,
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
  const TFontCache& font = FFont->Cache();
  const QFontMetrics& metrics = font.Metrics;
  const bool singleLine = (Format & DT_SINGLELINE) != 0;
  const bool measureOnly = (Format & DT_CALCRECT) != 0;
  const int maxWidth = Rect.Right - Rect.Left;
  const int lineHeight = metrics.height();
  TShownText shown(Text, (Format & DT_NOPREFIX) == 0);
  // A single line cut by an ellipsis is read only as far as it shows, so
  // that a row costs the same however long its text; the rest read it all.
  const bool readOnDemand = singleLine && !measureOnly && (Format & DT_END_ELLIPSIS);
  if (!readOnDemand) shown.ReachEnd();
  const QString& text = shown.Text();

  std::vector<TLine> lines;
  if (singleLine) {
    lines.push_back({0, readOnDemand ? -1 : text.size()});
  } else {
    // An edit control shows no partly visible last line: the lines below
    // the last whole one are not even broken.
    std::size_t maxLines = std::numeric_limits<std::size_t>::max();
    if (!measureOnly && (Format & DT_EDITCONTROL))
      maxLines = std::size_t(std::max(0, (Rect.Bottom - Rect.Top) / std::max(lineHeight, 1)));
    for (TLine paragraph : SplitParagraphs(text)) {
      if (lines.size() >= maxLines) break;
      if (Format & DT_WORDBREAK)
        WrapParagraph(text, paragraph, maxWidth, (Format & DT_EDITCONTROL) != 0, font, lines, maxLines);
      else
        lines.push_back(paragraph);
    }
  }
  auto lineText = [&](const TLine& line) { return text.mid(line.Start, line.End - line.Start); };

  if (measureOnly) {
    int widest = 0;
    for (const TLine& line : lines) widest = std::max(widest, metrics.horizontalAdvance(lineText(line)));
    Rect.Right = Rect.Left + widest;
    Rect.Bottom = Rect.Top + lineHeight * int(lines.size());
    return lineHeight * int(lines.size());
  }

  const int textHeight = lineHeight * int(lines.size());
  int top = Rect.Top;
  if (singleLine && (Format & DT_BOTTOM))
    top = Rect.Bottom - textHeight;
  else if (singleLine && (Format & DT_VCENTER))
    top = (Rect.Top + Rect.Bottom - textHeight) / 2;

  SaveDC();
  try {
    const bool clipped = (Format & DT_NOCLIP) == 0;
    if (clipped) IntersectClipRect(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
    const bool opaque = FState.BkMode == OPAQUE;
    int y = top;
    for (const TLine& line : lines) {
      if (clipped && !singleLine && y >= Rect.Bottom) break;  // this line and the rest are clipped away
      QString piece;
      qsizetype keep = -1;  // characters kept before an ellipsis; -1: the whole line shows
      if (Format & DT_END_ELLIPSIS) keep = EllipsisKeep(shown, line.Start, line.End, maxWidth, font);
      if (keep >= 0)
        piece = text.mid(line.Start, keep) + kEllipsis;
      else
        piece = text.mid(line.Start, (line.End < 0 ? text.size() : line.End) - line.Start);
      const qsizetype marked = shown.Underline();
      qsizetype underline = -1;
      if (marked >= line.Start && (line.End < 0 || marked < line.End)) underline = marked - line.Start;
      if (keep >= 0 && underline >= keep) underline = -1;  // cut off with the rest
      int width = metrics.horizontalAdvance(piece);
      int x = Rect.Left;
      if (Format & DT_CENTER)
        x = Rect.Left + (maxWidth - width) / 2;
      else if (Format & DT_RIGHT)
        x = Rect.Right - width;
      TPoint d = LogicalToDevice(TPoint{x, y});
      PaintTextLine(*this, QPoint(d.X, d.Y), piece, underline, opaque);
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
