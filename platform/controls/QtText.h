#pragma once
// Platform-internal: the host's 8-bit text (one char a byte, Latin-1) to and
// from Qt strings. Only platform .cpp files include this.
#include <QString>

#include <string>

inline QString QtText(const std::string& Text) {
  return QString::fromLatin1(Text.data(), qsizetype(Text.size()));
}

// Characters outside Latin-1 become "?", as the host's 8-bit functions do.
inline std::string HostText(const QString& Text) {
  const QByteArray bytes = Text.toLatin1();
  return std::string(bytes.constData(), size_t(bytes.size()));
}
