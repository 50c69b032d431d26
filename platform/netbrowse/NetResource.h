#pragma once
// Network resource enumeration in the host's manner: open an enumeration of
// a container's children, read them in batches into a caller's buffer, close
// it. Underneath, computers that announce any service by DNS-SD on the local
// link (through the avahi daemon) are the servers, one per computer; a seam lets tests put a
// network of their own in its place.
//
//   root ── "local" (domain, container) ── "\\NAME" (server, container) ── none
#include <cstdint>

#include "platform/base/Types.h"

// One entry as WNetEnumResource writes it: the texts point into the same
// buffer, behind the entries. A null text is an absent one.
struct NETRESOURCE {
  DWord dwScope;
  DWord dwType;
  DWord dwDisplayType;
  DWord dwUsage;
  char* lpLocalName;
  char* lpRemoteName;
  char* lpComment;
  char* lpProvider;
};

using HNETENUM = void*;

inline constexpr DWord RESOURCE_GLOBALNET = 2;

inline constexpr DWord RESOURCETYPE_ANY = 0;
inline constexpr DWord RESOURCETYPE_DISK = 1;

inline constexpr DWord RESOURCEDISPLAYTYPE_GENERIC = 0;
inline constexpr DWord RESOURCEDISPLAYTYPE_DOMAIN = 1;
inline constexpr DWord RESOURCEDISPLAYTYPE_SERVER = 2;
inline constexpr DWord RESOURCEDISPLAYTYPE_SHARE = 3;

inline constexpr DWord RESOURCEUSAGE_CONNECTABLE = 1;
inline constexpr DWord RESOURCEUSAGE_CONTAINER = 2;

inline constexpr DWord NO_ERROR = 0;
inline constexpr DWord ERROR_INVALID_HANDLE = 6;
inline constexpr DWord ERROR_INVALID_PARAMETER = 87;
inline constexpr DWord ERROR_MORE_DATA = 234;
inline constexpr DWord ERROR_NO_MORE_ITEMS = 259;
inline constexpr DWord ERROR_NOT_CONTAINER = 1207;
inline constexpr DWord ERROR_NO_NETWORK = 1222;

// Opens the enumeration of Parent's children (nullptr: the network's root).
// Only RESOURCE_GLOBALNET is known. ResourceType RESOURCETYPE_ANY or a type
// that entries must have (containers always pass); Usage 0 or the usage bits
// an entry must share. The children are taken at this call, on a thread of
// their own: on the user-interface thread pending messages are processed
// meanwhile (PumpingWait.h). The handle is closed with WNetCloseEnum. Errors: ERROR_INVALID_PARAMETER,
// ERROR_NOT_CONTAINER (Parent is no container), ERROR_NO_NETWORK (nothing
// to browse with), and what the provider reports.
DWord WNetOpenEnum(DWord Scope, DWord ResourceType, DWord Usage, const NETRESOURCE* Parent,
                   HNETENUM* Enum);

// Writes the next entries into Buffer (BufferSize bytes, aligned like
// NETRESOURCE): as many as fit and at most *Count (0xFFFFFFFF: no limit),
// entries first, their texts behind them. NO_ERROR: *Count entries written.
// ERROR_MORE_DATA: not even the next entry fits; *BufferSize is what it
// needs. ERROR_NO_MORE_ITEMS: all entries were delivered. *Count is 0 on
// every error.
DWord WNetEnumResource(HNETENUM Enum, DWord* Count, void* Buffer, DWord* BufferSize);

// Ends an enumeration; ERROR_INVALID_HANDLE for a handle that is not open.
DWord WNetCloseEnum(HNETENUM Enum);
