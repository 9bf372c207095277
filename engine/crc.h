// The table-driven CRC engine behind every checksum of the program: the two file checksums, the
// self-verifying document signature and the settings change snapshots.
//
// A CCrc is a plain value: it lives on its user's stack, may be copied wholesale and owns no memory
// (it points at process-wide immutable tables shared by all engines of its polynomial). One engine
// belongs to one thread at a time; only Init touches shared state (the table cache, under its
// lock).
#pragma once
#include <cstddef>
#include <string>

#include "engine/crc_kernels.h"
#include "platform/win_types.h"

// The standard CRC-32 (ISO 3309, ITU-T V.42): the first file checksum, the document signature and
// the settings snapshots.
inline constexpr DWORD kCrcStandardPolynomial = 0xEDB88320;
inline constexpr DWORD kCrcStandardInitial = 0xFFFFFFFF;
inline constexpr DWORD kCrcStandardFinalXor = 0xFFFFFFFF;

// The second file checksum: the standard polynomial with its lowest bit inverted, no pre- or
// post-conditioning.
inline constexpr DWORD kCrcSecondPolynomial = kCrcStandardPolynomial ^ 1u;
inline constexpr DWORD kCrcSecondInitial = 0;
inline constexpr DWORD kCrcSecondFinalXor = 0;

// Returned by MakeSignature when no candidate takes the register where it must go.
inline constexpr char kCrcSignatureError[] = "**ERR!**";

class CCrc {
 public:
  // An engine is unusable until Init.
  CCrc() = default;

  // Takes the tables for a reflected polynomial from the process-wide cache (building and caching
  // them on a miss), then resets. Any thread.
  void Init(DWORD polynomial, DWORD initial, DWORD finalXor);
  // register := initial, byte count := 0.
  void Reset();

  // Feeds bytes forward; returns the value. Zero bytes change nothing.
  DWORD Update(const void* data, std::size_t len);
  // Removes bytes from the end of what was fed: after Update(p, n) from register R, Unwind(p, n)
  // gives back R and the byte count. Needs a polynomial of degree 7 or more.
  DWORD Unwind(const void* data, std::size_t len);

  // Update over the string's bytes, plus the terminating zero when includeTerminator is set. A null
  // pointer feeds nothing and returns the value.
  DWORD UpdateString(const char* text, bool includeTerminator);
  // Update over the text as UTF-16 code units in little-endian byte pairs, plus two zero bytes when
  // includeTerminator is set. Code points above U+FFFF become surrogate pairs; a value that is no
  // code point (above U+10FFFF) hashes as U+FFFD. A null pointer feeds nothing.
  DWORD UpdateString(const wchar_t* text, bool includeTerminator);
  // Unwind over the string's bytes (plus terminator). A null pointer unwinds nothing.
  DWORD UnwindString(const char* text, bool includeTerminator);

  // Reset, then feed.
  DWORD ResetUpdate(const void* data, std::size_t len);
  DWORD ResetUpdateString(const char* text, bool includeTerminator);

  // Feeds the same bytes into two engines in one pass over the data (the two file checksums).
  static void UpdatePair(CCrc& first, CCrc& second, const void* data, std::size_t len);

  // register XOR final XOR.
  [[nodiscard]] DWORD Value() const { return m_dwRegister ^ m_dwFinalXor; }
  [[nodiscard]] DWORD GetRegister() const { return m_dwRegister; }
  void SetRegister(DWORD reg) { m_dwRegister = reg; }
  [[nodiscard]] ULONGLONG GetByteCount() const { return m_qwByteCount; }

  [[nodiscard]] DWORD GetPolynomial() const { return m_dwPolynomial; }
  [[nodiscard]] DWORD GetInitial() const { return m_dwInitial; }
  [[nodiscard]] DWORD GetFinalXor() const { return m_dwFinalXor; }
  [[nodiscard]] DWORD GetDegree() const { return m_dwDegree; }
  [[nodiscard]] DWORD GetWidthMask() const { return m_dwWidthMask; }
  [[nodiscard]] const DWORD (&ForwardTable() const)[256] { return m_adwForward; }
  [[nodiscard]] const DWORD (&ReverseTable() const)[256] { return m_adwReverse; }

  // Eight ASCII letters and digits that take the register from `from` to `to` when fed forward, or
  // kCrcSignatureError when none of the 62^4 candidates does. Leaves this engine unchanged.
  [[nodiscard]] std::string MakeSignature(DWORD from, DWORD to) const;

 private:
  friend class CCrcTableCache;  // uses the register of cached copies as their hit counter

  // Builds degree, width mask and both tables for a polynomial.
  void BuildTables(DWORD polynomial);
  [[nodiscard]] DWORD FeedByte(DWORD reg, BYTE b) const;
  [[nodiscard]] DWORD UnwindByte(DWORD reg, BYTE b) const;
  [[nodiscard]] DWORD Feed(DWORD reg, const BYTE* data, std::size_t len) const;

  DWORD m_dwPolynomial = 0;
  DWORD m_dwInitial = 0;
  DWORD m_dwFinalXor = 0;
  DWORD m_dwRegister = 0;
  ULONGLONG m_qwByteCount = 0;
  DWORD m_dwDegree = 0;
  DWORD m_dwWidthMask = 0;
  DWORD m_adwForward[256] = {};
  DWORD m_adwReverse[256] = {};
  // Tables of the fast kernels, shared and never freed; null when none could be kept, and then the
  // engine runs the byte-wise loop over its own forward table.
  const CrcKernelTables* m_pKernelTables = nullptr;
};
