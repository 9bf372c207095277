// The application's settings: the seven kept process-wide values (foundation/process_values.h)
// bound to HKCU\Software\Tovak\Vemo\Settings. The GUI and the command line both load them at
// start-up and save them at exit, on their main thread.
#pragma once
#include <string>

#include "document/reg_settings.h"

// The registry company key; the framework's own profile data (the recent-file list) lives under
// HKCU\Software\Tovak\Vemo.
inline constexpr wchar_t kRegistryCompany[] = L"Tovak";
inline constexpr wchar_t kApplicationKeyPath[] = L"HKCU\\Software\\Tovak\\Vemo\\";
// The built-in web page address (the text of string resource 61446).
inline constexpr wchar_t kDefaultWebPage[] = L"https://www.tovak.example/vemo/";

// The application key path made to end in exactly one backslash, followed by "Settings".
[[nodiscard]] std::wstring SettingsPathFor(std::wstring_view application_key);

// The process's settings store, named "SET", without a lock.
[[nodiscard]] CNRegSettings& AppSettingsStore();

// Sets the store's path, binds Gridlines, FollowScan, ShowFlags, TolTZShift, Tol2Seconds,
// TolARAttrOnCD and WebPage in that order (each value's current contents become its unchanged
// state) and loads them with required off: a missing key, or a missing or unusable value, leaves
// the default. An empty WebPage is first set to kDefaultWebPage. Calling it again binds afresh.
// Returns the load's result (true unless something unexpected failed).
bool LoadAppSettings();

// Saves the store without force: nothing is written unless a kept value changed; then every
// changed value and every value missing from the registry is written. False, with the Windows
// error code as the thread's last error, when writing failed.
bool SaveAppSettings();
