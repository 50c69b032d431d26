#pragma once
// The graphic family: TGraphic is what a picture container, a layout property
// or the clipboard holds (a bitmap, a JPEG, a GIF, an icon), TPicture holds
// one graphic of any registered class and knows which class reads which file
// extension and which clipboard format.
#include <string>
#include <typeinfo>
#include <vector>

#include "platform/base/Component.h"
#include "platform/base/Consts.h"
#include "platform/base/Events.h"
#include "platform/base/Types.h"

class TStream;
class TCanvas;
class TGraphic;

// The host's texts for graphics (SInvalidBitmap is in Consts.h).
inline constexpr const char* SScanLine = "Scan line index out of range";
inline constexpr const char* SUnknownExtension = "Unknown picture file extension (.%s)";
inline constexpr const char* SUnknownClipboardFormat = "Unsupported clipboard format";
inline constexpr const char* SInvalidPixelFormat = "Invalid pixel format";

// A graphic class as the registries keep it: its name and a way to make one.
struct TGraphicClassInfo {
  std::string ClassName;
  const std::type_info* Type;
  TGraphic* (*Create)();
};
using TGraphicClass = const TGraphicClassInfo*;

// The class name a type_info stands for ("TBitmap").
std::string GraphicClassName(const std::type_info& Type);

// GraphicClassOf<TBitmap>() is the one registry entry of TBitmap.
template <class T>
TGraphicClass GraphicClassOf() {
  static const TGraphicClassInfo info{GraphicClassName(typeid(T)), &typeid(T),
                                      []() -> TGraphic* { return new T; }};
  return &info;
}

// Clipboard format identifiers: the predefined bitmap format and the ones
// RegisterClipboardFormat hands out from 0xC000 on (Clipboard.h).
using TClipboardFormat = Word;
inline constexpr TClipboardFormat CF_BITMAP = 2;

class TGraphic : public TPersistent {
 public:
  TGraphic() = default;

  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void SetWidth(int Value) = 0;
  virtual void SetHeight(int Value) = 0;
  virtual bool Empty() const = 0;

  virtual bool Transparent() const { return FTransparent; }
  virtual void SetTransparent(bool Value);

  bool Modified() const { return FModified; }
  void SetModified(bool Value);
  bool PaletteModified() const { return FPaletteModified; }
  void SetPaletteModified(bool Value) { FPaletteModified = Value; }

  // Called with Sender = the graphic after every change.
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Handler) { FOnChange = std::move(Handler); }

  virtual void LoadFromStream(TStream* Stream) = 0;
  virtual void SaveToStream(TStream* Stream) = 0;
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName);

  // The form in which a layout file stores the graphic; the default is the
  // stream form itself.
  virtual void ReadData(TStream* Stream);
  virtual void WriteData(TStream* Stream);

  // True when Graphic is of the same class and saves to the same bytes.
  virtual bool Equals(TGraphic* Graphic);

  // Clipboard exchange. SaveToClipboardFormat fills the format and the data
  // block for the caller to place on the clipboard (a graphic may place
  // further formats itself); the bitmap form (CF_BITMAP) is a BMP file image.
  virtual void SaveToClipboardFormat(TClipboardFormat& Format, std::vector<Byte>& Data) = 0;
  virtual void LoadFromClipboardFormat(TClipboardFormat Format, const std::vector<Byte>& Data) = 0;

  // Draws the graphic into Rect of ACanvas (stretched to it).
  virtual void Draw(TCanvas* ACanvas, const TRect& Rect) = 0;

 protected:
  // Sets Modified and fires OnChange.
  virtual void Changed(TObject* Sender);

 private:
  TNotifyEvent FOnChange;
  bool FTransparent = false;
  bool FModified = false;
  bool FPaletteModified = false;
};

class TBitmap;

// Holds one graphic of any registered class and reports its changes.
class TPicture : public TPersistent {
 public:
  TPicture() = default;
  ~TPicture() override;

  // The held graphic (nullptr when none). SetGraphic stores a copy of the
  // given graphic (or drops the held one for nullptr); the graphic's class
  // must be registered (file or clipboard format), else EInvalidGraphic
  // "Class %s not found".
  TGraphic* Graphic() const { return FGraphic; }
  void SetGraphic(TGraphic* Value);
  // The held graphic as a bitmap; replaces any other graphic by an empty
  // bitmap first.
  TBitmap* Bitmap();

  int Width() const;
  int Height() const;

  // Source: a TPicture, a TGraphic or nullptr (clears).
  void Assign(TPersistent* Source) override;

  // The graphic class is chosen by the file extension; an extension no class
  // is registered for raises EInvalidGraphic "Unknown picture file extension (.%s)".
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName);
  // The graphic class registered for Format reads Data; an unregistered
  // format raises EInvalidGraphic "Unsupported clipboard format".
  void LoadFromClipboardFormat(TClipboardFormat Format, const std::vector<Byte>& Data);
  void SaveToClipboardFormat(TClipboardFormat& Format, std::vector<Byte>& Data);
  static bool SupportsClipboardFormat(TClipboardFormat Format);

  // Layout form: the class name (one length byte and the name) followed by
  // the graphic's own ReadData/WriteData form; an empty name means no graphic.
  // A class name not registered raises EInvalidGraphic "Class %s not found".
  void ReadData(TStream* Stream);
  void WriteData(TStream* Stream);

  // Registries. Extensions are given without the dot and compared without
  // regard to case; a later registration of an extension or format wins.
  static void RegisterFileFormat(const std::string& Extension, const std::string& Description,
                                 TGraphicClass GraphicClass);
  static void RegisterClipboardFormat(TClipboardFormat Format, TGraphicClass GraphicClass);
  static void UnregisterGraphicClass(TGraphicClass GraphicClass);
  // The registered class for an extension, a clipboard format or a class name (nullptr if none).
  static TGraphicClass FileFormatClass(const std::string& Extension);
  static std::string FileFormatDescription(const std::string& Extension);
  static TGraphicClass ClipboardFormatClass(TClipboardFormat Format);
  static TGraphicClass GraphicClassNamed(const std::string& ClassName);
  // "Bitmaps (*.bmp)|*.bmp|..." for the registered extensions of GraphicClass
  // (all classes for nullptr), in registration order.
  static std::string GraphicFilter(TGraphicClass GraphicClass);

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Handler) { FOnChange = std::move(Handler); }

 protected:
  void AssignTo(TPersistent* Dest) override;
  virtual void Changed(TObject* Sender);

 private:
  void ReplaceGraphic(TGraphic* NewGraphic);  // takes ownership

  TGraphic* FGraphic = nullptr;
  TNotifyEvent FOnChange;
};
