#pragma once
// The host's own message texts, quoted by the program and shown to users.
// Texts with %s / %d are Format patterns.

inline constexpr const char* SInvalidInteger = "'%s' is not a valid integer value";
inline constexpr const char* SListIndexError = "List index out of bounds (%d)";
inline constexpr const char* SListCapacityError = "List capacity out of bounds (%d)";
inline constexpr const char* SListCountError = "List count out of bounds (%d)";
inline constexpr const char* SDuplicateString = "String list does not allow duplicates";
inline constexpr const char* SSortedListError = "Operation not allowed on sorted string list";
inline constexpr const char* SReadError = "Stream read error";
inline constexpr const char* SWriteError = "Stream write error";
inline constexpr const char* SFCreateError = "Cannot create file %s";
inline constexpr const char* SFOpenError = "Cannot open file %s";
inline constexpr const char* SMemoryStreamError = "Out of memory while expanding memory stream";
inline constexpr const char* SIniFileWriteError = "Unable to write to %s";
inline constexpr const char* SAssignError = "Cannot assign a %s to a %s";
inline constexpr const char* SThreadCreateError = "Thread creation error: %s";
inline constexpr const char* SOperationAborted = "Operation aborted";
inline constexpr const char* SInvalidBitmap = "Bitmap image is not valid";
inline constexpr const char* SNoTimers = "Not enough timers available";
