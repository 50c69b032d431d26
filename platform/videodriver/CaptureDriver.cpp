#include "platform/videodriver/CaptureDriver.h"

// A driver without parameters of its own keeps what it is given.
bool TCaptureDriver::GetCaptureParms(CAPTUREPARMS& Parms) {
  Parms = FParms;
  return true;
}

bool TCaptureDriver::SetCaptureParms(const CAPTUREPARMS& Parms) {
  FParms = Parms;
  return true;
}
