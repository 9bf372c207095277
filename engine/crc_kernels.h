// Update loops for reflected 32-bit CRCs, behind one function type so that the fastest loop the CPU
// supports can be chosen once and swapped without touching the callers.
//
// Every kernel computes exactly what the byte-wise table loop computes: for each byte b,
//   reg = (reg >> 8) ^ table[(reg ^ b) & 0xFF]
// with 32-bit arithmetic, for any 32-bit polynomial value. The byte-wise loop is the reference; the
// others are checked against it.
//
// Threads: everything here may be called from any thread. Kernel tables are immutable once
// published and live until the process ends.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

// Per-polynomial data shared by all kernels, derived from the polynomial at run time.
struct alignas(64) CrcKernelTables {
  std::uint32_t polynomial;
  // slice[k][b]: register after feeding byte b followed by k zero bytes from register 0;
  // slice[0] is the byte-wise table.
  std::uint32_t slice[16][256];
  // Carry-less folding of a 128-bit lane forward by F bits: {x^(F+63) mod P, x^(F-1) mod P}, each
  // bit-reflected and placed in the upper half of a 64-bit word (see crc_kernels.cpp).
  std::uint64_t fold128[2];
  std::uint64_t fold512[2];
  std::uint64_t fold2048[2];
};

// Feeds data into a CRC register; returns the new register (no final XOR).
using CrcUpdateFn = std::uint32_t (*)(const CrcKernelTables& tables, std::uint32_t reg,
                                      const std::uint8_t* data, std::size_t len);
// Feeds the same data into two registers with two polynomials in one pass over the data.
using CrcUpdatePairFn = void (*)(const CrcKernelTables& tables1, std::uint32_t& reg1,
                                 const CrcKernelTables& tables2, std::uint32_t& reg2,
                                 const std::uint8_t* data, std::size_t len);

enum class CrcKernelId { kByteTable, kSlice16, kPclmul, kVpclmul };

struct CrcKernel {
  CrcKernelId id;
  const char* name;
  CrcUpdateFn update;
  CrcUpdatePairFn update_pair;
  // Whether the CPU can run this kernel.
  bool (*supported)();
};

// All kernels built into the program, slowest first; some may be unsupported by this CPU.
[[nodiscard]] std::span<const CrcKernel> AllCrcKernels();
[[nodiscard]] const CrcKernel& GetCrcKernel(CrcKernelId id);
// The fastest supported kernel, chosen once from the CPU's features on first use.
[[nodiscard]] const CrcKernel& ActiveCrcKernel();

// Builds the tables for a polynomial into `out` (about 17 KiB); no allocation, no lock.
void BuildCrcKernelTables(std::uint32_t polynomial, CrcKernelTables& out);

// Process-wide tables for a polynomial, built on first request and kept until the process ends.
// At most kMaxSharedCrcKernelTables polynomials are kept; beyond that the result is null and the
// caller uses its own byte-wise table.
inline constexpr std::size_t kMaxSharedCrcKernelTables = 16;
[[nodiscard]] const CrcKernelTables* SharedCrcKernelTables(std::uint32_t polynomial);

// The reference loop over any byte-wise table; the other kernels finish short tails with it or
// with the slice-by-16 loop.
[[nodiscard]] std::uint32_t CrcUpdateByteTable(const std::uint32_t (&table)[256], std::uint32_t reg,
                                               const std::uint8_t* data, std::size_t len);
[[nodiscard]] std::uint32_t CrcUpdateSlice16(const CrcKernelTables& tables, std::uint32_t reg,
                                             const std::uint8_t* data, std::size_t len);

// The carry-less multiplication kernels, each in its own file compiled with its target attribute.
// Defined only on x86-64; callers check the CPU first.
std::uint32_t CrcUpdatePclmul(const CrcKernelTables& tables, std::uint32_t reg,
                              const std::uint8_t* data, std::size_t len);
void CrcUpdatePairPclmul(const CrcKernelTables& tables1, std::uint32_t& reg1,
                         const CrcKernelTables& tables2, std::uint32_t& reg2,
                         const std::uint8_t* data, std::size_t len);
std::uint32_t CrcUpdateVpclmul(const CrcKernelTables& tables, std::uint32_t reg,
                               const std::uint8_t* data, std::size_t len);
void CrcUpdatePairVpclmul(const CrcKernelTables& tables1, std::uint32_t& reg1,
                          const CrcKernelTables& tables2, std::uint32_t& reg2,
                          const std::uint8_t* data, std::size_t len);
