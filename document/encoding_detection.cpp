#include "document/encoding_detection.h"

#include <cstring>

namespace {

void CountUnit(EncodingStatistics::UnitCounts& counts, unsigned unit) {
  if (unit == 0) {
    ++counts.zero;
  } else if (unit < 128) {
    ++counts.ascii;
  } else if (unit < 256) {
    ++counts.latin;
  } else if (unit == 0xFEFF) {
    ++counts.bom;
  } else {
    ++counts.other;
  }
}

void StepUtf8(int& state, BYTE b) {
  if (state < 0) return;
  if (b < 0x80) {
    if (state > 0) state = -1;
  } else if (b < 0xC0) {
    state = state > 0 ? state - 1 : -1;
  } else if (state > 0 || b >= 0xFE) {
    state = -1;
  } else {
    int ones = 0;
    for (BYTE mask = 0x80; (b & mask) != 0; mask >>= 1) ++ones;
    state = ones - 1;
  }
}

void Count(const BYTE* bytes, std::size_t count, EncodingStatistics& s) {
  for (std::size_t i = 0; i < count; ++i) {
    const BYTE b = bytes[i];
    const bool odd = (s.total & 1) != 0;
    ++s.total;
    if (!odd) {
      s.pendingLittle = b;
      s.pendingBig = unsigned{b} << 8;
    } else {
      CountUnit(s.littleEndian, s.pendingLittle | (unsigned{b} << 8));
      CountUnit(s.bigEndian, s.pendingBig | b);
      s.pendingLittle = s.pendingBig = 0;
    }
    if (b == 0) {
      ++s.zeroBytes;
      s.utf8State = -1;
    } else if (b < 128) {
      ++s.lowBytes;
    } else {
      ++s.highBytes;
    }
    StepUtf8(s.utf8State, b);
  }
}

EncodingClass Decide(const EncodingStatistics& s) {
  if (s.total == 0) return kEncodingUnknown;
  if (s.zeroBytes == 0 && s.highBytes == 0) return kEncodingAscii;
  if (s.utf8State == 0 && s.zeroBytes == 0) return kEncodingUtf8;
  if (s.zeroBytes == 0) return kEncodingAnsi;
  if (s.littleEndian.zero != 0 || s.bigEndian.zero != 0) return kEncodingUnknown;
  if (s.littleEndian.bom != 0) return s.bigEndian.bom != 0 ? kEncodingUnknown : kEncodingUtf16Le;
  if (s.bigEndian.bom != 0) return kEncodingUtf16Be;
  if (s.littleEndian.ascii > s.bigEndian.ascii) return kEncodingUtf16Le;
  if (s.littleEndian.ascii < s.bigEndian.ascii) return kEncodingUtf16Be;
  return kEncodingUnknown;
}

// Without a zero byte the 16-bit counts decide nothing; a document of a million entries then only
// needs the high-bit test and the UTF-8 walk, with ASCII runs skipped eight bytes at a time.
EncodingClass DecideWithoutZero(const BYTE* bytes, std::size_t count) {
  int state = 0;
  bool high = false;
  std::size_t i = 0;
  while (i < count) {
    if (state == 0 && i + 8 <= count) {
      std::uint64_t word;
      std::memcpy(&word, bytes + i, 8);
      if ((word & 0x8080808080808080ULL) == 0) {
        i += 8;
        continue;
      }
    }
    const BYTE b = bytes[i++];
    if (b >= 0x80) high = true;
    StepUtf8(state, b);
    if (state < 0) return kEncodingAnsi;  // a byte above 127 was seen on the way to -1
  }
  if (!high) return kEncodingAscii;
  return state == 0 ? kEncodingUtf8 : kEncodingAnsi;
}

}  // namespace

EncodingClass DetectEncoding(const BYTE* bytes, std::size_t count, EncodingStatistics* stats) {
  if (stats == nullptr) {
    if (count == 0) return kEncodingUnknown;
    if (std::memchr(bytes, 0, count) == nullptr) return DecideWithoutZero(bytes, count);
    EncodingStatistics fresh;
    Count(bytes, count, fresh);
    return Decide(fresh);
  }
  Count(bytes, count, *stats);
  return Decide(*stats);
}
