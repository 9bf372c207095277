// CNRegValue: a program variable bound to a named registry value, loaded and saved through an
// open CNRegKey. Change detection is by a CRC-32 snapshot of the variable's bytes (a number's 4
// bytes; a string's UTF-16 units without the terminating zero), so the program changes its
// variables freely without telling anyone.
//
// A value does not own its variable; the variable must outlive it. A value belongs to the
// thread that loads and saves it (its store's lock, when there is one, covers that); a bound
// atomic variable may be changed by any thread meanwhile.
#pragma once
#include <atomic>
#include <string>

#include "foundation/reg_key.h"
#include "platform/win_types.h"

class CNRegValue {
 public:
  explicit CNRegValue(const wchar_t* name) : name_(name ? name : L"") {}
  virtual ~CNRegValue() = default;
  CNRegValue(const CNRegValue&) = delete;
  CNRegValue& operator=(const CNRegValue&) = delete;

  // The variable's bytes differ from the snapshot.
  [[nodiscard]] virtual bool IsModified() const = 0;
  // A number in decimal digits, a string between double quotation marks.
  [[nodiscard]] virtual std::wstring ToString() const = 0;
  // Reads the value into the variable. A missing value, or one of the wrong type or size, leaves
  // the variable as it was and clears loaded; the result is then !required.
  virtual bool Load(CNRegKey& key, bool required) = 0;
  // Writes the variable when force is set, when it changed or when it was never loaded; false
  // when the write fails (the key keeps the error).
  virtual bool Save(CNRegKey& key, bool force) = 0;
  // Off: the current contents count as unchanged. On: they count as changed.
  virtual void SetModified(bool flag) = 0;

  [[nodiscard]] const std::wstring& GetName() const { return name_; }
  [[nodiscard]] bool IsLoaded() const { return loaded_; }
  [[nodiscard]] DWORD GetSnapshot() const { return snapshot_; }

 protected:
  bool loaded_ = false;
  DWORD snapshot_ = 0;
  std::wstring name_;
};

// A 32-bit number or boolean, kept as REG_DWORD. Binds either a process-wide atomic (read and
// written with atomic loads and exchanges) or a plain variable.
class CNRegDwordValue : public CNRegValue {
 public:
  CNRegDwordValue(const wchar_t* name, std::atomic<DWORD>* variable);
  CNRegDwordValue(const wchar_t* name, DWORD* variable);

  [[nodiscard]] bool IsModified() const override;
  [[nodiscard]] std::wstring ToString() const override;
  bool Load(CNRegKey& key, bool required) override;
  bool Save(CNRegKey& key, bool force) override;
  void SetModified(bool flag) override;

 private:
  [[nodiscard]] DWORD Get() const;
  void Put(DWORD value);

  std::atomic<DWORD>* atomic_ = nullptr;
  DWORD* plain_ = nullptr;
};

// A string, kept as REG_SZ.
class CNRegStringValue : public CNRegValue {
 public:
  CNRegStringValue(const wchar_t* name, std::wstring* variable);

  [[nodiscard]] bool IsModified() const override;
  [[nodiscard]] std::wstring ToString() const override;
  bool Load(CNRegKey& key, bool required) override;
  bool Save(CNRegKey& key, bool force) override;
  void SetModified(bool flag) override;

 private:
  std::wstring* variable_;
};

// The snapshot CRC-32 of a number's 4 bytes and of a string's UTF-16 units.
[[nodiscard]] DWORD RegSnapshotOf(DWORD value);
[[nodiscard]] DWORD RegSnapshotOf(const std::wstring& text);
