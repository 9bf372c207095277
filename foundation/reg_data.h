// CNRegData: one registry value's data (type, size and the bytes it owns), with the conversions
// the settings need. Belongs to one thread at a time.
#pragma once
#include <memory>
#include <string>
#include <string_view>

#include "platform/registry.h"
#include "platform/win_types.h"

class CNRegData {
 public:
  // Empty: REG_NONE, size 0, no bytes.
  CNRegData() = default;
  // The text as UTF-16 with its terminating zero ((length + 1) * 2 bytes) under the given type
  // (REG_SZ or REG_EXPAND_SZ). A null text gives size 0.
  CNRegData(const wchar_t* text, DWORD type);
  CNRegData(std::wstring_view text, DWORD type);
  // REG_DWORD, the number's 4 bytes in memory order (little-endian).
  explicit CNRegData(DWORD value);

  CNRegData(const CNRegData&) = delete;
  CNRegData& operator=(const CNRegData&) = delete;
  CNRegData(CNRegData&&) = default;
  CNRegData& operator=(CNRegData&&) = default;

  // Frees the bytes and allocates size (uninitialised) bytes of the type; size 0 keeps none. False
  // with ERROR_NOT_ENOUGH_MEMORY when the memory is not there (the data is then empty).
  [[nodiscard]] bool Reset(DWORD type, DWORD size);

  // The 4 bytes as they stand, for REG_DWORD or REG_DWORD_BIG_ENDIAN of exactly 4 bytes (a
  // big-endian word is not turned around). Otherwise false and *out unchanged.
  [[nodiscard]] bool AsDword(DWORD* out) const;
  // For REG_SZ or REG_EXPAND_SZ: the UTF-16 characters up to the first zero or the end of the data
  // (an odd last byte is ignored); with expand, %NAME% references replaced by the environment.
  // Otherwise false and *out unchanged.
  [[nodiscard]] bool AsString(std::wstring* out, bool expand) const;

  [[nodiscard]] DWORD GetType() const { return type_; }
  [[nodiscard]] DWORD GetSize() const { return size_; }
  [[nodiscard]] BYTE* GetBytes() { return bytes_.get(); }
  [[nodiscard]] const BYTE* GetBytes() const { return bytes_.get(); }
  // What a read reported; size must not exceed the bytes allocated by Reset.
  void SetTypeAndSize(DWORD type, DWORD size);

 private:
  DWORD type_ = REG_NONE;
  DWORD size_ = 0;
  DWORD capacity_ = 0;
  std::unique_ptr<BYTE[]> bytes_;
};
