#pragma once
// Platform-internal: the Qt font behind a TFont. Only platform .cpp files
// include this.
#include <QFont>
#include <QFontMetrics>
#include <QString>

#include <array>
#include <string>

#include "platform/graphics/Font.h"

struct TFontCache {
  QFont Font;
  QFontMetrics Metrics;
  explicit TFontCache(const QFont& F) : Font(F), Metrics(F) { FAdvances.fill(-1); }

  // A character's advance on its own: what breaking a line adds up to guess
  // where the line ends before measuring it (which kerning makes differ).
  int Advance(QChar C) const {
    if (C.unicode() >= FAdvances.size()) return Metrics.horizontalAdvance(C);
    int& a = FAdvances[C.unicode()];
    if (a < 0) a = Metrics.horizontalAdvance(C);
    return a;
  }

 private:
  mutable std::array<int, 256> FAdvances;  // -1: not measured yet
};

// The Qt font drawing a TFont (made on first use, dropped on every change).
inline const QFont& QtFont(const TFont& Font) { return Font.Cache().Font; }
inline const QFontMetrics& QtFontMetrics(const TFont& Font) { return Font.Cache().Metrics; }

inline QString QtLatin1(const std::string& Text) {
  return QString::fromLatin1(Text.data(), qsizetype(Text.size()));
}
