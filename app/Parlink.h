#pragma once
// TParlink: one connected peer. The peer list finds an entry by its address
// (compared character for character with a datagram's source address) or by
// its call slot; the entry points at the picture of its slot's image control,
// which the main window owns and which outlives the entry.
#include <string>

#include "platform/base/Object.h"
#include "platform/base/Types.h"

class TPicture;

class TParlink : public TObject {
 public:
  // Include starts at 1: a new call takes part in the chat at once.
  TParlink(const std::string& IP, TPicture* Picture, Byte Slot);

  void SetInclude(Byte Value) { FInclude = Value; }

  std::string FIP;     // dotted IPv4 text
  TPicture* FPicture;  // not owned
  Byte FSlot;          // 1 to 4
  Byte FInclude;       // 0 or 1
};
