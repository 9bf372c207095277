#include "engine/crc_combine.h"

namespace {

// a times b modulo the polynomial, both reflected (the highest bit is x^0).
DWORD MultiplyModulo(DWORD polynomial, DWORD a, DWORD b) {
  DWORD product = 0;
  for (DWORD bit = 0x80000000u; bit != 0; bit >>= 1) {
    if ((a & bit) != 0) product ^= b;
    b = (b & 1) != 0 ? (b >> 1) ^ polynomial : b >> 1;  // b times x
  }
  return product;
}

}  // namespace

DWORD CrcShiftByZeros(DWORD polynomial, DWORD reg, ULONGLONG bytes) {
  // x^(8 * bytes) by squaring: power holds x^(2^k) for the bit k of the bit count.
  DWORD power = 0x80000000u >> 1;  // x^1
  DWORD factor = 0x80000000u;      // x^0
  for (ULONGLONG bits = bytes * 8; bits != 0; bits >>= 1) {
    if ((bits & 1) != 0) factor = MultiplyModulo(polynomial, power, factor);
    power = MultiplyModulo(polynomial, power, power);
  }
  return MultiplyModulo(polynomial, factor, reg);
}
