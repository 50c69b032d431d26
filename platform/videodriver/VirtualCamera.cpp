#include "platform/videodriver/VirtualCamera.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {

std::optional<TVirtualCameraSettings>& Override() {
  static std::optional<TVirtualCameraSettings> value;
  return value;
}

bool ParseSide(const std::string& text, int& value) {
  if (text.empty() || text.size() > 5) return false;
  for (char c : text)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  value = std::atoi(text.c_str());
  return value >= 1 && value <= VirtualCameraMaxSide;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

// The test picture: a still background drawn once, and per frame a square
// that crosses it from left to right.
class TTestPicture {
 public:
  void Configure(const TVirtualCameraSettings& settings, int brightness, int contrast) {
    FSettings = settings;
    FBrightness = brightness;
    FContrast = contrast;
    const std::size_t pixels = std::size_t(settings.Width) * std::size_t(settings.Height);
    FBackground.assign(pixels * 3, 0);
    FWork.assign(pixels * 3, 0);
    DrawBackground();
  }

  std::size_t FrameSize() const {
    return FrameImageSize(FSettings.Format, FSettings.Width, FSettings.Height);
  }

  void Render(unsigned frame, Byte* out) {
    std::memcpy(FWork.data(), FBackground.data(), FWork.size());
    const int w = FSettings.Width, h = FSettings.Height;
    const int side = std::max(1, h / 4);
    const int travel = w + side;
    const int left = int((std::uint64_t(frame) * std::uint64_t(std::max(2, w / 48))) %
                         std::uint64_t(travel)) - side;
    const int top = (h - side) / 2;
    for (int y = std::max(0, top); y < std::min(h, top + side); ++y)
      for (int x = std::max(0, left); x < std::min(w, left + side); ++x) {
        const bool edge = x - left < 2 || left + side - 1 - x < 2 || y - top < 2 ||
                          top + side - 1 - y < 2;
        Put(FWork.data(), x, y, edge ? 0 : 255, edge ? 0 : 255, edge ? 0 : 255);
      }
    PackFrame(FSettings.Format, FWork.data(), w, h, out);
  }

 private:
  void Put(Byte* rgb, int x, int y, int r, int g, int b) const {
    Byte* p = rgb + (std::size_t(y) * std::size_t(FSettings.Width) + std::size_t(x)) * 3;
    p[0] = Adjust(r);
    p[1] = Adjust(g);
    p[2] = Adjust(b);
  }

  Byte Adjust(int value) const {
    int v = (value - 128) * FContrast / 100 + 128 + FBrightness;
    return Byte(std::clamp(v, 0, 255));
  }

  void DrawBackground() {
    static const int kBars[8][3] = {{255, 255, 255}, {255, 255, 0}, {0, 255, 255}, {0, 255, 0},
                                    {255, 0, 255},   {255, 0, 0},   {0, 0, 255},   {0, 0, 0}};
    const int w = FSettings.Width, h = FSettings.Height;
    std::uint32_t seed = 0x2545F491u;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        if (FSettings.Noise) {
          seed = seed * 1664525u + 1013904223u;
          Put(FBackground.data(), x, y, int(seed >> 24), int((seed >> 16) & 255),
              int((seed >> 8) & 255));
        } else if (y < h * 2 / 3) {
          const int* bar = kBars[std::size_t(x) * 8 / std::size_t(w)];
          Put(FBackground.data(), x, y, bar[0], bar[1], bar[2]);
        } else {
          const int grey = w > 1 ? x * 255 / (w - 1) : 128;
          Put(FBackground.data(), x, y, grey, grey, grey);
        }
      }
  }

  TVirtualCameraSettings FSettings;
  int FBrightness = 0;
  int FContrast = 100;
  std::vector<Byte> FBackground;  // top-down R, G, B
  std::vector<Byte> FWork;
};

constexpr std::uint32_t kBrightness = 1;
constexpr std::uint32_t kContrast = 2;

const TVideoFormatChoice kSizes[] = {{"", 160, 120}, {"", 320, 240}, {"", 352, 288},
                                     {"", 384, 288}, {"", 640, 480}, {"", 1280, 720}};

class TVirtualCamera : public TCaptureDriver {
 public:
  explicit TVirtualCamera(const TVirtualCameraSettings& settings) : FSettings(settings) {}

  std::string Name() const override { return "Tamblin Virtual Camera"; }
  std::string Version() const override { return "Version: 1.0"; }

  bool Connect() override {
    FPicture.Configure(FSettings, FBrightness, FContrast);
    FConnected = true;
    return true;
  }
  void Disconnect() override {
    FStreaming = false;
    FConnected = false;
  }

  std::vector<Byte> VideoFormat() const override {
    if (!FConnected) return {};
    const BITMAPINFOHEADER header = MakeFrameHeader(FSettings.Format, FSettings.Width,
                                                    FSettings.Height);
    const Byte* bytes = reinterpret_cast<const Byte*>(&header);
    return std::vector<Byte>(bytes, bytes + sizeof header);
  }

  // A fixed camera: it takes only the layout and size it already has.
  bool SetVideoFormat(const BITMAPINFOHEADER& Format) override {
    const TFrameFormatInfo* info = FindFrameFormat(Format.biCompression, Format.biBitCount);
    return FConnected && info != nullptr && info->Format == FSettings.Format &&
           Format.biWidth == FSettings.Width && Format.biHeight == FSettings.Height;
  }

  bool GetCaptureParms(CAPTUREPARMS& Parms) override {
    if (FSettings.NoCaptureParms) return false;
    return TCaptureDriver::GetCaptureParms(Parms);
  }
  bool SetCaptureParms(const CAPTUREPARMS& Parms) override {
    if (FSettings.RefuseCaptureParms) return false;
    return TCaptureDriver::SetCaptureParms(Parms);
  }

  std::vector<TVideoFormatChoice> FormatChoices() override {
    std::vector<TVideoFormatChoice> sizes(std::begin(kSizes), std::end(kSizes));
    const bool listed = std::any_of(sizes.begin(), sizes.end(), [&](const TVideoFormatChoice& c) {
      return c.Width == FSettings.Width && c.Height == FSettings.Height;
    });
    if (!listed) sizes.push_back({"", FSettings.Width, FSettings.Height});
    std::vector<TVideoFormatChoice> choices;
    int count = 0;
    const TFrameFormatInfo* formats = FrameFormats(count);
    for (int f = 0; f < count; ++f)
      for (const TVideoFormatChoice& size : sizes)
        choices.push_back({formats[f].Name, size.Width, size.Height});
    return choices;
  }

  int CurrentFormatChoice() override {
    const std::vector<TVideoFormatChoice> choices = FormatChoices();
    const std::string name = FrameFormatInfo(FSettings.Format).Name;
    for (std::size_t i = 0; i < choices.size(); ++i)
      if (choices[i].PixelFormat == name && choices[i].Width == FSettings.Width &&
          choices[i].Height == FSettings.Height)
        return int(i);
    return -1;
  }

  bool SelectFormatChoice(int Index) override {
    const std::vector<TVideoFormatChoice> choices = FormatChoices();
    if (Index < 0 || std::size_t(Index) >= choices.size()) return false;
    const TFrameFormatInfo* info = FrameFormatNamed(choices[std::size_t(Index)].PixelFormat);
    if (info == nullptr) return false;
    FSettings.Format = info->Format;
    FSettings.Width = choices[std::size_t(Index)].Width;
    FSettings.Height = choices[std::size_t(Index)].Height;
    FPicture.Configure(FSettings, FBrightness, FContrast);
    return true;
  }

  std::vector<TVideoSourceControl> SourceControls() override {
    TVideoSourceControl brightness{kBrightness, "Brightness", sckInteger, -100, 100, 1, 0,
                                   FBrightness, {}};
    TVideoSourceControl contrast{kContrast, "Contrast", sckInteger, 0, 200, 1, 100, FContrast, {}};
    return {brightness, contrast};
  }

  void SetSourceControl(std::uint32_t Id, int Value) override {
    if (Id == kBrightness) FBrightness = std::clamp(Value, -100, 100);
    if (Id == kContrast) FContrast = std::clamp(Value, 0, 200);
    if (FConnected) FPicture.Configure(FSettings, FBrightness, FContrast);
  }

  bool StartStreaming() override {
    FStreaming = FConnected;
    return FStreaming;
  }
  void StopStreaming() override { FStreaming = false; }

  bool GrabFrame(TCapturedFrame& Frame) override {
    if (!FStreaming) return false;
    std::vector<Byte> buffer;
    if (!FFree.empty()) {
      buffer = std::move(FFree.back());
      FFree.pop_back();
    }
    buffer.resize(FPicture.FrameSize());
    FPicture.Render(FFrameNumber++, buffer.data());
    FInUse.push_back(std::move(buffer));
    Frame.Data = FInUse.back().data();
    Frame.Size = FInUse.back().size();
    Frame.Buffer = 0;
    return true;
  }

  void ReleaseFrame(TCapturedFrame& Frame) override {
    for (auto it = FInUse.begin(); it != FInUse.end(); ++it)
      if (it->data() == Frame.Data) {
        FFree.push_back(std::move(*it));
        FInUse.erase(it);
        break;
      }
    Frame = TCapturedFrame{};
  }

 private:
  TVirtualCameraSettings FSettings;
  TTestPicture FPicture;
  int FBrightness = 0;
  int FContrast = 100;
  bool FConnected = false;
  bool FStreaming = false;
  unsigned FFrameNumber = 0;
  std::vector<std::vector<Byte>> FInUse;  // frames handed out
  std::vector<std::vector<Byte>> FFree;
};

}  // namespace

bool ParseVirtualCameraSettings(const std::string& Text, TVirtualCameraSettings& Settings) {
  const std::vector<std::string> parts = Split(Text, ':');
  if (parts.size() < 2 || parts.size() > 3) return false;
  TVirtualCameraSettings parsed;
  const TFrameFormatInfo* info = FrameFormatNamed(parts[0]);
  if (info == nullptr) return false;
  parsed.Format = info->Format;
  const std::vector<std::string> size = Split(parts[1], 'x');
  if (size.size() != 2 || !ParseSide(size[0], parsed.Width) || !ParseSide(size[1], parsed.Height))
    return false;
  if (parts.size() == 3) {
    for (const std::string& option : Split(parts[2], ',')) {
      if (option == "refuse-parms")
        parsed.RefuseCaptureParms = true;
      else if (option == "no-parms")
        parsed.NoCaptureParms = true;
      else if (option == "noise")
        parsed.Noise = true;
      else
        return false;
    }
  }
  Settings = parsed;
  return true;
}

bool VirtualCameraSettings(TVirtualCameraSettings& Settings) {
  if (Override()) {
    Settings = *Override();
    return true;
  }
  const char* value = std::getenv(VirtualCameraVariable);
  return value != nullptr && ParseVirtualCameraSettings(value, Settings);
}

void SetVirtualCameraOverride(std::optional<TVirtualCameraSettings> Settings) {
  Override() = Settings;
}

std::vector<Byte> MakeVirtualCameraFrame(const TVirtualCameraSettings& Settings,
                                         unsigned FrameNumber) {
  TTestPicture picture;
  picture.Configure(Settings, 0, 100);
  std::vector<Byte> frame(picture.FrameSize());
  picture.Render(FrameNumber, frame.data());
  return frame;
}

std::unique_ptr<TCaptureDriver> CreateVirtualCamera(const TVirtualCameraSettings& Settings) {
  return std::make_unique<TVirtualCamera>(Settings);
}
