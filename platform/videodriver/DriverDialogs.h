#pragma once
// The drivers' own modal dialogs, made from what a driver offers: the
// format dialog lists its pixel formats (marking those converted from the
// camera's own) and the sizes of each, the source dialog its picture
// controls (changes apply at once; Cancel puts the values back as they were
// when the dialog opened).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/videodriver/CaptureDriver.h"

using TApplySourceControl = std::function<void(std::uint32_t Id, int Value)>;

// The chosen index of Choices, or -1 when the dialog was cancelled.
int ShowDriverFormatDialog(const std::string& DriverName,
                           const std::vector<TVideoFormatChoice>& Choices, int Current);
void ShowDriverSourceDialog(const std::string& DriverName,
                            const std::vector<TVideoSourceControl>& Controls,
                            const TApplySourceControl& Apply);

// A dialog as a test hook sees it.
enum TDriverDialogKind { ddkFormat, ddkSource };
struct TDriverDialogRequest {
  TDriverDialogKind Kind = ddkFormat;
  std::string Caption;
  std::vector<TVideoFormatChoice> Formats;   // format dialog
  int Selected = -1;                         // format dialog: set by the hook
  std::vector<TVideoSourceControl> Controls;  // source dialog
  TApplySourceControl Apply;                 // source dialog: a change, as the user makes it
};

// Test seam: while set, the dialogs ask Hook instead of showing a window; it
// answers true for OK and false for Cancel. An empty function restores them.
using TDriverDialogHook = std::function<bool(TDriverDialogRequest& Request)>;
void SetDriverDialogHook(TDriverDialogHook Hook);
