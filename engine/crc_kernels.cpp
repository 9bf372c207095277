#include "engine/crc_kernels.h"

#include <array>
#include <cassert>
#include <memory>
#include <mutex>

namespace {

// Register after multiplying the reflected register by x^n modulo the polynomial. The reflected
// form keeps the coefficient of x^e in bit 31-e, so multiplying by x is the forward bit step.
std::uint32_t ReflectedXPowMod(std::uint32_t polynomial, unsigned n) {
  std::uint32_t r = 0x80000000u;  // x^0
  for (unsigned i = 0; i < n; ++i) r = (r >> 1) ^ ((r & 1u) ? polynomial : 0u);
  return r;
}

// Folding a 128-bit lane forward by F bits. The lane holds A(x) = H(x)*x^64 + L(x), each half
// bit-reflected in its 64-bit word (bit i of a half is the coefficient of x^(63-i)). Moving A
// forward by F bits needs H*x^(F+64) + L*x^F. A carry-less product of two reflected words comes out
// shifted by one position, which the exponents absorb: with K = reflect32(x^E mod P) << 32, the
// product of a half with K, read as a reflected 128-bit lane, is that half times x^(E+1) modulo P.
// Hence E is F+63 for the high-order half (low word) and F-1 for the low-order half (high word).
void FoldConstants(std::uint32_t polynomial, unsigned fold_bits, std::uint64_t (&out)[2]) {
  out[0] = std::uint64_t{ReflectedXPowMod(polynomial, fold_bits + 63)} << 32;
  out[1] = std::uint64_t{ReflectedXPowMod(polynomial, fold_bits - 1)} << 32;
}

std::uint32_t Load32Le(const std::uint8_t* p) {
  // Byte assembly keeps the loop correct on any byte order; compilers turn it into one load.
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}

std::uint32_t ByteTableKernel(const CrcKernelTables& tables, std::uint32_t reg,
                              const std::uint8_t* data, std::size_t len) {
  return CrcUpdateByteTable(tables.slice[0], reg, data, len);
}

void ByteTablePairKernel(const CrcKernelTables& tables1, std::uint32_t& reg1,
                         const CrcKernelTables& tables2, std::uint32_t& reg2,
                         const std::uint8_t* data, std::size_t len) {
  std::uint32_t r1 = reg1;
  std::uint32_t r2 = reg2;
  for (std::size_t i = 0; i < len; ++i) {
    r1 = (r1 >> 8) ^ tables1.slice[0][(r1 ^ data[i]) & 0xFFu];
    r2 = (r2 >> 8) ^ tables2.slice[0][(r2 ^ data[i]) & 0xFFu];
  }
  reg1 = r1;
  reg2 = r2;
}

// One 16-byte step of slice-by-16: byte j of the block is followed by 15-j more bytes.
inline std::uint32_t Slice16Step(const std::uint32_t (&s)[16][256], std::uint32_t reg,
                                 const std::uint8_t* p) {
  const std::uint32_t a = reg ^ Load32Le(p);
  const std::uint32_t b = Load32Le(p + 4);
  const std::uint32_t c = Load32Le(p + 8);
  const std::uint32_t d = Load32Le(p + 12);
  return s[15][a & 0xFF] ^ s[14][(a >> 8) & 0xFF] ^ s[13][(a >> 16) & 0xFF] ^ s[12][a >> 24] ^
         s[11][b & 0xFF] ^ s[10][(b >> 8) & 0xFF] ^ s[9][(b >> 16) & 0xFF] ^ s[8][b >> 24] ^
         s[7][c & 0xFF] ^ s[6][(c >> 8) & 0xFF] ^ s[5][(c >> 16) & 0xFF] ^ s[4][c >> 24] ^
         s[3][d & 0xFF] ^ s[2][(d >> 8) & 0xFF] ^ s[1][(d >> 16) & 0xFF] ^ s[0][d >> 24];
}

void Slice16PairKernel(const CrcKernelTables& tables1, std::uint32_t& reg1,
                       const CrcKernelTables& tables2, std::uint32_t& reg2,
                       const std::uint8_t* data, std::size_t len) {
  std::uint32_t r1 = reg1;
  std::uint32_t r2 = reg2;
  for (; len >= 16; len -= 16, data += 16) {
    r1 = Slice16Step(tables1.slice, r1, data);
    r2 = Slice16Step(tables2.slice, r2, data);
  }
  reg1 = CrcUpdateByteTable(tables1.slice[0], r1, data, len);
  reg2 = CrcUpdateByteTable(tables2.slice[0], r2, data, len);
}

bool Always() { return true; }

#if defined(__x86_64__)
bool HasPclmul() { return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1"); }
bool HasVpclmul() {
  // libgcc also checks that the OS saves the AVX-512 state before it reports these.
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
         __builtin_cpu_supports("vpclmulqdq") && HasPclmul();
}
#endif

constexpr CrcKernel kKernels[] = {
    {CrcKernelId::kByteTable, "byte-table", ByteTableKernel, ByteTablePairKernel, Always},
    {CrcKernelId::kSlice16, "slice-by-16", CrcUpdateSlice16, Slice16PairKernel, Always},
#if defined(__x86_64__)
    {CrcKernelId::kPclmul, "pclmul-4x128", CrcUpdatePclmul, CrcUpdatePairPclmul, HasPclmul},
    {CrcKernelId::kVpclmul, "vpclmul-4x512", CrcUpdateVpclmul, CrcUpdatePairVpclmul, HasVpclmul},
#endif
};

const CrcKernel& ChooseBestKernel() {
  const CrcKernel* best = &kKernels[0];
  for (const CrcKernel& k : kKernels) {
    if (k.supported()) best = &k;
  }
  return *best;
}

// Tables shared by every engine of a polynomial. Never destroyed: engines copied into static
// objects may still point here while the process ends.
struct SharedTables {
  std::mutex mutex;
  std::array<std::unique_ptr<CrcKernelTables>, kMaxSharedCrcKernelTables> slots;
};

SharedTables& Shared() {
  static SharedTables* shared = new SharedTables;
  return *shared;
}

}  // namespace

std::uint32_t CrcUpdateByteTable(const std::uint32_t (&table)[256], std::uint32_t reg,
                                 const std::uint8_t* data, std::size_t len) {
  for (std::size_t i = 0; i < len; ++i) reg = (reg >> 8) ^ table[(reg ^ data[i]) & 0xFFu];
  return reg;
}

std::uint32_t CrcUpdateSlice16(const CrcKernelTables& tables, std::uint32_t reg,
                               const std::uint8_t* data, std::size_t len) {
  for (; len >= 16; len -= 16, data += 16) reg = Slice16Step(tables.slice, reg, data);
  return CrcUpdateByteTable(tables.slice[0], reg, data, len);
}

std::span<const CrcKernel> AllCrcKernels() { return kKernels; }

const CrcKernel& GetCrcKernel(CrcKernelId id) {
  for (const CrcKernel& k : kKernels) {
    if (k.id == id) return k;
  }
  // Kernels missing from this build's architecture fall back to the reference.
  return kKernels[0];
}

const CrcKernel& ActiveCrcKernel() {
  static const CrcKernel& active = ChooseBestKernel();
  return active;
}

void BuildCrcKernelTables(std::uint32_t polynomial, CrcKernelTables& out) {
  out.polynomial = polynomial;
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t r = i;
    for (int bit = 0; bit < 8; ++bit) r = (r >> 1) ^ ((r & 1u) ? polynomial : 0u);
    out.slice[0][i] = r;
  }
  for (int k = 1; k < 16; ++k) {
    for (int i = 0; i < 256; ++i) {
      const std::uint32_t prev = out.slice[k - 1][i];
      out.slice[k][i] = (prev >> 8) ^ out.slice[0][prev & 0xFFu];
    }
  }
  FoldConstants(polynomial, 128, out.fold128);
  FoldConstants(polynomial, 512, out.fold512);
  FoldConstants(polynomial, 2048, out.fold2048);
}

const CrcKernelTables* SharedCrcKernelTables(std::uint32_t polynomial) {
  SharedTables& shared = Shared();
  {
    std::lock_guard lock(shared.mutex);
    for (const auto& slot : shared.slots) {
      if (slot && slot->polynomial == polynomial) return slot.get();
    }
  }
  // Built outside the lock; a thread that raced us to the same polynomial wins and ours is dropped.
  auto built = std::make_unique<CrcKernelTables>();
  BuildCrcKernelTables(polynomial, *built);
  std::lock_guard lock(shared.mutex);
  for (auto& slot : shared.slots) {
    if (!slot) {
      slot = std::move(built);
      return slot.get();
    }
    if (slot->polynomial == polynomial) return slot.get();
  }
  return nullptr;
}
