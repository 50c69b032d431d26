// Drivers 0 to 9: the virtual camera (when turned on) as driver 0, and the
// V4L2 devices after it.
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/videodriver/CaptureDriver.h"
#include "platform/videodriver/V4L2Driver.h"
#include "platform/videodriver/VirtualCamera.h"

namespace {

TCaptureDriverFactory& Factory() {
  static TCaptureDriverFactory factory;
  return factory;
}

void CopyText(const std::string& text, char* buffer, int length) {
  if (buffer == nullptr || length <= 0) return;
  const std::size_t n = std::min(text.size(), std::size_t(length - 1));
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

}  // namespace

std::unique_ptr<TCaptureDriver> CreateCaptureDriver(int Index) {
  if (Index < 0 || Index > 9) return nullptr;
  if (Factory()) return Factory()(Index);
  TVirtualCameraSettings settings;
  int device = Index;
  if (VirtualCameraSettings(settings)) {
    if (Index == 0) return CreateVirtualCamera(settings);
    device = Index - 1;
  }
  return CreateV4L2Driver("/dev/video" + std::to_string(device));
}

void SetCaptureDriverFactory(TCaptureDriverFactory Value) { Factory() = std::move(Value); }

bool capGetDriverDescriptionA(Word Index, char* Name, int NameLength, char* Version,
                              int VersionLength) {
  std::unique_ptr<TCaptureDriver> driver = CreateCaptureDriver(Index);
  if (!driver || !driver->Connect()) return false;
  CopyText(driver->Name(), Name, NameLength);
  CopyText(driver->Version(), Version, VersionLength);
  driver->Disconnect();
  return true;
}
