// CNVersionInfo: the program's identity read from a VS_VERSIONINFO block, with lookups of its named
// strings and a formatter with identity specifiers (%p product, %g build kind, %V version ...).
//
// An instance owns its tree. Loading replaces the previous contents; a failed load leaves the
// instance empty (Format yields "<n/a>", strings are empty, the file date is 0). Reading a loaded
// instance from several threads at once is safe; loading is not. Lookups report through the
// thread's last error as documented per call.
#pragma once
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "foundation/time_stamp.h"
#include "foundation/version_node.h"
#include "platform/win_types.h"

// The fixed part of the block (VS_FIXEDFILEINFO), decoded from its little-endian bytes.
struct VSFixedFileInfo {
  DWORD dwSignature;
  DWORD dwStrucVersion;
  DWORD dwFileVersionMS;
  DWORD dwFileVersionLS;
  DWORD dwProductVersionMS;
  DWORD dwProductVersionLS;
  DWORD dwFileFlagsMask;
  DWORD dwFileFlags;
  DWORD dwFileOS;
  DWORD dwFileType;
  DWORD dwFileSubtype;
  DWORD dwFileDateMS;
  DWORD dwFileDateLS;
};

inline constexpr DWORD VS_FF_DEBUG = 0x1;

class CNVersionInfo {
 public:
  // U.S. English, Unicode.
  static constexpr DWORD kDefaultTranslation = 0x040904B0;
  static constexpr std::wstring_view kDefaultVersionFormat = L"%a.%2.2b.%2.2c";

  // With load set, loads the running program's identity (LoadFromModule).
  explicit CNVersionInfo(bool load = false);
  CNVersionInfo(CNVersionInfo&&) = default;
  CNVersionInfo& operator=(CNVersionInfo&&) = default;

  // The running program's identity: the block built into it, with the executable's path as the
  // module path (empty when the system does not tell it). False only for a damaged block.
  bool LoadFromModule();
  // Loads from a block in memory; module_path is recorded as given. False and last error 13
  // (ERROR_INVALID_DATA) when the block is damaged; the instance is then empty.
  bool LoadFromData(std::span<const unsigned char> block, std::string module_path = {});

  // Selects the string table of a translation (language in the high word, code page in the low
  // word). True when the table exists; otherwise lookups search the whole tree.
  bool SelectTranslation(DWORD translation);

  // The text of the named string (key compared without regard to case). Empty with last error 13
  // when nothing is loaded or the string has no value, 87 (ERROR_INVALID_PARAMETER) when it does
  // not exist; last error 0 when found.
  [[nodiscard]] std::wstring GetString(std::wstring_view key) const;
  [[nodiscard]] std::wstring GetLegalCopyright() const { return GetString(L"LegalCopyright"); }
  [[nodiscard]] std::wstring GetComments() const { return GetString(L"Comments"); }
  [[nodiscard]] std::wstring GetProductName() const { return GetString(L"ProductName"); }
  [[nodiscard]] std::wstring GetCompanyName() const { return GetString(L"CompanyName"); }
  [[nodiscard]] std::wstring GetFileDescription() const { return GetString(L"FileDescription"); }
  [[nodiscard]] std::wstring GetFileVersion() const { return GetString(L"FileVersion"); }
  [[nodiscard]] std::wstring GetInternalName() const { return GetString(L"InternalName"); }

  // The file date of the fixed information (the build date, UTC); 0 when there is none.
  [[nodiscard]] CNTimeStamp GetFileDate() const;

  // Null resets to kDefaultVersionFormat.
  void SetVersionFormat(const wchar_t* format);
  // Expands format (null: the version format). Specifiers: "%" [-] [width] [.precision] letter;
  // a-d the product version's four parts as numbers, p l m o f v i r the strings ProductName,
  // LegalCopyright, Comments, CompanyName, FileDescription, FileVersion, InternalName (i and r),
  // g "Debug" or "Release", V the version format. Other letters are copied with their
  // specification; a specification open at the end is dropped. "<n/a>" without fixed information.
  [[nodiscard]] std::wstring Format(const wchar_t* format = nullptr) const;

  [[nodiscard]] const std::string& ModulePath() const { return module_path_; }
  [[nodiscard]] const VersionNode* Root() const { return root_.get(); }
  // Null when the block has no fixed information.
  [[nodiscard]] const VSFixedFileInfo* FixedInfo() const { return has_fixed_ ? &fixed_ : nullptr; }
  [[nodiscard]] DWORD Translation() const { return translation_; }

 private:
  void Clear();
  // Appends the value of one specification; false for a letter that is not a specifier.
  bool AppendSpec(std::wstring& out, wchar_t letter, bool left, unsigned width, unsigned precision,
                  bool in_version) const;
  std::wstring Expand(std::wstring_view format, bool in_version) const;

  std::string module_path_;
  std::unique_ptr<VersionNode> root_;
  VSFixedFileInfo fixed_{};
  bool has_fixed_ = false;
  DWORD translation_ = kDefaultTranslation;
  const VersionNode* string_table_ = nullptr;
  std::wstring version_format_{kDefaultVersionFormat};
};
