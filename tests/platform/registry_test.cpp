#include "platform/registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/error_codes.h"
#include "platform/last_error.h"
#include "platform/registry_store.h"
#include "platform/registry_text.h"
#include "support/temp_config_home.h"

namespace {

using platform::RegistryKey;
using platform::RegRoot;

std::vector<BYTE> Bytes(std::initializer_list<int> list) {
  std::vector<BYTE> out;
  for (int b : list) out.push_back(static_cast<BYTE>(b));
  return out;
}

std::vector<BYTE> Utf16(std::u16string_view text, bool terminate = true) {
  std::vector<BYTE> out;
  for (char16_t c : text) {
    out.push_back(static_cast<BYTE>(c & 0xFF));
    out.push_back(static_cast<BYTE>(c >> 8));
  }
  if (terminate) out.insert(out.end(), {0, 0});
  return out;
}

class RegistryTest : public ::testing::Test {
 protected:
  RegistryKey Hkcu() { return RegistryKey::Predefined(RegRoot::kCurrentUser); }

  RegistryKey Create(std::wstring_view path, DWORD access = KEY_READ | KEY_WRITE) {
    RegistryKey key;
    EXPECT_TRUE(platform::CreateRegistryKey(Hkcu(), path, access, &key, nullptr))
        << platform::LastError();
    return key;
  }

  // The value as a fresh reader of the file sees it.
  std::optional<std::pair<DWORD, std::vector<BYTE>>> Read(const RegistryKey& key,
                                                          std::wstring_view name) {
    platform::RegistryValueInfo info;
    if (!platform::QueryRegistryValueInfo(key, name, &info)) return std::nullopt;
    std::vector<BYTE> data(info.size);
    if (!platform::ReadRegistryValue(key, name, data, &info)) return std::nullopt;
    data.resize(info.size);
    return std::make_pair(info.type, data);
  }

  TempConfigHome home_;
};

TEST(RegistryRootNames, AcceptsEveryAliasInAnyCase) {
  struct Case {
    const wchar_t* name;
    std::optional<RegRoot> root;
  } cases[] = {
      {L"HKEY_CLASSES_ROOT", RegRoot::kClassesRoot},
      {L"hcr", RegRoot::kClassesRoot},
      {L"HKCR", RegRoot::kClassesRoot},
      {L"HKEY_CURRENT_CONFIG", RegRoot::kCurrentConfig},
      {L"HCC", RegRoot::kCurrentConfig},
      {L"hkcc", RegRoot::kCurrentConfig},
      {L"hkey_current_user", RegRoot::kCurrentUser},
      {L"HCU", RegRoot::kCurrentUser},
      {L"hKcU", RegRoot::kCurrentUser},
      {L"HKEY_LOCAL_MACHINE", RegRoot::kLocalMachine},
      {L"HLM", RegRoot::kLocalMachine},
      {L"HKLM", RegRoot::kLocalMachine},
      {L"HKEY_USERS", RegRoot::kUsers},
      {L"HU", RegRoot::kUsers},
      {L"HKU", RegRoot::kUsers},
      {L"HKEY_PERFORMANCE_DATA", RegRoot::kPerformanceData},
      {L"HPD", RegRoot::kPerformanceData},
      {L"HKPD", RegRoot::kPerformanceData},
      {L"HKEY_DYN_DATA", RegRoot::kDynData},
      {L"HDD", RegRoot::kDynData},
      {L"HKDD", RegRoot::kDynData},
      {L"HKEY_CURRENT_USERS", std::nullopt},
      {L"HKC", std::nullopt},
      {L"", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::RegistryRootFromName(c.name), c.root) << std::wstring(c.name).size();
  }
  EXPECT_EQ(platform::RegistryRootName(RegRoot::kCurrentUser), L"HKEY_CURRENT_USER");
}

TEST_F(RegistryTest, OpensOnlyExistingKeysAndCreatesMissingOnes) {
  RegistryKey key;
  EXPECT_FALSE(platform::OpenRegistryKey(Hkcu(), L"Software\\Tovak", KEY_READ, &key));
  EXPECT_EQ(platform::LastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(std::filesystem::exists(home_.StoreFile())) << "reading must not create the store";

  bool created = false;
  ASSERT_TRUE(platform::CreateRegistryKey(Hkcu(), L"Software\\Tovak\\Vemo", KEY_READ | KEY_WRITE,
                                          &key, &created));
  EXPECT_TRUE(created);
  EXPECT_EQ(key.Access(), KEY_READ | KEY_WRITE);
  ASSERT_TRUE(
      platform::CreateRegistryKey(Hkcu(), L"software\\TOVAK\\vemo", KEY_READ, &key, &created));
  EXPECT_FALSE(created) << "key names ignore letter case";
  EXPECT_TRUE(platform::OpenRegistryKey(Hkcu(), L"SOFTWARE\\tovak\\Vemo\\", KEY_READ, &key));
  EXPECT_EQ(home_.ReadStore(),
            "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Tovak\\Vemo]\n");
}

TEST_F(RegistryTest, ReportsTheWindowsErrorCodes) {
  RegistryKey read_only = Create(L"A", KEY_READ);
  RegistryKey write_only = Create(L"B", KEY_WRITE);
  Create(L"C\\D");
  RegistryKey closed;
  RegistryKey out;
  const std::vector<BYTE> word = Bytes({1, 0, 0, 0});
  platform::RegistryValueInfo info;

  struct Case {
    const char* what;
    std::function<bool()> call;
    DWORD error;
  } cases[] = {
      {"set through a read-only handle",
       [&] { return platform::SetRegistryValue(read_only, L"x", REG_DWORD, word); },
       ERROR_ACCESS_DENIED},
      {"create below a read-only handle",
       [&] { return platform::CreateRegistryKey(read_only, L"sub", KEY_READ, &out, nullptr); },
       ERROR_ACCESS_DENIED},
      {"query through a write-only handle",
       [&] { return platform::QueryRegistryValueInfo(write_only, L"x", &info); },
       ERROR_ACCESS_DENIED},
      {"query a missing value",
       [&] { return platform::QueryRegistryValueInfo(read_only, L"x", &info); },
       ERROR_FILE_NOT_FOUND},
      {"query through a closed key",
       [&] { return platform::QueryRegistryValueInfo(closed, L"x", &info); }, ERROR_INVALID_HANDLE},
      {"set through a closed key",
       [&] { return platform::SetRegistryValue(closed, L"x", REG_DWORD, word); },
       ERROR_INVALID_HANDLE},
      {"close a closed key", [&] { return platform::CloseRegistryKey(&closed); },
       ERROR_INVALID_HANDLE},
      {"empty name inside a path",
       [&] { return platform::OpenRegistryKey(Hkcu(), L"A\\\\B", KEY_READ, &out); },
       ERROR_BAD_PATHNAME},
      {"key name of 256 characters",
       [&] {
         return platform::CreateRegistryKey(Hkcu(), std::wstring(256, L'k'), KEY_WRITE, &out,
                                            nullptr);
       },
       ERROR_INVALID_PARAMETER},
      {"value name with a line break",
       [&] { return platform::SetRegistryValue(write_only, L"a\nb", REG_DWORD, word); },
       ERROR_INVALID_PARAMETER},
      {"delete a key that has sub-keys", [&] { return platform::DeleteRegistryKey(Hkcu(), L"C"); },
       ERROR_ACCESS_DENIED},
      {"delete a missing key", [&] { return platform::DeleteRegistryKey(Hkcu(), L"C\\E"); },
       ERROR_FILE_NOT_FOUND},
  };
  for (const Case& c : cases) {
    platform::SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(c.call()) << c.what;
    EXPECT_EQ(platform::LastError(), c.error) << c.what;
  }
  EXPECT_EQ(home_.ReadStore(),
            "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\A]\n\n"
            "[HKEY_CURRENT_USER\\B]\n\n[HKEY_CURRENT_USER\\C\\D]\n")
      << "failed calls change nothing";
}

TEST_F(RegistryTest, AHandleToADeletedKeyFailsWith1018) {
  RegistryKey key = Create(L"Gone");
  ASSERT_TRUE(platform::DeleteRegistryKey(Hkcu(), L"gone"));
  platform::RegistryValueInfo info;
  EXPECT_FALSE(platform::QueryRegistryValueInfo(key, L"x", &info));
  EXPECT_EQ(platform::LastError(), ERROR_KEY_DELETED);
  EXPECT_FALSE(platform::SetRegistryValue(key, L"x", REG_BINARY, {}));
  EXPECT_EQ(platform::LastError(), ERROR_KEY_DELETED);
}

TEST_F(RegistryTest, ReadingIntoASmallBufferGives234AndTheSizeNeeded) {
  RegistryKey key = Create(L"K");
  const std::vector<BYTE> data = Utf16(u"abc");
  ASSERT_TRUE(platform::SetRegistryValue(key, L"", REG_SZ, data));
  std::vector<BYTE> buffer(data.size() - 1, 0xEE);
  platform::RegistryValueInfo info;
  EXPECT_FALSE(platform::ReadRegistryValue(key, L"", buffer, &info));
  EXPECT_EQ(platform::LastError(), ERROR_MORE_DATA);
  EXPECT_EQ(info.size, data.size());
  EXPECT_EQ(info.type, REG_SZ);
  EXPECT_EQ(buffer, std::vector<BYTE>(data.size() - 1, 0xEE)) << "nothing copied";
  buffer.resize(data.size() + 4);
  ASSERT_TRUE(platform::ReadRegistryValue(key, L"", buffer, &info));
  EXPECT_EQ(info.size, data.size());
  EXPECT_EQ(platform::LastError(), ERROR_SUCCESS);
  EXPECT_EQ(home_.ReadStore(),
            "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\K]\n@=\"abc\"\n");
}

// Every value comes back from the file with its exact type and bytes, whatever form the file
// had to use for it.
TEST_F(RegistryTest, KeepsEveryTypeAndItsExactBytesThroughTheFile) {
  struct Case {
    const wchar_t* name;
    DWORD type;
    std::vector<BYTE> data;
    const char* line;  // as written in the file
  };
  std::vector<BYTE> long_binary(40);
  for (std::size_t i = 0; i < long_binary.size(); ++i) long_binary[i] = static_cast<BYTE>(i);
  const Case cases[] = {
      {L"Plain", REG_SZ, Utf16(u"C:\\x \"q\" \u00e9\U0001F600"),
       "\"Plain\"=\"C:\\\\x \\\"q\\\" \xC3\xA9\xF0\x9F\x98\x80\""},
      {L"Empty text", REG_SZ, Utf16(u""), "\"Empty text\"=\"\""},
      {L"No terminator", REG_SZ, Utf16(u"ab", false), "\"No terminator\"=hex(1):61,00,62,00"},
      {L"Line break", REG_SZ, Utf16(u"a\nb"), "\"Line break\"=hex(1):61,00,0a,00,62,00,00,00"},
      {L"Inner zero", REG_SZ, Utf16(std::u16string_view(u"a\0b", 3)),
       "\"Inner zero\"=hex(1):61,00,00,00,62,00,00,00"},
      {L"Odd size", REG_SZ, Bytes({0x61, 0, 0}), "\"Odd size\"=hex(1):61,00,00"},
      {L"Lone surrogate", REG_SZ, Bytes({0x00, 0xD8, 0, 0}),
       "\"Lone surrogate\"=hex(1):00,d8,00,00"},
      {L"Zero size", REG_SZ, {}, "\"Zero size\"=hex(1):"},
      {L"Expand", REG_EXPAND_SZ, Utf16(u"%A%"), "\"Expand\"=hex(2):25,00,41,00,25,00,00,00"},
      {L"Word", REG_DWORD, Bytes({0x3f, 0, 0, 0x80}), "\"Word\"=dword:8000003f"},
      {L"Long word", REG_DWORD, Bytes({1, 0, 0, 0, 0, 0, 0, 0}),
       "\"Long word\"=hex(4):01,00,00,00,00,00,00,00"},
      {L"Big endian", REG_DWORD_BIG_ENDIAN, Bytes({0, 0, 0, 1}),
       "\"Big endian\"=hex(5):00,00,00,01"},
      {L"Binary", REG_BINARY, Bytes({1, 2, 0xff}), "\"Binary\"=hex:01,02,ff"},
      {L"Long binary", REG_BINARY, long_binary,
       "\"Long binary\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,\\\n"
       "  14,15,16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27"},
      {L"Multi", REG_MULTI_SZ, Utf16(std::u16string_view(u"a\0b\0", 4)),
       "\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00"},
      {L"Quad", REG_QWORD, Bytes({1, 2, 3, 4, 5, 6, 7, 8}),
       "\"Quad\"=hex(b):01,02,03,04,05,06,07,08"},
      {L"Odd type", 0x12345, Bytes({9}), "\"Odd type\"=hex(12345):09"},
      {L"Name \\ \"quoted\"", REG_NONE, {}, "\"Name \\\\ \\\"quoted\\\"\"=hex(0):"},
  };
  RegistryKey key = Create(L"Types");
  for (const Case& c : cases) {
    ASSERT_TRUE(platform::SetRegistryValue(key, c.name, c.type, c.data)) << c.line;
  }
  const std::string text = home_.ReadStore();
  home_.WriteStore(text);  // a new file: what follows is read back from the text
  for (const Case& c : cases) {
    EXPECT_NE(text.find(std::string("\n") + c.line + "\n"), std::string::npos) << c.line << "\n"
                                                                               << text;
    const auto read = Read(key, c.name);
    ASSERT_TRUE(read.has_value()) << c.line;
    EXPECT_EQ(read->first, c.type) << c.line;
    EXPECT_EQ(read->second, c.data) << c.line;
  }
}

TEST_F(RegistryTest, ReadsAHandEditedFile) {
  home_.WriteStore(
      "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
      "\r\n"
      "; written by hand\r\n"
      "[hkcu\\Software\\Tovak]\r\n"
      "\"Gone\"=dword:00000001\r\n"
      "\"Gone\"=-\r\n"
      "\"Short\"=dword:3F\r\n"
      "\"Wrapped\"=HEX:01,\\\r\n"
      "    02 , 03\r\n"
      "[HKEY_CURRENT_USER\\Software\\Tovak\\Old\\Deeper]\r\n"
      "[-HKEY_CURRENT_USER\\Software\\Tovak\\Old]\r\n");
  RegistryKey key;
  ASSERT_TRUE(platform::OpenRegistryKey(Hkcu(), L"Software\\Tovak", KEY_READ, &key));
  EXPECT_FALSE(Read(key, L"Gone").has_value());
  EXPECT_EQ(Read(key, L"short")->second, Bytes({0x3f, 0, 0, 0}));
  EXPECT_EQ(Read(key, L"Wrapped")->second, Bytes({1, 2, 3}));
  EXPECT_FALSE(platform::OpenRegistryKey(key, L"Old", KEY_READ, &key));
}

TEST(RegistryText, AValueWithoutDataIsADamagedLine) {
  // "name"= and nothing after it used to be read past the end of the line (found by fuzzing).
  const auto parsed = platform::registry_detail::ParseRegistry(
      "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\A]\n\"T\"=\n\"U\"=  \n@=\n");
  EXPECT_EQ(parsed.bad_lines, (std::vector<std::size_t>{4, 5, 6}));
}

TEST_F(RegistryTest, KeepsADamagedStoreAsABackupAndReportsItOnce) {
  const std::string damaged =
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_CURRENT_USER\\Software]\n"
      "\"Good\"=dword:00000007\n"
      "\"Bad\"=dword:xyz\n"
      "garbage \xFF\n"
      "[HKEY_NOWHERE\\X]\n"
      "\"Lost\"=dword:00000001\n";
  home_.WriteStore(damaged);
  std::vector<std::string> reports;
  platform::SetRegistryDamageReporter([&](const std::string& r) { reports.push_back(r); });

  RegistryKey key;
  ASSERT_TRUE(platform::OpenRegistryKey(Hkcu(), L"Software", KEY_READ | KEY_WRITE, &key));
  EXPECT_EQ(Read(key, L"Good")->second, Bytes({7, 0, 0, 0})) << "readable lines are kept";
  EXPECT_FALSE(Read(key, L"Bad").has_value());
  const auto backup = home_.StoreDir() / "registry.reg.damaged";
  EXPECT_EQ(TempConfigHome::ReadFile(backup), damaged);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find(home_.StoreFile().string()), std::string::npos) << reports[0];
  EXPECT_NE(reports[0].find("5, 6, 7, 8"), std::string::npos) << reports[0];

  ASSERT_TRUE(platform::SetRegistryValue(key, L"New", REG_DWORD, Bytes({1, 0, 0, 0})));
  EXPECT_EQ(reports.size(), 1u) << "the same damage is reported once";
  EXPECT_EQ(TempConfigHome::ReadFile(backup), damaged) << "the backup survives the save";
  EXPECT_EQ(home_.ReadStore(),
            "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software]\n"
            "\"Good\"=dword:00000007\n\"New\"=dword:00000001\n");
  EXPECT_FALSE(std::filesystem::exists(home_.StoreDir() / "registry.reg.damaged-2"));

  // A different damage gets a backup of its own.
  home_.WriteStore("REGEDIT4\n");
  EXPECT_FALSE(platform::OpenRegistryKey(Hkcu(), L"Software", KEY_READ, &key));
  EXPECT_EQ(TempConfigHome::ReadFile(home_.StoreDir() / "registry.reg.damaged-2"), "REGEDIT4\n");
  EXPECT_EQ(reports.size(), 2u);
  platform::SetRegistryDamageReporter(nullptr);
}

TEST_F(RegistryTest, NeverOverwritesADamagedStoreItCannotBackUp) {
  const std::string damaged = "Windows Registry Editor Version 5.00\n[HKCU\\A]\nbroken\n";
  home_.WriteStore(damaged);
  // Every backup name is taken by something that is not a file.
  std::filesystem::create_directory(home_.StoreDir() / "registry.reg.damaged");
  for (int n = 2; n <= 100; ++n) {
    std::filesystem::create_directory(home_.StoreDir() /
                                      ("registry.reg.damaged-" + std::to_string(n)));
  }
  std::vector<std::string> reports;
  platform::SetRegistryDamageReporter([&](const std::string& r) { reports.push_back(r); });
  RegistryKey key;
  EXPECT_FALSE(platform::CreateRegistryKey(Hkcu(), L"A\\B", KEY_WRITE, &key, nullptr));
  EXPECT_EQ(platform::LastError(), ERROR_FILE_EXISTS);
  platform::SetRegistryDamageReporter(nullptr);
  EXPECT_EQ(home_.ReadStore(), damaged);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find("not saved over it"), std::string::npos) << reports[0];
}

TEST_F(RegistryTest, AStoreThatIsNoRegularFileIsNeitherWaitedForNorOverwritten) {
  // A FIFO as the store used to block every start in open(); a huge file would be read whole.
  std::filesystem::create_directories(home_.StoreDir());
  const std::string store = home_.StoreFile().string();
  ASSERT_EQ(mkfifo(store.c_str(), 0600), 0);
  RegistryKey key;
  EXPECT_FALSE(platform::OpenRegistryKey(Hkcu(), L"Software", KEY_READ, &key));
  EXPECT_EQ(platform::LastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(platform::CreateRegistryKey(Hkcu(), L"Software\\A", KEY_WRITE, &key, nullptr));
  struct stat st;
  ASSERT_EQ(lstat(store.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));

  ASSERT_EQ(unlink(store.c_str()), 0);
  home_.WriteStore("Windows Registry Editor Version 5.00\n");
  ASSERT_EQ(truncate(store.c_str(), off_t{1} << 30), 0);  // sparse
  EXPECT_FALSE(platform::OpenRegistryKey(Hkcu(), L"Software", KEY_READ, &key));
  EXPECT_EQ(platform::LastError(), ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(std::filesystem::file_size(store), std::uintmax_t{1} << 30);

  // FIFOs at the names a change uses for its temporary file and its lock.
  ASSERT_EQ(unlink(store.c_str()), 0);
  const std::string temp = (home_.StoreDir() / "registry.reg.tmp").string();
  ASSERT_EQ(mkfifo(temp.c_str(), 0600), 0);
  EXPECT_TRUE(platform::CreateRegistryKey(Hkcu(), L"Software\\A", KEY_WRITE, &key, nullptr))
      << platform::LastError();
  EXPECT_FALSE(std::filesystem::exists(temp));
  const std::string lock = (home_.StoreDir() / "registry.lock").string();
  ASSERT_EQ(unlink(lock.c_str()), 0);
  ASSERT_EQ(mkfifo(lock.c_str(), 0600), 0);
  EXPECT_FALSE(platform::CreateRegistryKey(Hkcu(), L"Software\\B", KEY_WRITE, &key, nullptr));
  EXPECT_EQ(platform::LastError(), ERROR_ACCESS_DENIED);
}

TEST_F(RegistryTest, FirstWriteCreatesThePrivateDirectory) {
  ASSERT_FALSE(std::filesystem::exists(home_.StoreDir()));
  Create(L"K");
  struct stat st;
  ASSERT_EQ(stat(home_.StoreDir().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ASSERT_EQ(stat(home_.StoreFile().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(platform::RegistryStorePath(), home_.StoreFile().string());
}

TEST_F(RegistryTest, AnUnusableConfigDirectoryFailsWritesWithItsErrorCode) {
  // The configuration home is a plain file: nothing can be created below it.
  std::ofstream(home_.Root() / "config") << "not a directory";
  RegistryKey key;
  EXPECT_FALSE(platform::OpenRegistryKey(Hkcu(), L"Software", KEY_READ, &key));
  EXPECT_EQ(platform::LastError(), ERROR_FILE_NOT_FOUND) << "reads see an empty registry";
  EXPECT_FALSE(platform::CreateRegistryKey(Hkcu(), L"Software", KEY_WRITE, &key, nullptr));
  EXPECT_EQ(platform::LastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(platform::SetRegistryValue(Hkcu(), L"x", REG_BINARY, {}));
  EXPECT_EQ(platform::LastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(RegistryTest, ARelativeConfigHomeIsIgnored) {
  setenv("XDG_CONFIG_HOME", "relative/dir", 1);
  EXPECT_EQ(platform::RegistryStorePath(), (home_.Root() / ".config/vemo/registry.reg").string());
}

// Two processes writing at the same time: neither loses the other's values.
TEST_F(RegistryTest, TwoProcessesWritingAtOnceKeepEachOthersValues) {
  constexpr int kWrites = 40;
  Create(L"Shared");
  pid_t children[2];
  for (int p = 0; p < 2; ++p) {
    children[p] = fork();
    ASSERT_GE(children[p], 0);
    if (children[p] == 0) {
      RegistryKey key;
      bool ok = platform::OpenRegistryKey(RegistryKey::Predefined(RegRoot::kCurrentUser), L"Shared",
                                          KEY_WRITE, &key);
      for (int i = 0; ok && i < kWrites; ++i) {
        const std::wstring name = L"p" + std::to_wstring(p) + L"v" + std::to_wstring(i);
        ok = platform::SetRegistryValue(key, name, REG_DWORD, Bytes({i, p, 0, 0}));
      }
      _exit(ok ? 0 : 1);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  RegistryKey key;
  ASSERT_TRUE(platform::OpenRegistryKey(Hkcu(), L"Shared", KEY_READ, &key));
  for (int p = 0; p < 2; ++p) {
    for (int i = 0; i < kWrites; ++i) {
      const auto v = Read(key, L"p" + std::to_wstring(p) + L"v" + std::to_wstring(i));
      ASSERT_TRUE(v.has_value()) << p << " " << i;
      EXPECT_EQ(v->second, Bytes({i, p, 0, 0}));
    }
  }
}

}  // namespace
