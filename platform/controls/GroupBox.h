#pragma once
// TGroupBox: a container framed by an etched line with its caption set into
// the top edge. Its children lie in its whole area (positions count from the
// box's top-left corner); aligned children keep clear of frame and caption.
#include "platform/controls/CustomControl.h"

class TGroupBox : public TCustomControl {
 public:
  explicit TGroupBox(TComponent* AOwner);

 protected:
  void Paint() override;
  void AdjustClientRect(TRect& Rect) override;
};
