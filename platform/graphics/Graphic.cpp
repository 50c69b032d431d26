#include "platform/graphics/Graphic.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

#include "platform/base/Consts.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Streams.h"
#include "platform/base/SysUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/JpegImage.h"

std::string GraphicClassName(const std::type_info& Type) {
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> demangled(
      abi::__cxa_demangle(Type.name(), nullptr, nullptr, &status), std::free);
  std::string name = (status == 0 && demangled) ? demangled.get() : Type.name();
  auto colon = name.rfind("::");
  return colon == std::string::npos ? name : name.substr(colon + 2);
}

// ---------------------------------------------------------------- TGraphic

void TGraphic::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  Changed(this);
}

void TGraphic::SetModified(bool Value) {
  if (Value)
    Changed(this);
  else
    FModified = false;
}

void TGraphic::Changed(TObject*) {
  FModified = true;
  if (FOnChange) FOnChange(this);
}

void TGraphic::LoadFromFile(const std::string& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TGraphic::SaveToFile(const std::string& FileName) {
  TFileStream stream(FileName, fmCreate);
  SaveToStream(&stream);
}

void TGraphic::ReadData(TStream* Stream) { LoadFromStream(Stream); }
void TGraphic::WriteData(TStream* Stream) { SaveToStream(Stream); }

bool TGraphic::Equals(TGraphic* Graphic) {
  if (Graphic == nullptr || typeid(*Graphic) != typeid(*this)) return false;
  if (Empty() || Graphic->Empty()) return Empty() && Graphic->Empty();
  TMemoryStream mine, theirs;
  WriteData(&mine);
  Graphic->WriteData(&theirs);
  return mine.Size() == theirs.Size() &&
         std::memcmp(mine.Memory(), theirs.Memory(), std::size_t(mine.Size())) == 0;
}

// ---------------------------------------------------------------- registry

namespace {

struct FileFormat {
  std::string Extension;  // lower case, no dot
  std::string Description;
  TGraphicClass GraphicClass;
};

struct ClipboardFormat {
  TClipboardFormat Format;
  TGraphicClass GraphicClass;
};

// The picture container's registries. The host's own graphic classes are
// there from the start; the program adds its own at start-up.
struct Registry {
  std::mutex Lock;
  std::vector<FileFormat> Files;
  std::vector<ClipboardFormat> Clipboard;

  Registry() {
    Files.push_back({"bmp", "Bitmaps", GraphicClassOf<TBitmap>()});
    Files.push_back({"jpg", "JPEG Image File", GraphicClassOf<TJPEGImage>()});
    Files.push_back({"jpeg", "JPEG Image File", GraphicClassOf<TJPEGImage>()});
    Files.push_back({"ico", "Icon", GraphicClassOf<TIcon>()});
    Clipboard.push_back({CF_BITMAP, GraphicClassOf<TBitmap>()});
  }
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return s;
}

std::string ExtensionOf(const std::string& FileName) {
  std::string ext = ExtractFileExt(FileName);
  return ext.empty() ? ext : ext.substr(1);
}

}  // namespace

void TPicture::RegisterFileFormat(const std::string& Extension, const std::string& Description,
                                  TGraphicClass GraphicClass) {
  Registry& r = TheRegistry();
  std::lock_guard guard(r.Lock);
  std::string ext = Lower(Extension);
  std::erase_if(r.Files, [&](const FileFormat& f) { return f.Extension == ext; });
  r.Files.push_back({ext, Description, GraphicClass});
}

void TPicture::RegisterClipboardFormat(TClipboardFormat Format, TGraphicClass GraphicClass) {
  Registry& r = TheRegistry();
  std::lock_guard guard(r.Lock);
  std::erase_if(r.Clipboard, [&](const ClipboardFormat& f) { return f.Format == Format; });
  r.Clipboard.push_back({Format, GraphicClass});
}

void TPicture::UnregisterGraphicClass(TGraphicClass GraphicClass) {
  Registry& r = TheRegistry();
  std::lock_guard guard(r.Lock);
  std::erase_if(r.Files, [&](const FileFormat& f) { return f.GraphicClass == GraphicClass; });
  std::erase_if(r.Clipboard, [&](const ClipboardFormat& f) { return f.GraphicClass == GraphicClass; });
}

TGraphicClass TPicture::FileFormatClass(const std::string& Extension) {
  Registry& r = TheRegistry();
  std::lock_guard guard(r.Lock);
  std::string ext = Lower(Extension);
  for (const FileFormat& f : r.Files)
    if (f.Extension == ext) return f.GraphicClass;
  return nullptr;
}

std::string TPicture::FileFormatDescription(const std::string& Extension) {
  Registry& r = TheRegistry();
  std::lock_guard guard(r.Lock);
  std::string ext = Lower(Extension);
  for (const FileFormat& f : r.Files)
    if (f.Extension == ext) return f.Description;
  return {};
}

TGraphicClass TPicture::ClipboardFormatClass(TClipboardFormat Format) {
  Registry& r = TheRegistry();
  std::lock_guard guard(r.Lock);
  for (const ClipboardFormat& f : r.Clipboard)
    if (f.Format == Format) return f.GraphicClass;
  return nullptr;
}

TGraphicClass TPicture::GraphicClassNamed(const std::string& ClassName) {
  Registry& r = TheRegistry();
  std::lock_guard guard(r.Lock);
  for (const FileFormat& f : r.Files)
    if (SameText(f.GraphicClass->ClassName, ClassName)) return f.GraphicClass;
  for (const ClipboardFormat& f : r.Clipboard)
    if (SameText(f.GraphicClass->ClassName, ClassName)) return f.GraphicClass;
  return nullptr;
}

std::string TPicture::GraphicFilter(TGraphicClass GraphicClass) {
  Registry& r = TheRegistry();
  std::lock_guard guard(r.Lock);
  std::string filter;
  for (const FileFormat& f : r.Files) {
    if (GraphicClass != nullptr && f.GraphicClass != GraphicClass) continue;
    if (!filter.empty()) filter += '|';
    filter += f.Description + " (*." + f.Extension + ")|*." + f.Extension;
  }
  return filter;
}

namespace {

// The registered class of a graphic object, so that a picture can make a
// second object of the same class.
TGraphicClass RegisteredClassOf(const TGraphic& Graphic) {
  Registry& r = TheRegistry();
  std::lock_guard guard(r.Lock);
  for (const FileFormat& f : r.Files)
    if (*f.GraphicClass->Type == typeid(Graphic)) return f.GraphicClass;
  for (const ClipboardFormat& f : r.Clipboard)
    if (*f.GraphicClass->Type == typeid(Graphic)) return f.GraphicClass;
  return nullptr;
}

[[noreturn]] void ClassNotFound(const std::string& Name) {
  throw EInvalidGraphic(Format("Class %s not found", Name));
}

}  // namespace

bool TPicture::SupportsClipboardFormat(TClipboardFormat Format) {
  return ClipboardFormatClass(Format) != nullptr;
}

// ---------------------------------------------------------------- TPicture

TPicture::~TPicture() { delete FGraphic; }

void TPicture::ReplaceGraphic(TGraphic* NewGraphic) {
  std::unique_ptr<TGraphic> old(FGraphic);
  FGraphic = NewGraphic;
  if (FGraphic != nullptr) FGraphic->SetOnChange([this](TObject* Sender) { Changed(Sender); });
  Changed(this);
}

void TPicture::SetGraphic(TGraphic* Value) {
  if (Value == FGraphic) return;
  if (Value == nullptr) {
    ReplaceGraphic(nullptr);
    return;
  }
  TGraphicClass graphicClass = RegisteredClassOf(*Value);
  if (graphicClass == nullptr) ClassNotFound(Value->ClassName());
  std::unique_ptr<TGraphic> copy(graphicClass->Create());
  copy->Assign(Value);
  ReplaceGraphic(copy.release());
}

TBitmap* TPicture::Bitmap() {
  if (auto* bitmap = dynamic_cast<TBitmap*>(FGraphic)) return bitmap;
  ReplaceGraphic(new TBitmap);
  return static_cast<TBitmap*>(FGraphic);
}

int TPicture::Width() const { return FGraphic ? FGraphic->Width() : 0; }
int TPicture::Height() const { return FGraphic ? FGraphic->Height() : 0; }

void TPicture::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (Source == nullptr) {
    SetGraphic(nullptr);
  } else if (auto* picture = dynamic_cast<TPicture*>(Source)) {
    SetGraphic(picture->Graphic());
  } else if (auto* graphic = dynamic_cast<TGraphic*>(Source)) {
    SetGraphic(graphic);
  } else {
    TPersistent::Assign(Source);
  }
}

void TPicture::AssignTo(TPersistent* Dest) {
  if (auto* graphic = dynamic_cast<TGraphic*>(Dest); graphic && FGraphic) {
    graphic->Assign(FGraphic);
    return;
  }
  TPersistent::AssignTo(Dest);
}

void TPicture::Changed(TObject*) {
  if (FOnChange) FOnChange(this);
}

void TPicture::LoadFromFile(const std::string& FileName) {
  std::string ext = ExtensionOf(FileName);
  TGraphicClass graphicClass = FileFormatClass(ext);
  if (graphicClass == nullptr) throw EInvalidGraphic(Format(SUnknownExtension, ext));
  std::unique_ptr<TGraphic> graphic(graphicClass->Create());
  graphic->LoadFromFile(FileName);
  ReplaceGraphic(graphic.release());
}

void TPicture::SaveToFile(const std::string& FileName) {
  if (FGraphic != nullptr) FGraphic->SaveToFile(FileName);
}

void TPicture::LoadFromClipboardFormat(TClipboardFormat AFormat, const std::vector<Byte>& Data) {
  TGraphicClass graphicClass = ClipboardFormatClass(AFormat);
  if (graphicClass == nullptr) throw EInvalidGraphic(SUnknownClipboardFormat);
  std::unique_ptr<TGraphic> graphic(graphicClass->Create());
  graphic->LoadFromClipboardFormat(AFormat, Data);
  ReplaceGraphic(graphic.release());
}

void TPicture::SaveToClipboardFormat(TClipboardFormat& AFormat, std::vector<Byte>& Data) {
  if (FGraphic != nullptr) FGraphic->SaveToClipboardFormat(AFormat, Data);
}

void TPicture::ReadData(TStream* Stream) {
  Byte length = 0;
  Stream->ReadBuffer(&length, 1);
  std::string name(length, '\0');
  if (length > 0) Stream->ReadBuffer(name.data(), length);
  if (name.empty()) {
    ReplaceGraphic(nullptr);
    return;
  }
  TGraphicClass graphicClass = GraphicClassNamed(name);
  if (graphicClass == nullptr) ClassNotFound(name);
  std::unique_ptr<TGraphic> graphic(graphicClass->Create());
  graphic->ReadData(Stream);
  ReplaceGraphic(graphic.release());
}

void TPicture::WriteData(TStream* Stream) {
  std::string name = FGraphic ? FGraphic->ClassName() : std::string();
  Byte length = Byte(std::min<std::size_t>(name.size(), 255));
  Stream->WriteBuffer(&length, 1);
  if (length > 0) Stream->WriteBuffer(name.data(), length);
  if (FGraphic != nullptr) FGraphic->WriteData(Stream);
}
