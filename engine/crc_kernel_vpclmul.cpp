// Folding kernel with 512-bit carry-less multiplication (AVX-512 VPCLMULQDQ): four 64-byte
// accumulators, each folded forward by 256 bytes per step. Runs only after the CPU check of
// crc_kernels.cpp; inputs too short for one step go to the 128-bit kernel.
#include "engine/crc_fold_x86.h"

#if defined(__x86_64__)

namespace {

using namespace crc_fold;

constexpr std::size_t kBlock = 256;

// Updates N registers (N polynomials) over the same data; every load feeds all of them.
template <int N>
VEMO_TARGET_VPCLMUL void FoldVpclmul(const CrcKernelTables* const (&tables)[N],
                                     std::uint32_t (&regs)[N], const std::uint8_t* p,
                                     std::size_t n) {
  __m512i k2048[N], k512[N], x0[N], x1[N], x2[N], x3[N];
  for (int i = 0; i < N; ++i) {
    k2048[i] = Constants512(tables[i]->fold2048);
    k512[i] = Constants512(tables[i]->fold512);
    x0[i] = _mm512_xor_si512(Load512(p), RegisterLane512(regs[i]));
    x1[i] = Load512(p + 64);
    x2[i] = Load512(p + 128);
    x3[i] = Load512(p + 192);
  }
  p += kBlock;
  n -= kBlock;
  for (; n >= kBlock; p += kBlock, n -= kBlock) {
    const __m512i d0 = Load512(p), d1 = Load512(p + 64), d2 = Load512(p + 128),
                  d3 = Load512(p + 192);
    for (int i = 0; i < N; ++i) {
      x0[i] = Fold512(x0[i], k2048[i], d0);
      x1[i] = Fold512(x1[i], k2048[i], d1);
      x2[i] = Fold512(x2[i], k2048[i], d2);
      x3[i] = Fold512(x3[i], k2048[i], d3);
    }
  }
  __m512i acc[N];
  for (int i = 0; i < N; ++i) {
    acc[i] = Fold512(x0[i], k512[i], x1[i]);
    acc[i] = Fold512(acc[i], k512[i], x2[i]);
    acc[i] = Fold512(acc[i], k512[i], x3[i]);
  }
  for (; n >= 64; p += 64, n -= 64) {
    const __m512i d = Load512(p);
    for (int i = 0; i < N; ++i) acc[i] = Fold512(acc[i], k512[i], d);
  }
  __m128i lane[N], k128[N];
  for (int i = 0; i < N; ++i) {
    k128[i] = Constants128(tables[i]->fold128);
    lane[i] = Collapse512(acc[i], k128[i]);
  }
  for (; n >= 16; p += 16, n -= 16) {
    const __m128i d = Load128(p);
    for (int i = 0; i < N; ++i) lane[i] = Fold128(lane[i], k128[i], d);
  }
  for (int i = 0; i < N; ++i) {
    regs[i] = CrcUpdateByteTable(tables[i]->slice[0], Reduce128(*tables[i], lane[i]), p, n);
  }
}

}  // namespace

std::uint32_t CrcUpdateVpclmul(const CrcKernelTables& tables, std::uint32_t reg,
                               const std::uint8_t* data, std::size_t len) {
  if (len < kBlock) return CrcUpdatePclmul(tables, reg, data, len);
  const CrcKernelTables* const t[1] = {&tables};
  std::uint32_t r[1] = {reg};
  FoldVpclmul<1>(t, r, data, len);
  return r[0];
}

void CrcUpdatePairVpclmul(const CrcKernelTables& tables1, std::uint32_t& reg1,
                          const CrcKernelTables& tables2, std::uint32_t& reg2,
                          const std::uint8_t* data, std::size_t len) {
  if (len < kBlock) return CrcUpdatePairPclmul(tables1, reg1, tables2, reg2, data, len);
  const CrcKernelTables* const t[2] = {&tables1, &tables2};
  std::uint32_t r[2] = {reg1, reg2};
  FoldVpclmul<2>(t, r, data, len);
  reg1 = r[0];
  reg2 = r[1];
}

#endif
