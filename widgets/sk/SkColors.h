#pragma once
// Colour sets of the skinned controls: the gradient pairs of a control's
// states, streamed from layouts as sub-properties ("Colors.OverTo").
//
// Setters compare and do nothing on an equal value. A changed gradient or
// frame colour calls Changed, which rebuilds what the owner caches; Assign
// copies values into the fields without telling the owner.
#include "platform/base/Component.h"
#include "platform/graphics/Color.h"

class TSkCustomControl;
class TSkSplitterSource;

// The two gradient pairs every set has: normal and hover.
class TSkCustomColors : public TPersistent {
 public:
  explicit TSkCustomColors(TPersistent* AOwner);

  TColor DefaultFrom() const { return FDefaultFrom; }
  void SetDefaultFrom(TColor Value);
  TColor DefaultTo() const { return FDefaultTo; }
  void SetDefaultTo(TColor Value);
  TColor OverFrom() const { return FOverFrom; }
  void SetOverFrom(TColor Value);
  TColor OverTo() const { return FOverTo; }
  void SetOverTo(TColor Value);

  // The object the set belongs to (not owned; may be none).
  TPersistent* Owner() const { return FOwner; }

 protected:
  void AssignTo(TPersistent* Dest) override;
  // A gradient colour changed: the owner rebuilds what it draws from the set.
  virtual void Changed() = 0;
  void SetColor(TColor& Field, TColor Value);

  TColor FDefaultFrom;
  TColor FDefaultTo;
  TColor FOverFrom;
  TColor FOverTo;
  TPersistent* FOwner;
};

// A button's set: adds the pressed pair, hot-track text, frame and caption
// shadow colours.
class TSkControlColors : public TSkCustomColors {
 public:
  // AOwner (may be nullptr) is told to rebuild on gradient changes and to
  // repaint on text colour changes.
  explicit TSkControlColors(TSkCustomControl* AOwner);

  TColor ClickedFrom() const { return FClickedFrom; }
  void SetClickedFrom(TColor Value);
  TColor ClickedTo() const { return FClickedTo; }
  void SetClickedTo(TColor Value);
  TColor HotTrack() const { return FHotTrack; }
  void SetHotTrack(TColor Value);
  TColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor Value);
  TColor TextShadow() const { return FTextShadow; }
  void SetTextShadow(TColor Value);

  TSkCustomControl* OwnerControl() const { return FOwnerControl; }

 protected:
  void AssignTo(TPersistent* Dest) override;
  void Changed() override;

 private:
  TColor FClickedFrom;
  TColor FClickedTo;
  TColor FHotTrack;
  TColor FBorderColor;
  TColor FTextShadow;
  TSkCustomControl* FOwnerControl;
};

// A splitter bar's set: a change repaints the bar's bitmaps.
class TSkSplitterColors : public TSkCustomColors {
 public:
  explicit TSkSplitterColors(TSkSplitterSource* AOwner);

  TSkSplitterSource* Splitter() const { return FSplitter; }

 protected:
  void Changed() override;

 private:
  TSkSplitterSource* FSplitter;
};
