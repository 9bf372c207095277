// The two checksums a worker must report for some contents, computed the slow, plain way.
#pragma once
#include <string>

#include "engine/crc.h"

namespace engine_test {

struct Crcs {
  DWORD crc1;
  DWORD crc2;
};

inline Crcs CrcsOf(const std::string& data) {
  CCrc crc1;
  CCrc crc2;
  crc1.Init(kCrcStandardPolynomial, kCrcStandardInitial, kCrcStandardFinalXor);
  crc2.Init(kCrcSecondPolynomial, kCrcSecondInitial, kCrcSecondFinalXor);
  return {crc1.Update(data.data(), data.size()), crc2.Update(data.data(), data.size())};
}

}  // namespace engine_test
