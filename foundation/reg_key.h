// CNRegKey: a registry key opened by a textual path ("HKCU\Software\Tovak\Vemo"), creating the
// missing keys on the way when the access allows it, reading and writing values of any type.
//
// Every operation returns true on success and keeps its result code (0 or a Windows error code)
// as the key's last error and as the thread's last error. Belongs to one thread at a time.
#pragma once
#include "foundation/reg_data.h"
#include "platform/registry.h"
#include "platform/win_types.h"

class CNRegKey {
 public:
  // Closed; the last error is ERROR_INVALID_HANDLE until the first operation.
  CNRegKey() = default;
  // Closed, then Open(path, access) when path is not null.
  CNRegKey(const wchar_t* path, DWORD access);
  // Closes; the thread's last error stays what it was before.
  ~CNRegKey();
  CNRegKey(const CNRegKey&) = delete;
  CNRegKey& operator=(const CNRegKey&) = delete;

  // Opens the key at path: a root name (any of its three names, in any letter case), then
  // sub-key names, separated by backslashes. Error 87 for a null path or an unknown root; with
  // KEY_CREATE_SUB_KEY in access, missing keys are created (see OpenSubkeys).
  bool Open(const wchar_t* path, DWORD access);
  // Opens sub_path below the open key root (error 87 when root is not open). Without
  // KEY_CREATE_SUB_KEY a missing key fails with error 2; with it, missing keys are created and
  // WasCreated tells so.
  bool OpenSubkeys(const platform::RegistryKey& root, const wchar_t* sub_path, DWORD access);
  // Closes an open key; afterwards closed, access 0, created 0, last error 0.
  bool Close();

  // Type and size of value name (null: the default value). Error 6 when not open.
  bool QueryValueInfo(const wchar_t* name, DWORD* type, DWORD* size);
  // Reads the whole value of any type into data (which it resets). Values of 128 MiB and more
  // fail with error 1.
  bool QueryValue(const wchar_t* name, CNRegData& data);
  // Writes data's type and bytes as value name (null: the default value). Error 6 when not open.
  bool SetValue(const wchar_t* name, const CNRegData& data);

  [[nodiscard]] bool IsOpen() const { return handle_.IsOpen(); }
  [[nodiscard]] const platform::RegistryKey& GetHandle() const { return handle_; }
  [[nodiscard]] DWORD GetAccess() const { return access_; }
  [[nodiscard]] DWORD GetLastError() const { return last_error_; }
  // Set when opening created at least one new key.
  [[nodiscard]] bool WasCreated() const { return created_; }

 private:
  // Keeps code as the key's and the thread's last error; true for success.
  bool Record(DWORD code);

  platform::RegistryKey handle_;
  DWORD access_ = 0;
  DWORD last_error_ = 6;  // ERROR_INVALID_HANDLE
  bool created_ = false;
};
