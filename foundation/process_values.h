// Process-wide values: one 32-bit word each per process, read by any thread without a lock and
// changed only atomically. The settings store binds the kept ones to the user's settings.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>

// List views draw grid lines.
inline std::atomic<std::uint32_t> Gridlines{1};
// List views keep the last checksummed row visible.
inline std::atomic<std::uint32_t> FollowScan{0};
// Categories shown by the list views (SF_ bits below).
inline std::atomic<std::uint32_t> ShowFlags{63};
// Tolerate time stamps that differ by whole hours.
inline std::atomic<std::uint32_t> TolTZShift{1};
// Tolerate time stamps that differ by at most one second.
inline std::atomic<std::uint32_t> Tol2Seconds{1};
// Tolerate read-only and archive differences on CD-ROM drives.
inline std::atomic<std::uint32_t> TolARAttrOnCD{1};
// The program's web page address; the settings store loads and saves it. A string, so not atomic:
// only the user-interface thread reads or changes it.
inline std::wstring WebPage;
// Every worker pauses while this is non-zero.
inline std::atomic<std::uint32_t> FreezeScans{0};
// Running worker threads of all documents.
inline std::atomic<std::uint32_t> ActiveWorkerCount{0};
// The session is ending; documents close without asking.
inline std::atomic<std::uint32_t> ShutdownPending{0};
// The next new document takes the current directory without asking.
inline std::atomic<std::uint32_t> SkipBaseDirPrompt{1};

// View filter bits of ShowFlags.
inline constexpr std::uint32_t SF_SAME = 0x01;
inline constexpr std::uint32_t SF_CHANGED = 0x02;
inline constexpr std::uint32_t SF_NEW = 0x04;
inline constexpr std::uint32_t SF_MISSING = 0x08;
inline constexpr std::uint32_t SF_ERRORS = 0x10;
inline constexpr std::uint32_t SF_EMPTY_FOLDERS = 0x20;
