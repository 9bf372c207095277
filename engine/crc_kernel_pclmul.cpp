// Folding kernel with 128-bit carry-less multiplication: four lanes of 16 bytes in flight, each
// folded forward by 64 bytes per step. Runs only after the CPU check of crc_kernels.cpp.
#include "engine/crc_fold_x86.h"

#if defined(__x86_64__)

namespace {

using namespace crc_fold;

constexpr std::size_t kBlock = 64;

// Updates N registers (N polynomials) over the same data; every load feeds all of them.
template <int N>
VEMO_TARGET_PCLMUL void FoldPclmul(const CrcKernelTables* const (&tables)[N],
                                   std::uint32_t (&regs)[N], const std::uint8_t* p, std::size_t n) {
  if (n < kBlock) {
    for (int i = 0; i < N; ++i) regs[i] = CrcUpdateSlice16(*tables[i], regs[i], p, n);
    return;
  }
  __m128i k512[N], k128[N], x0[N], x1[N], x2[N], x3[N];
  for (int i = 0; i < N; ++i) {
    k512[i] = Constants128(tables[i]->fold512);
    k128[i] = Constants128(tables[i]->fold128);
    x0[i] = _mm_xor_si128(Load128(p), _mm_cvtsi32_si128(static_cast<int>(regs[i])));
    x1[i] = Load128(p + 16);
    x2[i] = Load128(p + 32);
    x3[i] = Load128(p + 48);
  }
  p += kBlock;
  n -= kBlock;
  for (; n >= kBlock; p += kBlock, n -= kBlock) {
    const __m128i d0 = Load128(p), d1 = Load128(p + 16), d2 = Load128(p + 32), d3 = Load128(p + 48);
    for (int i = 0; i < N; ++i) {
      x0[i] = Fold128(x0[i], k512[i], d0);
      x1[i] = Fold128(x1[i], k512[i], d1);
      x2[i] = Fold128(x2[i], k512[i], d2);
      x3[i] = Fold128(x3[i], k512[i], d3);
    }
  }
  __m128i acc[N];
  for (int i = 0; i < N; ++i) {
    acc[i] = Fold128(x0[i], k128[i], x1[i]);
    acc[i] = Fold128(acc[i], k128[i], x2[i]);
    acc[i] = Fold128(acc[i], k128[i], x3[i]);
  }
  for (; n >= 16; p += 16, n -= 16) {
    const __m128i d = Load128(p);
    for (int i = 0; i < N; ++i) acc[i] = Fold128(acc[i], k128[i], d);
  }
  for (int i = 0; i < N; ++i) {
    regs[i] = CrcUpdateByteTable(tables[i]->slice[0], Reduce128(*tables[i], acc[i]), p, n);
  }
}

}  // namespace

std::uint32_t CrcUpdatePclmul(const CrcKernelTables& tables, std::uint32_t reg,
                              const std::uint8_t* data, std::size_t len) {
  const CrcKernelTables* const t[1] = {&tables};
  std::uint32_t r[1] = {reg};
  FoldPclmul<1>(t, r, data, len);
  return r[0];
}

void CrcUpdatePairPclmul(const CrcKernelTables& tables1, std::uint32_t& reg1,
                         const CrcKernelTables& tables2, std::uint32_t& reg2,
                         const std::uint8_t* data, std::size_t len) {
  const CrcKernelTables* const t[2] = {&tables1, &tables2};
  std::uint32_t r[2] = {reg1, reg2};
  FoldPclmul<2>(t, r, data, len);
  reg1 = r[0];
  reg2 = r[1];
}

#endif
