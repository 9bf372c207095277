// Joining CRC registers of consecutive pieces of data, so that pieces checksummed apart (by
// several threads, each from register 0) give the register of the whole.
//
// A reflected CRC register is linear in the register it starts from and in the data: feeding
// data D of n bytes from register r gives Feed(r, 0^n) XOR Feed(0, D), and Feed(r, 0^n) is r times
// x^(8n) modulo the polynomial. So Join(r, Feed(0, D), n) = Feed(r, D), for any reflected 32-bit
// polynomial (x^32 implied), in O(log n) steps.
#pragma once
#include "platform/win_types.h"

// The register after feeding `bytes` zero bytes from `reg`.
[[nodiscard]] DWORD CrcShiftByZeros(DWORD polynomial, DWORD reg, ULONGLONG bytes);

// The register after feeding from `reg` the piece whose register from 0 is `piece` and whose
// length is `piece_bytes`.
[[nodiscard]] inline DWORD CrcJoin(DWORD polynomial, DWORD reg, DWORD piece,
                                   ULONGLONG piece_bytes) {
  return CrcShiftByZeros(polynomial, reg, piece_bytes) ^ piece;
}
