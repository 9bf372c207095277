// The texts the command line adds to the desktop program's notes: the note of a moved entry, what
// made a missing or new file unpairable, and the differences a tolerance let pass, with how much.
// Pure functions; main thread (they read the tolerance settings through CompareStates only).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win_types.h"

class CVemoEntry;
struct FileState;

// The difference bits (EF_COMPARE_MASK) between a moved entry's old listed state and its new found
// one, with the tolerances applied as to any listed file; names are not compared.
[[nodiscard]] DWORD MovedDifferences(const CVemoEntry& to, const CVemoEntry& from);

// "Moved from docs/a.txt", "Renamed from a.txt" (same directory), "Renamed (letter case only)
// from Readme.txt"; a file's time stamp and attribute differences follow as in the desktop
// program's notes ("..., Newer time stamp (+00:05:00)"); a directory adds "with its 3 files".
[[nodiscard]] std::wstring MovedNote(const CVemoEntry& to, const CVemoEntry& from,
                                     DWORD differences, std::size_t files);

// Why a missing (or new) file was not paired: "not paired: 2 new files and 1 other missing file
// have the same size and checksums". The counts include the entry itself.
[[nodiscard]] std::wstring UnpairedRemark(bool missing, std::uint32_t missing_alike,
                                          std::uint32_t new_alike);

// A difference that counted as none.
enum class Tolerance { kTzShift, kOneSecond, kAttributes };
struct ToleratedDifference {
  Tolerance kind;
  std::wstring by;  // "+01:00:00", "-00:00:01", or the letters of the attributes that differ
};
// The JSON name: tz-shift, one-second, attributes.
[[nodiscard]] const char* ToleranceName(Tolerance kind);
// The tolerated differences of a listed state against a found one, by the EF_TOL_* bits of flags.
[[nodiscard]] std::vector<ToleratedDifference> ToleratedDifferences(DWORD flags,
                                                                    const FileState& listed,
                                                                    const FileState& found);
// "tolerated: whole-hour time shift (+01:00:00), attribute change (----a-------)"; empty for none.
[[nodiscard]] std::wstring ToleratedText(const std::vector<ToleratedDifference>& tolerated);
