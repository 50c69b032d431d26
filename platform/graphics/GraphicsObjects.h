#pragma once
// Pen and brush of a canvas. Plain values with a change event: a canvas
// listens to its own pen and brush, and callers copy values between them
// with Assign.
#include "platform/base/Component.h"
#include "platform/base/Events.h"
#include "platform/graphics/Color.h"

// Dashed styles repeat a fixed on/off pattern along a line; psClear draws
// nothing; psInsideFrame draws like psSolid.
enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

class TPen : public TPersistent {
 public:
  TPen() = default;

  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  // Width in pixels; 0 and 1 both draw one pixel wide. Negative values are stored as 0.
  int Width() const { return FWidth; }
  void SetWidth(int Value);
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle Value);

  // Source: a TPen (colour, width, style).
  void Assign(TPersistent* Source) override;

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Handler) { FOnChange = std::move(Handler); }

 private:
  void Changed();

  TColor FColor = clBlack;
  int FWidth = 1;
  TPenStyle FStyle = psSolid;
  TNotifyEvent FOnChange;
};

enum TBrushStyle { bsSolid, bsClear };

class TBrush : public TPersistent {
 public:
  TBrush() = default;

  TColor Color() const { return FColor; }
  // Setting a colour on a clear brush makes it solid again, as the host's
  // brush does: code that sets the colour before filling expects a fill.
  void SetColor(TColor Value);
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle Value);

  // Source: a TBrush (colour and style).
  void Assign(TPersistent* Source) override;

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent Handler) { FOnChange = std::move(Handler); }

 private:
  void Changed();

  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
  TNotifyEvent FOnChange;
};
