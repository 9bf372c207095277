#include "engine/crc_kernels.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kCrc32 = 0xEDB88320;   // CRC-32 (ISO-HDLC)
constexpr std::uint32_t kCrc2 = 0xEDB88321;    // the second file checksum
constexpr std::uint32_t kCrc32C = 0x82F63B78;  // Castagnoli: another full-width polynomial
constexpr std::uint32_t kCrc16 = 0x0000A001;   // CRC-16/ARC: a polynomial narrower than 32 bits

// Built here rather than taken from the shared set, which other tests may have filled.
const CrcKernelTables& Tables(std::uint32_t polynomial) {
  static std::map<std::uint32_t, std::unique_ptr<CrcKernelTables>> built;
  auto& t = built[polynomial];
  if (!t) {
    t = std::make_unique<CrcKernelTables>();
    BuildCrcKernelTables(polynomial, *t);
  }
  return *t;
}

std::uint32_t Reference(std::uint32_t polynomial, std::uint32_t reg, const std::uint8_t* p,
                        std::size_t n) {
  return CrcUpdateByteTable(Tables(polynomial).slice[0], reg, p, n);
}

std::vector<std::uint8_t> Pattern(std::size_t n) {
  std::vector<std::uint8_t> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>(i * 7 + 3);
  return v;
}

class CrcKernelTest : public ::testing::TestWithParam<CrcKernelId> {
 protected:
  void SetUp() override {
    kernel_ = &GetCrcKernel(GetParam());
    if (kernel_->id != GetParam()) GTEST_SKIP() << "kernel not built for this architecture";
    if (!kernel_->supported()) GTEST_SKIP() << kernel_->name << " not supported by this CPU";
  }
  const CrcKernel* kernel_ = nullptr;
};

TEST_P(CrcKernelTest, KnownAnswers) {
  const std::string check = "123456789";
  const auto pattern = Pattern(100000);  // bytes (7i + 3) mod 256
  struct Case {
    std::uint32_t polynomial, initial, final_xor;
    const std::uint8_t* data;
    std::size_t len;
    std::uint32_t expected;
    const char* source;
  };
  const auto* chk = reinterpret_cast<const std::uint8_t*>(check.data());
  const Case cases[] = {
      {kCrc32, 0xFFFFFFFF, 0xFFFFFFFF, chk, 9, 0xCBF43926, "CRC catalogue, CRC-32/ISO-HDLC check"},
      {kCrc32C, 0xFFFFFFFF, 0xFFFFFFFF, chk, 9, 0xE3069283, "CRC catalogue, CRC-32/ISCSI check"},
      {kCrc16, 0, 0, chk, 9, 0xBB3D, "CRC catalogue, CRC-16/ARC check"},
      {kCrc2, 0, 0, chk, 9, 0x6B240D8C, "bit-at-a-time definition, computed independently"},
      {kCrc32, 0xFFFFFFFF, 0xFFFFFFFF, pattern.data(), pattern.size(), 0xF730CAA8,
       "zlib crc32() of the same pattern"},
      {kCrc2, 0, 0, pattern.data(), pattern.size(), 0x1E7A0A6E,
       "bit-at-a-time definition, computed independently"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    const CrcKernelTables& t = Tables(c.polynomial);
    EXPECT_EQ(kernel_->update(t, c.initial, c.data, c.len) ^ c.final_xor, c.expected);
    std::uint32_t r1 = c.initial, r2 = c.initial;
    kernel_->update_pair(t, r1, t, r2, c.data, c.len);
    EXPECT_EQ(r1 ^ c.final_xor, c.expected);
    EXPECT_EQ(r2 ^ c.final_xor, c.expected);
  }
}

// Random lengths, offsets (alignments) and starting registers against the reference loop, for
// single and paired updates. The fixed lengths sit on the kernels' block and tail boundaries.
TEST_P(CrcKernelTest, MatchesReferenceLoop) {
  std::mt19937_64 rng(20240611);
  constexpr std::size_t kMaxLen = 300 * 1024;
  std::vector<std::uint8_t> buffer(kMaxLen + 64);
  for (auto& b : buffer) b = static_cast<std::uint8_t>(rng());

  std::vector<std::size_t> lengths = {0,   1,   3,   4,    15,   16,   17,    63,    64,     65,
                                      127, 128, 255, 256,  257,  319,  320,   511,   512,    513,
                                      767, 768, 831, 1023, 1024, 4095, 65536, 65537, kMaxLen};
  for (int i = 0; i < 30; ++i) lengths.push_back(rng() % (kMaxLen + 1));

  const std::pair<std::uint32_t, std::uint32_t> pairs[] = {
      {kCrc32, kCrc2}, {kCrc2, kCrc32C}, {kCrc16, kCrc32}};
  for (std::size_t len : lengths) {
    for (const auto& [poly1, poly2] : pairs) {
      const std::size_t offset = rng() % 64;
      std::uint32_t start1 = static_cast<std::uint32_t>(rng());
      std::uint32_t start2 = static_cast<std::uint32_t>(rng());
      if (poly1 == kCrc16) start1 &= 0xFFFF;  // a 16-bit register
      const std::uint8_t* p = buffer.data() + offset;
      SCOPED_TRACE(testing::Message() << "len " << len << " offset " << offset << " polys 0x"
                                      << std::hex << poly1 << "/0x" << poly2);
      const std::uint32_t want1 = Reference(poly1, start1, p, len);
      const std::uint32_t want2 = Reference(poly2, start2, p, len);

      EXPECT_EQ(kernel_->update(Tables(poly1), start1, p, len), want1);
      std::uint32_t r1 = start1, r2 = start2;
      kernel_->update_pair(Tables(poly1), r1, Tables(poly2), r2, p, len);
      EXPECT_EQ(r1, want1);
      EXPECT_EQ(r2, want2);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllKernels, CrcKernelTest,
                         ::testing::Values(CrcKernelId::kByteTable, CrcKernelId::kSlice16,
                                           CrcKernelId::kPclmul, CrcKernelId::kVpclmul),
                         [](const testing::TestParamInfo<CrcKernelId>& instance) {
                           switch (instance.param) {
                             case CrcKernelId::kByteTable:
                               return std::string("ByteTable");
                             case CrcKernelId::kSlice16:
                               return std::string("Slice16");
                             case CrcKernelId::kPclmul:
                               return std::string("Pclmul");
                             case CrcKernelId::kVpclmul:
                               return std::string("Vpclmul");
                           }
                           return std::string("Unknown");
                         });

TEST(CrcKernelDispatch, ActiveKernelIsTheFastestSupported) {
  const CrcKernel& active = ActiveCrcKernel();
  EXPECT_TRUE(active.supported());
  for (const CrcKernel& k : AllCrcKernels()) {
    if (!k.supported()) continue;
    EXPECT_LE(static_cast<int>(k.id), static_cast<int>(active.id)) << k.name;
  }
}

}  // namespace
