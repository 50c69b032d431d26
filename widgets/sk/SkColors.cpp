#include "widgets/sk/SkColors.h"

#include "widgets/sk/SkCustomControl.h"
#include "widgets/sk/SkSplitter.h"

// ---- TSkCustomColors ----

TSkCustomColors::TSkCustomColors(TPersistent* AOwner)
    : FDefaultFrom(clWhite),
      FDefaultTo(TColor(13745839)),
      FOverFrom(clWhite),
      FOverTo(TColor(12489846)),
      FOwner(AOwner) {}

void TSkCustomColors::SetColor(TColor& Field, TColor Value) {
  if (Field == Value) return;
  Field = Value;
  Changed();
}

void TSkCustomColors::SetDefaultFrom(TColor Value) { SetColor(FDefaultFrom, Value); }
void TSkCustomColors::SetDefaultTo(TColor Value) { SetColor(FDefaultTo, Value); }
void TSkCustomColors::SetOverFrom(TColor Value) { SetColor(FOverFrom, Value); }
void TSkCustomColors::SetOverTo(TColor Value) { SetColor(FOverTo, Value); }

void TSkCustomColors::AssignTo(TPersistent* Dest) {
  auto* dest = dynamic_cast<TSkCustomColors*>(Dest);
  if (dest == nullptr) {
    TPersistent::AssignTo(Dest);
    return;
  }
  dest->FDefaultFrom = FDefaultFrom;
  dest->FDefaultTo = FDefaultTo;
  dest->FOverFrom = FOverFrom;
  dest->FOverTo = FOverTo;
}

// ---- TSkControlColors ----

TSkControlColors::TSkControlColors(TSkCustomControl* AOwner)
    : TSkCustomColors(AOwner),
      FClickedFrom(TColor(13029334)),
      FClickedTo(TColor(15463415)),
      FHotTrack(clBlue),
      FBorderColor(clGray),
      FTextShadow(clWhite),
      FOwnerControl(AOwner) {}

void TSkControlColors::SetClickedFrom(TColor Value) { SetColor(FClickedFrom, Value); }
void TSkControlColors::SetClickedTo(TColor Value) { SetColor(FClickedTo, Value); }
void TSkControlColors::SetBorderColor(TColor Value) { SetColor(FBorderColor, Value); }

void TSkControlColors::SetHotTrack(TColor Value) {
  if (FHotTrack == Value) return;
  FHotTrack = Value;
  if (FOwnerControl != nullptr) FOwnerControl->Invalidate();
}

void TSkControlColors::SetTextShadow(TColor Value) {
  if (FTextShadow == Value) return;
  FTextShadow = Value;
  if (FOwnerControl != nullptr) FOwnerControl->Invalidate();
}

void TSkControlColors::Changed() {
  if (FOwnerControl != nullptr) FOwnerControl->RebuildBitmaps();
}

void TSkControlColors::AssignTo(TPersistent* Dest) {
  auto* dest = dynamic_cast<TSkControlColors*>(Dest);
  if (dest == nullptr) {
    TSkCustomColors::AssignTo(Dest);
    return;
  }
  dest->FDefaultFrom = FDefaultFrom;
  dest->FDefaultTo = FDefaultTo;
  dest->FOverFrom = FOverFrom;
  dest->FOverTo = FOverTo;
  dest->FClickedFrom = FClickedFrom;
  dest->FClickedTo = FClickedTo;
  dest->FBorderColor = FBorderColor;
  dest->FHotTrack = FHotTrack;
  dest->FTextShadow = FTextShadow;
}

// ---- TSkSplitterColors ----

TSkSplitterColors::TSkSplitterColors(TSkSplitterSource* AOwner)
    : TSkCustomColors(dynamic_cast<TPersistent*>(AOwner)), FSplitter(AOwner) {
  SetDefaultFrom(clBtnFace);
  SetDefaultTo(clBtnFace);
  SetOverFrom(clWhite);
  SetOverTo(TColor(12489846));
}

void TSkSplitterColors::Changed() {
  if (FSplitter != nullptr) BuildSplitterBitmaps(FSplitter);
}
