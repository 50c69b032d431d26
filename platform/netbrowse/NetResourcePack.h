#pragma once
// Packing entries into a caller's buffer the way WNetEnumResource delivers
// them: the records from the buffer's start, their texts (each ended by a
// zero byte) from its end downwards, each record's pointers aimed at its own
// texts. Internal to this folder.
#include <cstddef>
#include <vector>

#include "platform/netbrowse/NetBrowseSeam.h"

// Bytes one entry takes: its record and its non-empty texts.
std::size_t PackedSize(const TNetResourceEntry& Entry);

// Packs Entries[First ...] into Buffer: at most MaxCount and as many as fit
// in Size bytes. Returns how many were packed (0 when the first does not fit).
std::size_t PackNetResources(const std::vector<TNetResourceEntry>& Entries, std::size_t First,
                             std::size_t MaxCount, void* Buffer, std::size_t Size);
