#include "app/GradientFill.h"

#include <cmath>

#include "platform/base/Exceptions.h"
#include "platform/graphics/Canvas.h"

namespace {

struct TChannels {
  double Red, Green, Blue;
};

TChannels ChannelsOf(TColor Color) {
  TColor rgb = ColorToRGB(Color);
  return {double(GetRValue(rgb)), double(GetGValue(rgb)), double(GetBValue(rgb))};
}

// The integer part of From + (To - From) * Q, as the program computes each channel.
int Blend(double From, double To, double Q) { return int(std::trunc(From + (To - From) * Q)); }

// Puts the pen back however the fill ends.
class TPenKeeper {
 public:
  explicit TPenKeeper(TPen* Pen)
      : FPen(Pen), FWidth(Pen->Width()), FStyle(Pen->Style()), FColor(Pen->Color()) {}
  ~TPenKeeper() {
    FPen->SetWidth(FWidth);
    FPen->SetStyle(FStyle);
    FPen->SetColor(FColor);
  }
  TPenKeeper(const TPenKeeper&) = delete;
  TPenKeeper& operator=(const TPenKeeper&) = delete;

 private:
  TPen* FPen;
  int FWidth;
  TPenStyle FStyle;
  TColor FColor;
};

}  // namespace

void GradientFillRect(TCanvas* Canvas, const TRect& Rect, int Direction,
                      const std::vector<TColor>& Colors) {
  const int n = int(Colors.size()) - 1;
  if (n < 1) throw EMathError("Please specify at least two colors.");
  const bool topToBottom = Direction == 0;
  const int extent = topToBottom ? Rect.Bottom - Rect.Top : Rect.Right - Rect.Left;

  std::vector<TChannels> channels;
  channels.reserve(Colors.size());
  for (TColor color : Colors) channels.push_back(ChannelsOf(color));

  TPen* pen = Canvas->Pen();
  TPenKeeper keep(pen);
  pen->SetStyle(psSolid);
  pen->SetWidth(1);

  const int band = int(std::nearbyint(double(extent) / double(n)));
  for (int i = 0; i < n; ++i) {
    const int len = i == n - 1 ? extent - i * band - 1 : band;
    if (len < 0) continue;
    const TChannels& from = channels[size_t(i)];
    const TChannels& to = channels[size_t(i) + 1];
    for (int j = 0; j <= len; ++j) {
      const int pos = i * band + j;
      // A band of a single line has no length to spread over; it shows its
      // starting colour.
      const double q = len == 0 ? 0.0 : double(j) / double(len);
      pen->SetColor(RGB(Blend(from.Red, to.Red, q), Blend(from.Green, to.Green, q),
                        Blend(from.Blue, to.Blue, q)));
      if (topToBottom) {
        Canvas->MoveTo(Rect.Left, Rect.Top + pos);
        Canvas->LineTo(Rect.Right, Rect.Top + pos);
      } else {
        Canvas->MoveTo(Rect.Left + pos, Rect.Top);
        Canvas->LineTo(Rect.Left + pos, Rect.Bottom);
      }
    }
  }
}
