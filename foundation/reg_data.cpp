#include "foundation/reg_data.h"

#include <cassert>
#include <cstring>
#include <new>

#include "platform/environment.h"
#include "platform/error_codes.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"

CNRegData::CNRegData(const wchar_t* text, DWORD type) : type_(type) {
  if (text) *this = CNRegData(std::wstring_view(text), type);
}

CNRegData::CNRegData(std::wstring_view text, DWORD type) : type_(type) {
  std::u16string units = platform::ToUtf16(text);
  units.push_back(u'\0');
  if (!Reset(type, static_cast<DWORD>(units.size() * 2))) return;
  for (std::size_t i = 0; i < units.size(); ++i) {
    bytes_[2 * i] = static_cast<BYTE>(units[i] & 0xFF);
    bytes_[2 * i + 1] = static_cast<BYTE>(units[i] >> 8);
  }
}

CNRegData::CNRegData(DWORD value) {
  if (!Reset(REG_DWORD, 4)) return;
  std::memcpy(bytes_.get(), &value, 4);
}

bool CNRegData::Reset(DWORD type, DWORD size) {
  bytes_.reset();
  type_ = type;
  size_ = capacity_ = 0;
  if (size == 0) return true;
  bytes_.reset(new (std::nothrow) BYTE[size]);
  if (!bytes_) {
    platform::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  size_ = capacity_ = size;
  return true;
}

bool CNRegData::AsDword(DWORD* out) const {
  if ((type_ != REG_DWORD && type_ != REG_DWORD_BIG_ENDIAN) || size_ != 4) return false;
  std::memcpy(out, bytes_.get(), 4);
  return true;
}

bool CNRegData::AsString(std::wstring* out, bool expand) const {
  if (type_ != REG_SZ && type_ != REG_EXPAND_SZ) return false;
  std::u16string units;
  for (DWORD i = 0; i + 1 < size_; i += 2) {
    const char16_t unit = static_cast<char16_t>(bytes_[i] | bytes_[i + 1] << 8);
    if (unit == 0) break;
    units.push_back(unit);
  }
  std::wstring text = platform::FromUtf16(units);
  *out = expand ? platform::ExpandEnvironmentText(text) : std::move(text);
  return true;
}

void CNRegData::SetTypeAndSize(DWORD type, DWORD size) {
  assert(size <= capacity_ && "a read cannot report more bytes than the buffer holds");
  type_ = type;
  size_ = size;
}
