#include "engine/crc.h"

#include <cassert>
#include <cstring>

#include "engine/crc_table_cache.h"

namespace {

bool IsSignatureChar(unsigned c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The next lower letter or digit in the order z..a, Z..A, 9..0; false after '0'.
bool StepDown(char& c) {
  switch (c) {
    case '0':
      return false;
    case 'a':
      c = 'Z';
      return true;
    case 'A':
      c = '9';
      return true;
    default:
      --c;
      return true;
  }
}

}  // namespace

void CCrc::Init(DWORD polynomial, DWORD initial, DWORD finalXor) {
  CCrcTableCache& cache = CCrcTableCache::Instance();
  if (!cache.Lookup(polynomial, *this)) {
    BuildTables(polynomial);
    cache.Insert(*this);
  }
  m_dwInitial = initial;
  m_dwFinalXor = finalXor;
  Reset();
}

void CCrc::Reset() {
  m_dwRegister = m_dwInitial;
  m_qwByteCount = 0;
}

void CCrc::BuildTables(DWORD polynomial) {
  m_dwPolynomial = polynomial;
  DWORD bits = 0;
  for (DWORD p = polynomial; p != 0; p >>= 1) ++bits;
  m_dwDegree = bits - 1;  // all ones for the (useless) zero polynomial
  m_dwWidthMask = ((DWORD{2} << (m_dwDegree & 31)) - 1) | 1;

  for (DWORD i = 0; i < 256; ++i) {
    DWORD r = i;
    for (int bit = 0; bit < 8; ++bit) r = (r >> 1) ^ ((r & 1) ? polynomial : 0);
    m_adwForward[i] = r;
  }

  // Each step undoes one forward bit step: a set top bit means the bit shifted out was 1.
  std::memset(m_adwReverse, 0, sizeof m_adwReverse);
  if (m_dwDegree >= 7 && m_dwDegree <= 31) {
    const DWORD top = DWORD{1} << m_dwDegree;
    const DWORD incoming = (polynomial & top) ? 1 : 0;
    for (DWORD i = 0; i < 256; ++i) {
      DWORD r = i << (m_dwDegree - 7);
      for (int bit = 0; bit < 8; ++bit) {
        DWORD c = 0;
        if (r & top) {
          r ^= polynomial;
          c = incoming;
        }
        r = (r << 1) | c;
      }
      m_adwReverse[i] = r;
    }
  }
  m_pKernelTables = SharedCrcKernelTables(polynomial);
}

DWORD CCrc::FeedByte(DWORD reg, BYTE b) const {
  return (reg >> 8) ^ m_adwForward[(reg ^ b) & 0xFF];
}

DWORD CCrc::UnwindByte(DWORD reg, BYTE b) const {
  // The width mask drops the byte shifted above the register of a polynomial narrower than 32 bits,
  // which would otherwise flow back into later steps; for 32-bit polynomials it is all ones.
  const DWORD t = ((reg << 8) & m_dwWidthMask) ^ m_adwReverse[(reg >> (m_dwDegree - 7)) & 0xFF];
  return t ^ b;
}

DWORD CCrc::Feed(DWORD reg, const BYTE* data, std::size_t len) const {
  if (m_pKernelTables) return ActiveCrcKernel().update(*m_pKernelTables, reg, data, len);
  return CrcUpdateByteTable(m_adwForward, reg, data, len);
}

DWORD CCrc::Update(const void* data, std::size_t len) {
  m_qwByteCount += len;
  m_dwRegister = Feed(m_dwRegister, static_cast<const BYTE*>(data), len);
  return Value();
}

DWORD CCrc::Unwind(const void* data, std::size_t len) {
  assert(m_dwDegree >= 7 && m_dwDegree <= 31 && "unwinding needs a polynomial of degree 7..31");
  if (m_dwDegree < 7 || m_dwDegree > 31) return Value();
  m_qwByteCount -= len;
  const BYTE* bytes = static_cast<const BYTE*>(data);
  DWORD reg = m_dwRegister;
  for (std::size_t i = len; i > 0; --i) reg = UnwindByte(reg, bytes[i - 1]);
  m_dwRegister = reg;
  return Value();
}

DWORD CCrc::UpdateString(const char* text, bool includeTerminator) {
  if (!text) return Value();
  return Update(text, std::strlen(text) + (includeTerminator ? 1 : 0));
}

DWORD CCrc::UpdateString(const wchar_t* text, bool includeTerminator) {
  if (!text) return Value();
  // Converted in stack-sized pieces: the hash covers UTF-16 whatever wchar_t is here.
  BYTE buffer[512];
  std::size_t used = 0;
  auto put = [&](DWORD unit) {
    if (used + 2 > sizeof buffer) {
      Update(buffer, used);
      used = 0;
    }
    buffer[used++] = static_cast<BYTE>(unit & 0xFF);
    buffer[used++] = static_cast<BYTE>(unit >> 8);
  };
  for (const wchar_t* p = text; *p; ++p) {
    const DWORD cp = static_cast<DWORD>(*p);
    if (cp < 0x10000) {
      put(cp);  // lone surrogates pass through as the single unit they are
    } else if (cp <= 0x10FFFF) {
      put(0xD800 + ((cp - 0x10000) >> 10));
      put(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      put(0xFFFD);
    }
  }
  if (includeTerminator) put(0);
  return Update(buffer, used);
}

DWORD CCrc::UnwindString(const char* text, bool includeTerminator) {
  if (!text) return Value();
  return Unwind(text, std::strlen(text) + (includeTerminator ? 1 : 0));
}

DWORD CCrc::ResetUpdate(const void* data, std::size_t len) {
  Reset();
  return Update(data, len);
}

DWORD CCrc::ResetUpdateString(const char* text, bool includeTerminator) {
  Reset();
  return UpdateString(text, includeTerminator);
}

void CCrc::UpdatePair(CCrc& first, CCrc& second, const void* data, std::size_t len) {
  if (!first.m_pKernelTables || !second.m_pKernelTables) {
    first.Update(data, len);
    second.Update(data, len);
    return;
  }
  first.m_qwByteCount += len;
  second.m_qwByteCount += len;
  ActiveCrcKernel().update_pair(*first.m_pKernelTables, first.m_dwRegister, *second.m_pKernelTables,
                                second.m_dwRegister, static_cast<const BYTE*>(data), len);
}

std::string CCrc::MakeSignature(DWORD from, DWORD to) const {
  if (m_dwDegree < 7 || m_dwDegree > 31) return kCrcSignatureError;  // cannot unwind
  DWORD target = to;  // the register from which four zero bytes lead to `to`
  for (int i = 0; i < 4; ++i) target = UnwindByte(target, 0);

  char c[4] = {'z', 'z', 'z', 'z'};
  for (;;) {
    DWORD s = from;
    for (char ch : c) s = FeedByte(s, static_cast<BYTE>(ch));
    // By linearity, feeding the four bytes of s ^ target after c lands on `to`.
    const DWORD d = s ^ target;
    const unsigned d0 = d & 0xFF, d1 = (d >> 8) & 0xFF, d2 = (d >> 16) & 0xFF, d3 = d >> 24;
    if (IsSignatureChar(d0) && IsSignatureChar(d1) && IsSignatureChar(d2) && IsSignatureChar(d3)) {
      return std::string{c[0],
                         c[1],
                         c[2],
                         c[3],
                         static_cast<char>(d0),
                         static_cast<char>(d1),
                         static_cast<char>(d2),
                         static_cast<char>(d3)};
    }
    int pos = 0;
    while (pos < 4 && !StepDown(c[pos])) c[pos++] = 'z';
    if (pos == 4) return kCrcSignatureError;
  }
}
