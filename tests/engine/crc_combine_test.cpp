#include "engine/crc_combine.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/crc.h"

namespace {

// Pieces checksummed apart from register 0 and joined give the register of the whole, for both
// file checksums' polynomials, at every cut (the empty pieces at both ends included).
TEST(CrcCombine, JoinedPiecesGiveTheRegisterOfTheWhole) {
  std::string data(3000, '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 131 + (i >> 7));
  const struct {
    DWORD polynomial, initial, final_xor;
  } engines[] = {{kCrcStandardPolynomial, kCrcStandardInitial, kCrcStandardFinalXor},
                 {kCrcSecondPolynomial, kCrcSecondInitial, kCrcSecondFinalXor}};
  for (const auto& e : engines) {
    CCrc whole;
    whole.Init(e.polynomial, e.initial, e.final_xor);
    const DWORD expected = whole.Update(data.data(), data.size());
    for (const std::size_t cut : {0u, 1u, 7u, 64u, 1000u, 2999u, 3000u}) {
      CCrc piece;
      piece.Init(e.polynomial, e.initial, e.final_xor);
      (void)piece.Update(data.data(), cut);  // the first piece from the initial register
      const DWORD head = piece.GetRegister();
      piece.SetRegister(0);
      (void)piece.Update(data.data() + cut, data.size() - cut);
      const DWORD joined = CrcJoin(e.polynomial, head, piece.GetRegister(), data.size() - cut);
      EXPECT_EQ(joined ^ e.final_xor, expected) << std::hex << e.polynomial << " cut " << cut;
    }
  }
}

TEST(CrcCombine, ShiftingByZerosIsFeedingZeros) {
  const std::string zeros(5000, '\0');
  CCrc crc;
  crc.Init(kCrcStandardPolynomial, 0x12345678, 0);
  for (const std::size_t n : {0u, 1u, 4u, 5000u}) {
    crc.Reset();
    EXPECT_EQ(CrcShiftByZeros(kCrcStandardPolynomial, 0x12345678, n), crc.Update(zeros.data(), n))
        << n;
  }
}

}  // namespace
