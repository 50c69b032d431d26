#pragma once
// Platform-internal: the Qt font behind a TFont. Only platform .cpp files
// include this.
#include <QFont>
#include <QFontMetrics>
#include <QString>

#include <string>

#include "platform/graphics/Font.h"

struct TFontCache {
  QFont Font;
  QFontMetrics Metrics;
  explicit TFontCache(const QFont& F) : Font(F), Metrics(F) {}
};

// The Qt font drawing a TFont (made on first use, dropped on every change).
inline const QFont& QtFont(const TFont& Font) { return Font.Cache().Font; }
inline const QFontMetrics& QtFontMetrics(const TFont& Font) { return Font.Cache().Metrics; }

inline QString QtLatin1(const std::string& Text) {
  return QString::fromLatin1(Text.data(), qsizetype(Text.size()));
}
