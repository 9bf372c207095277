#include "foundation/version_info.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "foundation/embedded_version_block.h"
#include "foundation/program_identity.h"
#include "platform/error_codes.h"
#include "platform/last_error.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Lays out VS_VERSIONINFO blocks the way resource compilers do, with hooks to damage them.
struct Block {
  std::string key;
  WORD type = 1;
  Bytes value;                       // already encoded (UTF-16 text or binary)
  std::optional<WORD> value_length;  // default: units for text, bytes for binary
  std::vector<Block> children;
  std::optional<WORD> length;  // overrides the computed total length
  bool terminate_key = true;

  Bytes Build() const {
    Bytes out(6, 0);
    for (unsigned char c : key) out.insert(out.end(), {c, 0});
    if (terminate_key) out.insert(out.end(), {0, 0});
    while (out.size() % 4) out.push_back(0);
    out.insert(out.end(), value.begin(), value.end());
    for (const Block& child : children) {
      while (out.size() % 4) out.push_back(0);
      const Bytes bytes = child.Build();
      out.insert(out.end(), bytes.begin(), bytes.end());
    }
    const WORD total = length.value_or(static_cast<WORD>(out.size()));
    const WORD vlen =
        value_length.value_or(static_cast<WORD>(type == 1 ? value.size() / 2 : value.size()));
    const WORD header[3] = {total, vlen, type};
    for (int i = 0; i < 3; ++i) {
      out[2 * i] = static_cast<std::uint8_t>(header[i] & 0xFF);
      out[2 * i + 1] = static_cast<std::uint8_t>(header[i] >> 8);
    }
    return out;
  }
};

Bytes Utf16(const std::string& text) {
  Bytes out;
  for (unsigned char c : text) out.insert(out.end(), {c, 0});
  out.insert(out.end(), {0, 0});
  return out;
}

// Designated initializers would read better, but g++ 12 warns on every omitted member.
Block Node(std::string key, std::vector<Block> children = {}) {
  Block block;
  block.key = std::move(key);
  block.children = std::move(children);
  return block;
}

Block Binary(std::string key, Bytes value) {
  Block block = Node(std::move(key));
  block.type = 0;
  block.value = std::move(value);
  return block;
}

Block Text(std::string key, const std::string& value) {
  Block block = Node(std::move(key));
  block.value = Utf16(value);
  return block;
}

Bytes Fixed(DWORD ms, DWORD ls, DWORD flags) {
  const DWORD fields[13] = {0xFEEF04BD, 0x10000, ms, ls, ms,         ls,        0x3F,
                            flags,      0,       1,  0,  0x01C765D5, 0x2E6C4F80};
  Bytes out;
  for (DWORD f : fields) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(f >> (8 * i)));
  }
  return out;
}

// A complete resource: version ms.ls, one U.S. English table, and a second table (German) that
// alone holds "OnlyGerman".
Block Resource(DWORD ms = 0x00020001, DWORD ls = 0x00050000, DWORD flags = 0) {
  const Block table =
      Node("040904B0", {Text("ProductName", "Vemo"), Text("LegalCopyright", "(C) Tovak"),
                        Text("FileVersion", "2.1.5"), Node("Empty")});
  const Block german = Node("040704B0", {Text("OnlyGerman", "ja")});
  const Block translation = Binary("Translation", {0x09, 0x04, 0xB0, 0x04});
  Block root = Binary("VS_VERSION_INFO", Fixed(ms, ls, flags));
  root.children = {Node("StringFileInfo", {table, german}), Node("VarFileInfo", {translation})};
  return root;
}

CNVersionInfo Load(const Bytes& bytes) {
  CNVersionInfo info;
  EXPECT_TRUE(info.LoadFromData(bytes));
  return info;
}

TEST(VersionInfo, FormatsTheIdentity) {
  const CNVersionInfo info = Load(Resource().Build());
  const CNVersionInfo debug = Load(Resource(0x0002000A, 0x00050001, VS_FF_DEBUG).Build());
  struct Case {
    const CNVersionInfo* info;
    const wchar_t* format;
    std::wstring expected;
  };
  const Case cases[] = {
      {&info, L"%V", L"2.01.05"},
      {&debug, L"%V", L"2.10.05"},
      {&info, nullptr, L"2.01.05"},
      {&info, L"; %p %g %V", L"; Vemo Release 2.01.05"},
      {&debug, L"%p %g %a.%b.%c.%d", L"Vemo Debug 2.10.5.1"},
      {&info, L"%-10g|", L"Release   |"},
      {&info, L"%10g|", L"   Release|"},
      {&info, L"%5.3a|%-4b|%.0c", L"  002|1   |5"},
      {&info, L"%2p", L"Vemo"},  // precision and width never cut text
      {&info, L"100%", L"100"},  // an open specification at the end is dropped
      {&info, L"100%-3.", L"100"},
      {&info, L"%%|%x|%-5.2y", L"%%|%x|%-5.2y"},
      {&info, L"%l|%v|%m|", L"(C) Tovak|2.1.5||"},
      {&info, L"", L""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.info->Format(c.format), c.expected) << (c.format ? c.format : L"(null)");
  }
}

TEST(VersionInfo, FileDateComesFromTheFixedInformation) {
  const CNVersionInfo info = Load(Resource().Build());
  EXPECT_EQ(info.GetFileDate(), CNTimeStamp(0x2E6C4F80, 0x01C765D5));
}

TEST(VersionInfo, VersionFormatCanBeReplacedAndRestored) {
  CNVersionInfo info = Load(Resource().Build());
  info.SetVersionFormat(L"v%a.%b");
  EXPECT_EQ(info.Format(L"[%V]"), L"[v2.1]");
  // A version format naming itself must not recurse; inside it %V stays text.
  info.SetVersionFormat(L"%V-%a");
  EXPECT_EQ(info.Format(L"%V"), L"%V-2");
  info.SetVersionFormat(nullptr);
  EXPECT_EQ(info.Format(), L"2.01.05");
}

TEST(VersionInfo, HugeWidthIsBounded) {
  const CNVersionInfo info = Load(Resource().Build());
  EXPECT_LE(info.Format(L"%4000000000p").size(), 1024u);
  EXPECT_LE(info.Format(L"%.99999999a").size(), 1024u);
}

TEST(VersionInfo, GetStringReportsThroughLastError) {
  CNVersionInfo empty;
  EXPECT_EQ(empty.GetString(L"ProductName"), L"");
  EXPECT_EQ(platform::LastError(), ERROR_INVALID_DATA);
  EXPECT_EQ(empty.Format(L"%p"), L"<n/a>");
  EXPECT_TRUE(empty.GetFileDate().IsZero());

  const CNVersionInfo info = Load(Resource().Build());
  EXPECT_EQ(info.GetString(L"productname"), L"Vemo");
  EXPECT_EQ(platform::LastError(), ERROR_SUCCESS);
  EXPECT_EQ(info.GetString(L"Missing"), L"");
  EXPECT_EQ(platform::LastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(info.GetString(L"Empty"), L"");
  EXPECT_EQ(platform::LastError(), ERROR_INVALID_DATA);
  // The selected table is searched alone: a string of another translation is not found.
  EXPECT_EQ(info.GetString(L"OnlyGerman"), L"");
}

TEST(VersionInfo, TranslationWithoutTableSearchesTheWholeTree) {
  CNVersionInfo info = Load(Resource().Build());
  EXPECT_TRUE(info.SelectTranslation(0x040704B0));
  EXPECT_EQ(info.GetString(L"OnlyGerman"), L"ja");
  EXPECT_EQ(info.GetString(L"ProductName"), L"");

  EXPECT_FALSE(info.SelectTranslation(0x041104B0));
  EXPECT_EQ(info.GetString(L"ProductName"), L"Vemo");
  EXPECT_EQ(info.GetString(L"OnlyGerman"), L"ja");
}

TEST(VersionInfo, NoFixedInformationGivesNotAvailable) {
  Block resource = Resource();
  resource.value = Bytes(48, 0);  // not the 52 bytes of the fixed record
  const CNVersionInfo info = Load(resource.Build());
  EXPECT_EQ(info.FixedInfo(), nullptr);
  EXPECT_TRUE(info.GetFileDate().IsZero());
  EXPECT_EQ(info.Format(L"; %p %g %V"), L"<n/a>");
  EXPECT_EQ(info.GetProductName(), L"Vemo");
}

// Every prefix of a valid block, and blocks with lying lengths, in buffers of exactly their size:
// the sanitizer build catches any read past the end.
TEST(VersionInfo, DamagedBlocksAreRejectedWithoutReadingOutside) {
  const Bytes whole = Resource().Build();
  for (std::size_t size = 0; size < whole.size(); ++size) {
    const Bytes prefix(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
    CNVersionInfo info;
    EXPECT_FALSE(info.LoadFromData(prefix)) << size;
    EXPECT_EQ(platform::LastError(), ERROR_INVALID_DATA);
    EXPECT_EQ(info.Format(), L"<n/a>");
  }

  auto with_string = [](Block string) {
    Block resource = Resource();
    resource.children[0].children[0].children.push_back(std::move(string));
    return resource;
  };
  Block long_root = Resource();
  long_root.length = 0xFFFF;
  Block short_root = Resource();
  short_root.length = 4;
  Block long_child = with_string(Text("X", "y"));
  long_child.children[0].children[0].children.back().length = 0x400;
  Block long_binary = Resource();
  long_binary.children[1].children[0].value_length = 0x400;
  Block deep = Node("d");
  for (int i = 0; i < 40; ++i) deep = Node("d", {deep});
  Block unterminated_key = Node("Key");
  unterminated_key.terminate_key = false;

  const std::pair<const char*, Block> damaged[] = {
      {"root longer than the data", long_root},
      {"root shorter than its header", short_root},
      {"child longer than its parent", long_child},
      {"key without terminator", with_string(unterminated_key)},
      {"binary value longer than its block", long_binary},
      {"nested beyond any real resource", deep},
  };
  for (const auto& [what, block] : damaged) {
    CNVersionInfo info;
    EXPECT_FALSE(info.LoadFromData(block.Build())) << what;
    EXPECT_EQ(info.Root(), nullptr) << what;
  }
}

TEST(VersionInfo, TextRunningPastItsBlockIsCut) {
  // Some producers count text lengths in bytes; the text ends with its block instead.
  Block string = Text("Comments", "abc");
  string.value_length = 200;
  Block unterminated = Node("Note");
  unterminated.value = {'h', 0, 'i', 0};
  Block resource = Resource();
  resource.children[0].children[0].children = {string, unterminated};
  const CNVersionInfo info = Load(resource.Build());
  EXPECT_EQ(info.GetComments(), L"abc");
  EXPECT_EQ(info.GetString(L"Note"), L"hi");
}

TEST(ProgramIdentity, ReadsTheBlockBuiltIntoTheProgram) {
  const CNVersionInfo& identity = ProgramIdentity();
  ASSERT_NE(identity.FixedInfo(), nullptr);
  EXPECT_EQ(identity.FixedInfo()->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(identity.GetProductName(), L"Vemo");
  EXPECT_EQ(identity.GetCompanyName(), L"Tovak");
  EXPECT_EQ(identity.GetFileVersion().rfind(identity.Format(L"%a.%b.%c"), 0), 0u);
#ifdef NDEBUG
  EXPECT_EQ(identity.Format(L"%g"), L"Release");
#else
  EXPECT_EQ(identity.Format(L"%g"), L"Debug");
#endif
  EXPECT_EQ(identity.GetComments(), identity.Format(L"%g build"));
  EXPECT_FALSE(identity.ModulePath().empty());
  // The build date: after this code was written, before the year 3000.
  EXPECT_GT(identity.GetFileDate().Value(), 132'000'000'000'000'000ULL);
  EXPECT_LT(identity.GetFileDate().Value(), 441'000'000'000'000'000ULL);

  // The block is a genuine resource: the translation record names the table that exists.
  const VersionNode* translation = FindVersionChild(*identity.Root(), L"Translation", true);
  ASSERT_NE(translation, nullptr);
  EXPECT_EQ(translation->value, (std::vector<std::uint8_t>{0x09, 0x04, 0xB0, 0x04}));
  EXPECT_EQ(EmbeddedVersionBlock().size() % 4, 0u);
}

}  // namespace
