#include "document/reg_value.h"

#include <cassert>
#include <string>
#include <vector>

#include "engine/crc.h"
#include "platform/text_encoding.h"

namespace {

DWORD Crc32(const void* data, std::size_t size) {
  CCrc crc;
  crc.Init(kCrcStandardPolynomial, kCrcStandardInitial, kCrcStandardFinalXor);
  return crc.Update(data, size);
}

}  // namespace

DWORD RegSnapshotOf(DWORD value) {
  const BYTE bytes[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                         static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)};
  return Crc32(bytes, sizeof bytes);
}

DWORD RegSnapshotOf(const std::wstring& text) {
  std::vector<BYTE> bytes;
  for (char16_t unit : platform::ToUtf16(text)) {
    bytes.push_back(static_cast<BYTE>(unit & 0xFF));
    bytes.push_back(static_cast<BYTE>(unit >> 8));
  }
  return Crc32(bytes.data(), bytes.size());
}

CNRegDwordValue::CNRegDwordValue(const wchar_t* name, std::atomic<DWORD>* variable)
    : CNRegValue(name), atomic_(variable) {
  assert(variable && "a bound value needs its variable");
  snapshot_ = RegSnapshotOf(Get());
}

CNRegDwordValue::CNRegDwordValue(const wchar_t* name, DWORD* variable)
    : CNRegValue(name), plain_(variable) {
  assert(variable && "a bound value needs its variable");
  snapshot_ = RegSnapshotOf(Get());
}

DWORD CNRegDwordValue::Get() const { return atomic_ ? atomic_->load() : *plain_; }

void CNRegDwordValue::Put(DWORD value) {
  if (atomic_) {
    atomic_->exchange(value);
  } else {
    *plain_ = value;
  }
}

bool CNRegDwordValue::IsModified() const { return RegSnapshotOf(Get()) != snapshot_; }

std::wstring CNRegDwordValue::ToString() const { return std::to_wstring(Get()); }

bool CNRegDwordValue::Load(CNRegKey& key, bool required) {
  CNRegData data;
  DWORD value = 0;
  if (key.QueryValue(name_.c_str(), data) && data.AsDword(&value)) {
    Put(value);
    snapshot_ = RegSnapshotOf(value);
    loaded_ = true;
    return true;
  }
  loaded_ = false;
  return !required;
}

bool CNRegDwordValue::Save(CNRegKey& key, bool force) {
  // One read, so that what is written and what the snapshot covers are the same number even
  // while another thread changes the variable.
  const DWORD value = Get();
  if (!force && loaded_ && RegSnapshotOf(value) == snapshot_) return true;
  if (!key.SetValue(name_.c_str(), CNRegData(value))) return false;
  snapshot_ = RegSnapshotOf(value);
  loaded_ = true;
  return true;
}

void CNRegDwordValue::SetModified(bool flag) {
  const DWORD crc = RegSnapshotOf(Get());
  snapshot_ = flag ? ~crc : crc;
}

CNRegStringValue::CNRegStringValue(const wchar_t* name, std::wstring* variable)
    : CNRegValue(name), variable_(variable) {
  assert(variable && "a bound value needs its variable");
  snapshot_ = RegSnapshotOf(*variable_);
}

bool CNRegStringValue::IsModified() const { return RegSnapshotOf(*variable_) != snapshot_; }

std::wstring CNRegStringValue::ToString() const { return L"\"" + *variable_ + L"\""; }

bool CNRegStringValue::Load(CNRegKey& key, bool required) {
  CNRegData data;
  std::wstring text;
  if (key.QueryValue(name_.c_str(), data) && data.AsString(&text, false)) {
    *variable_ = std::move(text);
    snapshot_ = RegSnapshotOf(*variable_);
    loaded_ = true;
    return true;
  }
  loaded_ = false;
  return !required;
}

bool CNRegStringValue::Save(CNRegKey& key, bool force) {
  if (!force && loaded_ && !IsModified()) return true;
  if (!key.SetValue(name_.c_str(), CNRegData(std::wstring_view(*variable_), REG_SZ))) return false;
  snapshot_ = RegSnapshotOf(*variable_);
  loaded_ = true;
  return true;
}

void CNRegStringValue::SetModified(bool flag) {
  const DWORD crc = RegSnapshotOf(*variable_);
  snapshot_ = flag ? ~crc : crc;
}
