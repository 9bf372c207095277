// Carry-less folding steps shared by the x86 CRC kernels. Each helper carries its own target
// attribute, so only the kernels that the CPU check admits ever execute these instructions.
#pragma once
#if defined(__x86_64__)
#include <immintrin.h>

#include <cstdint>

#include "engine/crc_kernels.h"

#define VEMO_TARGET_PCLMUL __attribute__((target("pclmul,sse4.1")))
#define VEMO_TARGET_VPCLMUL __attribute__((target("avx512f,avx512bw,vpclmulqdq,pclmul,sse4.1")))

namespace crc_fold {

// Fold constants of one distance as {high-order half, low-order half} in a 128-bit lane.
VEMO_TARGET_PCLMUL inline __m128i Constants128(const std::uint64_t (&k)[2]) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(k));
}

// acc moved forward by the constants' distance, plus the data found there.
VEMO_TARGET_PCLMUL inline __m128i Fold128(__m128i acc, __m128i k, __m128i data) {
  const __m128i lo = _mm_clmulepi64_si128(acc, k, 0x00);
  const __m128i hi = _mm_clmulepi64_si128(acc, k, 0x11);
  return _mm_xor_si128(_mm_xor_si128(lo, hi), data);
}

VEMO_TARGET_PCLMUL inline __m128i Load128(const std::uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// A lane of pending message bits is itself a 16-byte message: its register from 0 is the CRC
// register of everything folded into it.
VEMO_TARGET_PCLMUL inline std::uint32_t Reduce128(const CrcKernelTables& tables, __m128i acc) {
  alignas(16) std::uint8_t bytes[16];
  _mm_store_si128(reinterpret_cast<__m128i*>(bytes), acc);
  return CrcUpdateSlice16(tables, 0, bytes, 16);
}

VEMO_TARGET_VPCLMUL inline __m512i Constants512(const std::uint64_t (&k)[2]) {
  // The zero-masked forms: the plain ones start from an "undefined" vector that g++ 12 warns about.
  return _mm512_maskz_broadcast_i32x4(0xFFFF, Constants128(k));
}

VEMO_TARGET_VPCLMUL inline __m512i Fold512(__m512i acc, __m512i k, __m512i data) {
  const __m512i lo = _mm512_clmulepi64_epi128(acc, k, 0x00);
  const __m512i hi = _mm512_clmulepi64_epi128(acc, k, 0x11);
  return _mm512_ternarylogic_epi64(lo, hi, data, 0x96);  // lo ^ hi ^ data
}

VEMO_TARGET_VPCLMUL inline __m512i Load512(const std::uint8_t* p) { return _mm512_loadu_si512(p); }

// The register enters the message by XOR into its first four bytes.
VEMO_TARGET_VPCLMUL inline __m512i RegisterLane512(std::uint32_t reg) {
  return _mm512_inserti32x4(_mm512_setzero_si512(), _mm_cvtsi32_si128(static_cast<int>(reg)), 0);
}

// Folds the four 128-bit lanes of a 512-bit accumulator into one, earliest lane first.
VEMO_TARGET_VPCLMUL inline __m128i Collapse512(__m512i acc, __m128i k128) {
  __m128i a = _mm512_maskz_extracti32x4_epi32(0xF, acc, 0);
  a = Fold128(a, k128, _mm512_maskz_extracti32x4_epi32(0xF, acc, 1));
  a = Fold128(a, k128, _mm512_maskz_extracti32x4_epi32(0xF, acc, 2));
  return Fold128(a, k128, _mm512_maskz_extracti32x4_epi32(0xF, acc, 3));
}

}  // namespace crc_fold
#endif
