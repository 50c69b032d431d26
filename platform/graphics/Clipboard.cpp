#include "platform/graphics/Clipboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/base/Exceptions.h"
#include "platform/base/Streams.h"
#include "platform/base/SysUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/BitmapQt.h"

namespace {

constexpr TClipboardFormat kFirstNamedFormat = 0xC000;

struct NamedFormats {
  std::mutex Lock;
  std::vector<std::string> Names;  // index + 0xC000 is the format
};

NamedFormats& TheNamedFormats() {
  static NamedFormats formats;
  return formats;
}

using Block = std::pair<TClipboardFormat, std::vector<Byte>>;
using Blocks = std::vector<Block>;

// Named formats travel under the MIME type other desktop programs use for
// formats of that kind.
QString MimeTypeOf(const std::string& Name) {
  return QStringLiteral("application/x-qt-windows-mime;value=\"") + QString::fromLatin1(Name) +
         QStringLiteral("\"");
}

bool HasGuiClipboard() { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr; }

// The clipboard's contents when no desktop clipboard is there.
Blocks& ProcessClipboard() {
  static Blocks blocks;
  return blocks;
}

void Publish(const Blocks& blocks) {
  if (!HasGuiClipboard()) {
    ProcessClipboard() = blocks;
    return;
  }
  auto mime = std::make_unique<QMimeData>();
  for (const auto& [format, data] : blocks) {
    if (format == CF_BITMAP) {
      TBitmap bitmap;
      TMemoryStream stream;
      stream.WriteBuffer(data.data(), int(data.size()));
      stream.SetPosition(0);
      bitmap.LoadFromStream(&stream);
      mime->setImageData(BitmapToQImage(bitmap));
    } else {
      std::string name = ClipboardFormatName(format);
      if (name.empty()) continue;
      mime->setData(MimeTypeOf(name),
                    QByteArray(reinterpret_cast<const char*>(data.data()), qsizetype(data.size())));
    }
  }
  QGuiApplication::clipboard()->setMimeData(mime.release());
}

Blocks Collect() {
  if (!HasGuiClipboard()) return ProcessClipboard();
  Blocks blocks;
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  if (mime == nullptr) return blocks;
  if (mime->hasImage()) {
    TBitmap bitmap;
    QImageToBitmap(qvariant_cast<QImage>(mime->imageData()), bitmap);
    TMemoryStream stream;
    bitmap.SaveToStream(&stream);
    const Byte* bytes = static_cast<const Byte*>(stream.Memory());
    blocks.emplace_back(CF_BITMAP, std::vector<Byte>(bytes, bytes + stream.Size()));
  }
  const QString prefix = QStringLiteral("application/x-qt-windows-mime;value=\"");
  for (const QString& type : mime->formats()) {
    if (!type.startsWith(prefix) || !type.endsWith(QLatin1Char('"'))) continue;
    std::string name = type.mid(prefix.size(), type.size() - prefix.size() - 1).toStdString();
    QByteArray data = mime->data(type);
    blocks.emplace_back(RegisterClipboardFormat(name),
                        std::vector<Byte>(data.constData(), data.constData() + data.size()));
  }
  return blocks;
}

// Pending writes of the open session.
Blocks& Pending() {
  static Blocks blocks;
  return blocks;
}

// Keeps a session open for one operation.
class Session {
 public:
  explicit Session(TClipboard* Clip) : FClip(Clip) { FClip->Open(); }
  ~Session() { FClip->Close(); }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

 private:
  TClipboard* FClip;
};

}  // namespace

TClipboardFormat RegisterClipboardFormat(const std::string& Name) {
  NamedFormats& formats = TheNamedFormats();
  std::lock_guard guard(formats.Lock);
  for (std::size_t i = 0; i < formats.Names.size(); ++i)
    if (SameText(formats.Names[i], Name)) return TClipboardFormat(kFirstNamedFormat + i);
  if (formats.Names.size() >= 0x4000) throw EOutOfResources("Out of system resources");
  formats.Names.push_back(Name);
  return TClipboardFormat(kFirstNamedFormat + formats.Names.size() - 1);
}

std::string ClipboardFormatName(TClipboardFormat Format) {
  NamedFormats& formats = TheNamedFormats();
  std::lock_guard guard(formats.Lock);
  if (Format < kFirstNamedFormat || std::size_t(Format - kFirstNamedFormat) >= formats.Names.size())
    return {};
  return formats.Names[Format - kFirstNamedFormat];
}

void TClipboard::Open() {
  if (FOpenCount++ == 0) {
    FEmptied = false;
    Pending().clear();
  }
}

void TClipboard::Close() {
  if (FOpenCount == 0) return;
  if (--FOpenCount > 0) return;
  if (FEmptied) {
    Blocks blocks = std::move(Pending());
    Pending().clear();
    FEmptied = false;
    Publish(blocks);
  }
}

void TClipboard::Adding() {
  if (!FEmptied) {
    Pending().clear();
    FEmptied = true;
  }
}

void TClipboard::Clear() {
  Session session(this);
  Pending().clear();
  FEmptied = true;
}

void TClipboard::SetBlock(TClipboardFormat Format, const std::vector<Byte>& Data) {
  Session session(this);
  Adding();
  Blocks& pending = Pending();
  std::erase_if(pending, [&](const Block& b) { return b.first == Format; });
  pending.emplace_back(Format, Data);
}

std::vector<Byte> TClipboard::GetBlock(TClipboardFormat Format) const {
  for (auto& [format, data] : FEmptied ? Pending() : Collect())
    if (format == Format) return data;
  return {};
}

bool TClipboard::HasFormat(TClipboardFormat Format) const {
  for (const auto& block : FEmptied ? Pending() : Collect())
    if (block.first == Format) return true;
  return false;
}

std::vector<TClipboardFormat> TClipboard::Formats() const {
  std::vector<TClipboardFormat> formats;
  for (const auto& block : FEmptied ? Pending() : Collect()) formats.push_back(block.first);
  return formats;
}

void TClipboard::Assign(TPersistent* Source) {
  TGraphic* graphic = dynamic_cast<TGraphic*>(Source);
  if (auto* picture = dynamic_cast<TPicture*>(Source)) graphic = picture->Graphic();
  if (graphic == nullptr) {
    if (dynamic_cast<TPicture*>(Source) != nullptr) {
      Clear();
      return;
    }
    TPersistent::Assign(Source);
    return;
  }
  Session session(this);
  Adding();
  TClipboardFormat format = 0;
  std::vector<Byte> data;
  graphic->SaveToClipboardFormat(format, data);
  if (format != 0) SetBlock(format, data);
}

void TClipboard::AssignTo(TPersistent* Dest) {
  Session session(this);
  if (auto* picture = dynamic_cast<TPicture*>(Dest)) {
    for (TClipboardFormat format : Formats()) {
      if (TPicture::SupportsClipboardFormat(format)) {
        picture->LoadFromClipboardFormat(format, GetBlock(format));
        return;
      }
    }
    throw EInvalidGraphic(SUnknownClipboardFormat);
  }
  if (auto* graphic = dynamic_cast<TGraphic*>(Dest)) {
    std::vector<TClipboardFormat> formats = Formats();
    for (TClipboardFormat format : formats) {
      TGraphicClass graphicClass = TPicture::ClipboardFormatClass(format);
      if (graphicClass != nullptr && *graphicClass->Type == typeid(*graphic)) {
        graphic->LoadFromClipboardFormat(format, GetBlock(format));
        return;
      }
    }
    for (TClipboardFormat format : formats) {
      if (format == CF_BITMAP) {
        graphic->LoadFromClipboardFormat(CF_BITMAP, GetBlock(CF_BITMAP));
        return;
      }
    }
    throw EInvalidGraphic(SUnknownClipboardFormat);
  }
  TPersistent::AssignTo(Dest);
}

TClipboard* Clipboard() {
  static TClipboard clipboard;
  return &clipboard;
}
