// DetectEncoding: the text encoding of a document file's bytes, by counting bytes, the 16-bit
// units of both byte orders and following the UTF-8 structure. Pure function; any thread (a
// statistics record belongs to one caller).
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/win_types.h"

enum EncodingClass : int {
  kEncodingUnknown = 0,  // empty, binary or undecidable
  kEncodingAscii = 1,    // 7-bit text: no byte 0, none above 127
  kEncodingAnsi = 2,     // 8-bit text that is not UTF-8, no byte 0
  kEncodingUtf8 = 8,     // UTF-8 with a byte above 127, no byte 0
  kEncodingUtf16Le = 16,
  kEncodingUtf16Be = 17,
};

// Counts that accumulate over calls with the same record.
struct EncodingStatistics {
  struct UnitCounts {
    std::uint64_t zero = 0;   // units equal to 0
    std::uint64_t ascii = 0;  // 1..127
    std::uint64_t latin = 0;  // 128..255
    std::uint64_t bom = 0;    // 0xFEFF
    std::uint64_t other = 0;
  };
  std::uint64_t total = 0;
  std::uint64_t zeroBytes = 0;
  std::uint64_t lowBytes = 0;   // 1..127
  std::uint64_t highBytes = 0;  // 128..255
  UnitCounts littleEndian;
  UnitCounts bigEndian;
  int utf8State = 0;  // continuation bytes still expected, -1 once the bytes cannot be UTF-8
  // The pending units of an odd byte count, completed by the next call.
  unsigned pendingLittle = 0;
  unsigned pendingBig = 0;
};

// Classifies bytes[0..count) together with whatever `stats` already holds (null: a fresh record).
[[nodiscard]] EncodingClass DetectEncoding(const BYTE* bytes, std::size_t count,
                                           EncodingStatistics* stats = nullptr);
