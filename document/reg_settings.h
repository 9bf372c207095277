// CNRegSettings: a settings store. The program binds its variables to named values under one
// registry key, loads them all in one call and saves them all in one call; a save without force
// writes nothing unless a bound variable changed since it was bound, loaded or saved, and then
// writes every changed value and every value that was not loaded from the registry.
//
// The store owns its CNRegValue objects, not the variables. With a lock (SetLock), the lock is
// held while the list of values is changed, walked, loaded or saved; without one (the
// application's store) a single thread uses the store. Failures return false and leave the
// Windows error code as the thread's last error.
#pragma once
#include <atomic>
#include <string>

#include "document/reg_value.h"
#include "foundation/critical_section.h"
#include "foundation/ptr_list.h"
#include "platform/win_types.h"

class CNRegSettings {
 public:
  // Empty store with no lock and an empty path; name is a label (the application's is "SET").
  explicit CNRegSettings(const wchar_t* name);
  ~CNRegSettings() = default;  // the value list destroys the values
  CNRegSettings(const CNRegSettings&) = delete;
  CNRegSettings& operator=(const CNRegSettings&) = delete;

  // The key path, such as "HKCU\Software\Tovak\Vemo\Settings". True when it is not empty.
  bool SetPath(const wchar_t* path);
  // The lock held around the value list; null for none. Not owned.
  void SetLock(CNCriticalSection* lock) { lock_ = lock; }

  // Binds a variable: the value starts unloaded, with the variable's current contents as its
  // unchanged state. False (ERROR_NOT_ENOUGH_MEMORY) when the list cannot grow.
  bool AddValue(const wchar_t* name, std::atomic<DWORD>* variable);
  bool AddValue(const wchar_t* name, DWORD* variable);
  bool AddValue(const wchar_t* name, std::wstring* variable);

  // The store-wide mark, or any value changed.
  [[nodiscard]] bool IsModified();
  // Sets or clears the store-wide mark (a save without force then goes ahead).
  void SetModified(bool flag) { modified_ = flag; }

  // Loads every value in binding order. A key that cannot be opened, or a value missing or of the
  // wrong type or size, fails only when required is set (values then keep their contents).
  bool Load(bool required);
  // Writes as described above, creating the key when missing. False at the first failure.
  bool Save(bool force);
  // Destroys all values and clears the store-wide mark.
  void Clear();

  [[nodiscard]] const std::wstring& GetName() const { return name_; }
  [[nodiscard]] const std::wstring& GetPath() const { return path_; }
  [[nodiscard]] std::size_t GetCount() const { return values_.GetCount(); }

 private:
  bool Append(CNRegValue* value);

  std::wstring name_;
  CNCriticalSection* lock_ = nullptr;
  std::wstring path_;
  bool modified_ = false;
  CNObjectList<CNRegValue> values_;  // owned, in binding order
};
