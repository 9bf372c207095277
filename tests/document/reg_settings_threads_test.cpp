#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "document/reg_settings.h"
#include "foundation/critical_section.h"
#include "foundation/reg_key.h"
#include "support/temp_config_home.h"

namespace {

// Two stores on the same key save at the same time, each its own values: neither loses the
// other's, because every write re-reads the store under its lock.
TEST(RegSettingsThreads, TwoStoresSavingAtOnceKeepEachOthersValues) {
  TempConfigHome home;
  constexpr int kValues = 6;
  constexpr int kRounds = 5;
  DWORD values[2][kValues] = {};
  CNCriticalSection lock;
  auto run = [&](int which) {
    CNRegSettings store(L"T");
    store.SetLock(&lock);  // a store shared by nobody, but its lock must be harmless
    store.SetPath(L"HKCU\\Software\\Tovak\\Vemo\\Settings");
    for (int v = 0; v < kValues; ++v) {
      const std::wstring name = L"S" + std::to_wstring(which) + L"V" + std::to_wstring(v);
      store.AddValue(name.c_str(), &values[which][v]);
    }
    store.Load(false);
    for (int round = 1; round <= kRounds; ++round) {
      for (int v = 0; v < kValues; ++v) values[which][v] = static_cast<DWORD>(round * 100 + v);
      EXPECT_TRUE(store.Save(false));
    }
  };
  std::thread first(run, 0);
  std::thread second(run, 1);
  first.join();
  second.join();

  CNRegKey key(L"HKCU\\Software\\Tovak\\Vemo\\Settings", KEY_READ);
  for (int which = 0; which < 2; ++which) {
    for (int v = 0; v < kValues; ++v) {
      const std::wstring name = L"S" + std::to_wstring(which) + L"V" + std::to_wstring(v);
      CNRegData data;
      DWORD value = 0;
      EXPECT_TRUE(key.QueryValue(name.c_str(), data) && data.AsDword(&value));
      EXPECT_EQ(value, static_cast<DWORD>(kRounds * 100 + v));
    }
  }
}

}  // namespace
