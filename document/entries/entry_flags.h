// Status flags of an entry (CVemoEntry::m_dwFlags): which of its two states exist, what is still in
// progress, and how the listed and the found state differ. Bits 0x800..0x08000000 are unused.
#pragma once
#include "platform/win_types.h"

// The item was found on disk in this pass; the current state is valid.
inline constexpr DWORD EF_FOUND = 0x80000000;
// The item is listed in the document; the stored state is valid.
inline constexpr DWORD EF_LISTED = 0x40000000;
// A rescan is running and has not yet reported this item.
inline constexpr DWORD EF_AWAITING_SCAN = 0x20000000;
// The contents are queued for, or under, checksum computation.
inline constexpr DWORD EF_CRC_PENDING = 0x10000000;

// Differences, recomputed by Recompare. The three tolerance bits mark differences that count as
// none.
inline constexpr DWORD EF_TOL_ATTR = 0x400;
inline constexpr DWORD EF_TOL_2SECONDS = 0x200;
inline constexpr DWORD EF_TOL_TZSHIFT = 0x100;
inline constexpr DWORD EF_CRC_CHANGED = 0x080;
inline constexpr DWORD EF_ATTR_CHANGED = 0x040;
inline constexpr DWORD EF_TIME_NEWER = 0x020;
inline constexpr DWORD EF_TIME_OLDER = 0x010;
inline constexpr DWORD EF_SIZE_LARGER = 0x008;
inline constexpr DWORD EF_SIZE_SMALLER = 0x004;
inline constexpr DWORD EF_EXT_CASE = 0x002;
inline constexpr DWORD EF_BASENAME_CASE = 0x001;

inline constexpr DWORD EF_COMPARE_MASK = 0x7FF;
// The reported (not tolerated) differences: what makes an entry "changed".
inline constexpr DWORD EF_CHANGE_MASK = 0x0FF;

// Masks and values of the combinations used everywhere (with CVemoEntry::TestFlags):
// not found: neither found nor awaiting the scan.
inline constexpr DWORD EF_NOT_FOUND_MASK = EF_FOUND | EF_AWAITING_SCAN;
inline constexpr DWORD EF_NOT_FOUND_VALUE = 0;
// new: found but not listed.
inline constexpr DWORD EF_NEW_MASK = EF_FOUND | EF_LISTED;
inline constexpr DWORD EF_NEW_VALUE = EF_FOUND;
// comparable: found and listed.
inline constexpr DWORD EF_COMPARABLE_MASK = EF_FOUND | EF_LISTED;
inline constexpr DWORD EF_COMPARABLE_VALUE = EF_FOUND | EF_LISTED;
// queued for checksumming: found, pending, no longer awaiting the scan.
inline constexpr DWORD EF_QUEUED_MASK = EF_FOUND | EF_AWAITING_SCAN | EF_CRC_PENDING;
inline constexpr DWORD EF_QUEUED_VALUE = EF_FOUND | EF_CRC_PENDING;

[[nodiscard]] constexpr bool IsNotFound(DWORD flags) {
  return (flags & EF_NOT_FOUND_MASK) == EF_NOT_FOUND_VALUE;
}
[[nodiscard]] constexpr bool IsNew(DWORD flags) { return (flags & EF_NEW_MASK) == EF_NEW_VALUE; }
[[nodiscard]] constexpr bool IsComparable(DWORD flags) {
  return (flags & EF_COMPARABLE_MASK) == EF_COMPARABLE_VALUE;
}
[[nodiscard]] constexpr bool IsQueuedForChecksum(DWORD flags) {
  return (flags & EF_QUEUED_MASK) == EF_QUEUED_VALUE;
}

static_assert(EF_NOT_FOUND_MASK == 0xA0000000 && EF_NEW_MASK == 0xC0000000 &&
              EF_QUEUED_MASK == 0xB0000000 && EF_QUEUED_VALUE == 0x90000000);
