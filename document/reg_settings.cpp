#include "document/reg_settings.h"

#include <new>

#include "platform/error_codes.h"
#include "platform/last_error.h"

CNRegSettings::CNRegSettings(const wchar_t* name) : name_(name ? name : L"") {}

bool CNRegSettings::SetPath(const wchar_t* path) {
  path_ = path ? path : L"";
  return !path_.empty();
}

bool CNRegSettings::Append(CNRegValue* value) {
  if (!value) {
    platform::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  CNCriticalSectionLock hold(lock_);
  if (values_.AddTail(value) == values_.End()) {
    delete value;
    return false;
  }
  return true;
}

bool CNRegSettings::AddValue(const wchar_t* name, std::atomic<DWORD>* variable) {
  return Append(new (std::nothrow) CNRegDwordValue(name, variable));
}

bool CNRegSettings::AddValue(const wchar_t* name, DWORD* variable) {
  return Append(new (std::nothrow) CNRegDwordValue(name, variable));
}

bool CNRegSettings::AddValue(const wchar_t* name, std::wstring* variable) {
  return Append(new (std::nothrow) CNRegStringValue(name, variable));
}

bool CNRegSettings::IsModified() {
  if (modified_) return true;
  CNCriticalSectionLock hold(lock_);
  for (CNRegValue* value : values_) {
    if (value->IsModified()) return true;
  }
  return false;
}

bool CNRegSettings::Load(bool required) {
  CNRegKey key;
  if (!key.Open(path_.c_str(), KEY_READ)) return !required;
  CNCriticalSectionLock hold(lock_);
  for (CNRegValue* value : values_) {
    if (!value->Load(key, required)) return false;
  }
  return true;
}

bool CNRegSettings::Save(bool force) {
  if (!force && !IsModified()) return true;
  CNRegKey key;
  if (!key.Open(path_.c_str(), KEY_READ | KEY_WRITE)) return false;
  CNCriticalSectionLock hold(lock_);
  for (CNRegValue* value : values_) {
    if (!value->Save(key, force)) return false;
  }
  return true;
}

void CNRegSettings::Clear() {
  CNCriticalSectionLock hold(lock_);
  values_.RemoveAll(true);
  modified_ = false;
}
