// The Windows integer types the program's records and interfaces are written in. Sizes are fixed
// so that stored values (checksums, attributes, registry words) keep their width on Linux.
#pragma once
#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using LONG = std::int32_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
