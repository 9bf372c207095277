// How a listed state compares with the state found on disk: whether a file must be read again, and
// the difference bits of an entry, with the three tolerances TolTZShift, Tol2Seconds and
// TolARAttrOnCD (process_values.h), read afresh at every call. Pure functions of their arguments
// and those values; callable from any thread (Recompare only on entries the caller owns).
#pragma once
#include <string>
#include <string_view>

#include "platform/win_types.h"
#include "records/file_state.h"
#include "records/letter_case.h"

class CVemoEntry;

// Attributes compared at all: r h s d a, temporary, sparse, reparse point, compressed, offline,
// not content indexed, encrypted.
inline constexpr DWORD kComparedAttributes = 0x7F37;
// The compared ones except archive, compressed and not content indexed, whose changes are always
// tolerated.
inline constexpr DWORD kSignificantAttributes = 0x5717;
// Read-only and archive: what a CD-ROM may report differently from the disk the tree was made on.
inline constexpr DWORD kCdAttributes = 0x21;

// Whether the contents of a file found by a rescan must be read again. `reference` is the listed
// state (or the current one of an unlisted entry), `found` what the scan saw, carrying checksums
// already computed in this pass or none. A directory never needs it; a file whose reference has
// no checksums always does.
[[nodiscard]] bool NeedsChecksum(const FileState& reference, const FileState& found,
                                 DWORD driveType);

// True if the two time stamps differ by 1 to 23 whole hours (in whole seconds).
[[nodiscard]] bool IsWholeHourShift(const CNTimeStamp& t1, const CNTimeStamp& t2);

// True on a CD-ROM drive when the compared attributes differ, but not once read-only and archive
// are taken as set on both sides.
[[nodiscard]] bool IsCdAttrTolerated(DWORD stored, DWORD current, DWORD driveType);

// -1 if stored is earlier than current, 1 if later, 0 if equal; with the one-second tolerance on,
// times at most one whole second apart give 0 and set EF_TOL_2SECONDS in `flags`.
[[nodiscard]] int CompareTimes(const CNTimeStamp& stored, const CNTimeStamp& current,
                               bool oneSecondTolerance, DWORD& flags);

// The EF_COMPARE_MASK bits for a listed state against a found one, as Recompare sets them: the
// names are compared for letter case only under KeyCase::kFold.
[[nodiscard]] DWORD CompareStates(const FileState& stored, const FileState& current,
                                  DWORD driveType, KeyCase keyCase);

// Recomputes the EF_COMPARE_MASK bits of an entry's flag word from its two states; clears them
// unless the entry is both found and listed. Names are compared for letter case only when the
// entry's key folds case (otherwise a name differing in case is another entry altogether).
void Recompare(CVemoEntry& entry);

// The 12 attribute letters "rhsdaetzpcoj" for the bits set, '-' for the others (r---a-------).
[[nodiscard]] std::wstring FormatAttributes(DWORD attributes);
// Letters of FormatAttributes in any order, '-' skipped; false for any other character (the out
// value is then left unchanged). The empty text gives 0.
[[nodiscard]] bool ParseAttributes(std::wstring_view text, DWORD& attributes);

// current minus stored in whole seconds, as "+01:00:00" or "-2d 03:04:05".
[[nodiscard]] std::wstring FormatTimeDiff(const CNTimeStamp& current, const CNTimeStamp& stored);

// The checksum pair as "0x%8.8X/0x%8.8X".
[[nodiscard]] std::wstring FormatChecksums(const FileState& state);
