#include "document/app_settings.h"

#include "foundation/process_values.h"

std::wstring SettingsPathFor(std::wstring_view application_key) {
  while (!application_key.empty() && application_key.back() == L'\\') {
    application_key.remove_suffix(1);
  }
  return std::wstring(application_key) + L"\\Settings";
}

CNRegSettings& AppSettingsStore() {
  static CNRegSettings store(L"SET");
  return store;
}

bool LoadAppSettings() {
  CNRegSettings& store = AppSettingsStore();
  store.Clear();
  if (WebPage.empty()) WebPage = kDefaultWebPage;
  store.SetPath(SettingsPathFor(kApplicationKeyPath).c_str());
  store.AddValue(L"Gridlines", &Gridlines);
  store.AddValue(L"FollowScan", &FollowScan);
  store.AddValue(L"ShowFlags", &ShowFlags);
  store.AddValue(L"TolTZShift", &TolTZShift);
  store.AddValue(L"Tol2Seconds", &Tol2Seconds);
  store.AddValue(L"TolARAttrOnCD", &TolARAttrOnCD);
  store.AddValue(L"WebPage", &WebPage);
  return store.Load(false);
}

bool SaveAppSettings() { return AppSettingsStore().Save(false); }
