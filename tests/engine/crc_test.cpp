#include "engine/crc.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/crc_table_cache.h"

namespace {

// The definition, one bit at a time, independent of any table.
std::uint32_t BitwiseRegister(std::uint32_t polynomial, std::uint32_t reg, const void* data,
                              std::size_t len) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  for (std::size_t i = 0; i < len; ++i) {
    reg ^= p[i];
    for (int bit = 0; bit < 8; ++bit) reg = (reg >> 1) ^ ((reg & 1) ? polynomial : 0);
  }
  return reg;
}

std::vector<std::uint8_t> RandomBytes(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<std::uint8_t> v(n);
  for (auto& b : v) b = static_cast<std::uint8_t>(rng());
  return v;
}

CCrc Standard() {
  CCrc crc;
  crc.Init(kCrcStandardPolynomial, kCrcStandardInitial, kCrcStandardFinalXor);
  return crc;
}

CCrc Second() {
  CCrc crc;
  crc.Init(kCrcSecondPolynomial, kCrcSecondInitial, kCrcSecondFinalXor);
  return crc;
}

TEST(CCrc, KnownAnswers) {
  struct Case {
    DWORD polynomial, initial, final_xor;
    const char* text;
    DWORD expected;
    const char* source;
  };
  const Case cases[] = {
      {kCrcStandardPolynomial, 0xFFFFFFFF, 0xFFFFFFFF, "123456789", 0xCBF43926,
       "CRC catalogue, CRC-32/ISO-HDLC check"},
      {kCrcStandardPolynomial, 0xFFFFFFFF, 0xFFFFFFFF, "abc", 0x352441C2, "zlib crc32(\"abc\")"},
      {kCrcStandardPolynomial, 0xFFFFFFFF, 0xFFFFFFFF, "", 0x00000000, "zlib crc32(\"\")"},
      {kCrcSecondPolynomial, 0, 0, "abc", 0x5AEB2AAE, "bit-at-a-time definition"},
      {kCrcSecondPolynomial, 0, 0, "123456789", 0x6B240D8C, "bit-at-a-time definition"},
      {0xA001, 0, 0, "123456789", 0xBB3D, "CRC catalogue, CRC-16/ARC check"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    CCrc crc;
    crc.Init(c.polynomial, c.initial, c.final_xor);
    EXPECT_EQ(crc.UpdateString(c.text, false), c.expected);
    EXPECT_EQ(crc.GetByteCount(), std::strlen(c.text));
    // The same bytes fed in two calls.
    crc.Reset();
    const std::size_t half = std::strlen(c.text) / 2;
    crc.Update(c.text, half);
    EXPECT_EQ(crc.Update(c.text + half, std::strlen(c.text) - half), c.expected);
  }
}

TEST(CCrc, TablesFollowTheDefinitionForBothPolynomials) {
  const auto data = RandomBytes(70000, 1);
  for (CCrc crc : {Standard(), Second()}) {
    SCOPED_TRACE(crc.GetPolynomial());
    EXPECT_EQ(crc.GetDegree(), 31u);
    EXPECT_EQ(crc.GetWidthMask(), 0xFFFFFFFFu);
    crc.SetRegister(0x12345678);
    crc.Update(data.data(), data.size());
    EXPECT_EQ(crc.GetRegister(),
              BitwiseRegister(crc.GetPolynomial(), 0x12345678, data.data(), data.size()));
  }
}

TEST(CCrc, EmptyAndNullInputsChangeNothing) {
  CCrc crc = Standard();
  crc.UpdateString("abc", false);
  const DWORD reg = crc.GetRegister();
  EXPECT_EQ(crc.Update("x", 0), 0x352441C2u);
  EXPECT_EQ(crc.UpdateString(static_cast<const char*>(nullptr), true), 0x352441C2u);
  EXPECT_EQ(crc.UpdateString(static_cast<const wchar_t*>(nullptr), true), 0x352441C2u);
  EXPECT_EQ(crc.UnwindString(nullptr, true), 0x352441C2u);
  EXPECT_EQ(crc.Unwind("x", 0), 0x352441C2u);
  EXPECT_EQ(crc.GetRegister(), reg);
  EXPECT_EQ(crc.GetByteCount(), 3u);
}

TEST(CCrc, UnwindRestoresRegisterAndByteCount) {
  const auto data = RandomBytes(5000, 2);
  struct Case {
    DWORD polynomial;
    DWORD start;
  };
  // 0xA001 is 16 bits wide: its register must stay within 16 bits while unwinding.
  for (const Case c : {Case{kCrcStandardPolynomial, 0xDEADBEEF}, Case{kCrcSecondPolynomial, 0},
                       Case{kCrcSecondPolynomial, 0xFFFFFFFF}, Case{0xA001, 0xBEEF}}) {
    SCOPED_TRACE(c.polynomial);
    CCrc crc;
    crc.Init(c.polynomial, c.start, 0);
    crc.Update(data.data(), 100);
    const DWORD mid = crc.GetRegister();
    crc.Update(data.data() + 100, data.size() - 100);
    crc.Unwind(data.data() + 100, data.size() - 100);
    EXPECT_EQ(crc.GetRegister(), mid);
    EXPECT_EQ(crc.GetByteCount(), 100u);
    crc.Unwind(data.data(), 100);
    EXPECT_EQ(crc.GetRegister(), c.start);
    EXPECT_EQ(crc.GetByteCount(), 0u);
  }
}

TEST(CCrc, StringFormsFeedTheirBytes) {
  CCrc crc = Standard();
  CCrc raw = Standard();
  EXPECT_EQ(crc.UpdateString("abc", true), raw.Update("abc", 4));
  EXPECT_EQ(crc.ResetUpdateString("abc", false), raw.ResetUpdate("abc", 3));
  EXPECT_EQ(crc.UnwindString("bc", false), raw.Unwind("bc", 2));
  EXPECT_EQ(crc.GetRegister(), raw.GetRegister());
}

TEST(CCrc, WideStringsHashUtf16LittleEndianUnits) {
  struct Case {
    std::wstring text;
    std::vector<std::uint8_t> utf16le;
  };
  std::vector<Case> cases = {
      {L"a", {0x61, 0x00}},
      {L"\u20AC", {0xAC, 0x20}},                           // one unit
      {L"\U0001D11E", {0x34, 0xD8, 0x1E, 0xDD}},           // surrogate pair
      {std::wstring(1, wchar_t(0xDC80)), {0x80, 0xDC}},    // a lone surrogate stays one unit
      {std::wstring(1, wchar_t(0x110000)), {0xFD, 0xFF}},  // no code point: U+FFFD
  };
  // Longer than the conversion buffer, with pairs straddling its end.
  Case long_case;
  for (int i = 0; i < 300; ++i) {
    long_case.text += L"x\U0001F600";
    long_case.utf16le.insert(long_case.utf16le.end(), {0x78, 0x00, 0x3D, 0xD8, 0x00, 0xDE});
  }
  cases.push_back(long_case);

  for (const Case& c : cases) {
    for (bool terminator : {false, true}) {
      CCrc wide = Standard();
      CCrc bytes = Standard();
      auto expected = c.utf16le;
      if (terminator) expected.insert(expected.end(), {0, 0});
      EXPECT_EQ(wide.UpdateString(c.text.c_str(), terminator),
                bytes.Update(expected.data(), expected.size()));
      EXPECT_EQ(wide.GetByteCount(), expected.size());
    }
  }
}

TEST(CCrc, UpdatePairEqualsTwoUpdates) {
  const auto data = RandomBytes(200000, 3);
  for (std::size_t len : {std::size_t{0}, std::size_t{7}, std::size_t{65536}, data.size()}) {
    CCrc a = Standard(), b = Second(), a2 = Standard(), b2 = Second();
    CCrc::UpdatePair(a, b, data.data(), len);
    EXPECT_EQ(a.Value(), a2.Update(data.data(), len));
    EXPECT_EQ(b.Value(), b2.Update(data.data(), len));
    EXPECT_EQ(a.GetByteCount(), len);
    EXPECT_EQ(b.GetByteCount(), len);
  }
}

TEST(CCrcTableCache, EvictsTheFirstLeastHitSlotWhenFull) {
  CCrcTableCache cache;
  std::vector<DWORD> polys;
  for (DWORD i = 0; i < CCrcTableCache::kSlotCount + 1; ++i) polys.push_back(0x80000001u + 2 * i);
  auto built = [](DWORD poly) {
    CCrc crc;
    crc.Init(poly, 0, 0);
    return crc;
  };
  for (std::size_t i = 0; i < CCrcTableCache::kSlotCount; ++i) cache.Insert(built(polys[i]));
  cache.Insert(built(polys[3]));  // already cached: must not take a second slot

  CCrc out;
  for (std::size_t i = 0; i < CCrcTableCache::kSlotCount; ++i) {
    if (i == 5 || i == 9) continue;
    ASSERT_TRUE(cache.Lookup(polys[i], out)) << i;
  }
  cache.Insert(built(polys.back()));  // slots 5 and 9 tie at zero hits: 5 goes
  EXPECT_FALSE(cache.Lookup(polys[5], out));
  EXPECT_TRUE(cache.Lookup(polys[9], out));
  EXPECT_TRUE(cache.Lookup(polys[3], out));
  ASSERT_TRUE(cache.Lookup(polys.back(), out));
  EXPECT_EQ(out.GetPolynomial(), polys.back());
  EXPECT_EQ(out.ForwardTable()[1], built(polys.back()).ForwardTable()[1]);
}

// More polynomials than the process-wide cache and the shared kernel tables keep: engines whose
// tables were evicted are rebuilt, and engines without shared tables run the byte-wise loop.
TEST(CCrcTableCache, EnginesStayCorrectPastTheCacheSize) {
  const auto data = RandomBytes(1000, 4);
  for (int round = 0; round < 2; ++round) {
    for (DWORD i = 0; i < CCrcTableCache::kSlotCount + 12; ++i) {
      const DWORD poly = 0xC0000001u + 6 * i;
      CCrc crc;
      crc.Init(poly, 0xFFFFFFFF, 0);
      ASSERT_EQ(crc.Update(data.data(), data.size()),
                BitwiseRegister(poly, 0xFFFFFFFF, data.data(), data.size()))
          << std::hex << poly;
    }
  }
}

// What the document writer does: the signature makes the CRC-32 of the whole text 0.
std::string Sign(const std::string& text_up_to_marker) {
  CCrc crc = Standard();
  crc.SetRegister(kCrcStandardFinalXor);
  crc.UnwindString("\r\n", false);
  const DWORD target = crc.GetRegister();
  crc.ResetUpdateString(text_up_to_marker.c_str(), false);
  return text_up_to_marker + crc.MakeSignature(crc.GetRegister(), target) + "\r\n";
}

DWORD Crc32(const std::string& s) { return Standard().Update(s.data(), s.size()); }

TEST(CCrcSignature, SignedTextHasCrcZeroAndAnyByteChangeShows) {
  const std::string texts[] = {
      "~ AutoSigned ",
      "Vemo checksum list\r\nfile.txt\t12\r\n~ AutoSigned ",
      std::string(3000, 'q') + "\xC3\xA9\r\n~ AutoSigned ",
  };
  for (const std::string& text : texts) {
    const std::string signed_text = Sign(text);
    ASSERT_EQ(signed_text.size(), text.size() + 10);
    const std::string sig = signed_text.substr(text.size(), 8);
    EXPECT_NE(sig, kCrcSignatureError);
    for (char c : sig) EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c))) << sig;
    EXPECT_EQ(Crc32(signed_text), 0u);
    for (std::size_t i = 0; i < signed_text.size(); i += 1 + i / 64) {
      std::string altered = signed_text;
      altered[i] ^= 0x20;
      EXPECT_NE(Crc32(altered), 0u) << "byte " << i;
    }
  }
}

TEST(CCrcSignature, SearchWithoutSolutionReportsError) {
  // With x^32 + 1 (reflected 0x80000000) feeding four bytes only XORs them into the register, so
  // the last four signature bytes are c ^ from ^ to: with from ^ to = 0x80808080 every one of them
  // has its top bit set and no letter or digit can come out.
  CCrc crc;
  crc.Init(0x80000000, 0, 0);
  EXPECT_EQ(crc.MakeSignature(0x12345678, 0x12345678 ^ 0x80808080), kCrcSignatureError);
  // The same engine finds a signature where one exists.
  const std::string sig = crc.MakeSignature(0, 0x30303030);
  EXPECT_EQ(sig, "zzzzJJJJ");
}

}  // namespace
