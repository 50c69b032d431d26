#pragma once
// Chat lines. On the wire a line is the sender's caller ID, " <> ", the
// typed text and one NUL byte, at most ChatLineMaxBytes in all. In the chat
// list the receiver has put the sender's slot digit after the first "<",
// so "Ann <> hi" from the peer of slot 2 shows as "Ann <2> hi".
#include <cstddef>
#include <string>

#include "platform/base/Types.h"

// The chat component moves datagrams through a buffer of this size.
inline constexpr std::size_t ChatLineMaxBytes = 2048;

// Digit put into lines whose sender has no peer entry: it names no slot, so
// the line is drawn in the list's own colours.
inline constexpr int ChatNoSlot = 0;

// The datagram for a typed line, NUL included. A line that would be longer
// than ChatLineMaxBytes (only a hand-edited, very long caller ID gets there)
// is cut so that it still ends with its NUL at byte ChatLineMaxBytes.
std::string MakeChatLine(const std::string& CallerID, const std::string& Text);

// The chat list item for a received datagram from the peer of Slot
// (ChatNoSlot when the sender has no entry): Slot's decimal digits go
// directly after the first "<" (at the start when there is none), and the
// item ends before the first NUL byte.
std::string ChatItemFromDatagram(const Byte* Data, std::size_t Size, int Slot);

// The slot an item is drawn for: the digit directly after the first "<" (the
// first character when there is no "<"); 0 when that is no digit.
int ChatItemSlot(const std::string& Item);
