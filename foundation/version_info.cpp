#include "foundation/version_info.h"

#include <algorithm>
#include <cwchar>

#include "foundation/embedded_version_block.h"
#include "platform/error_codes.h"
#include "platform/executable_path.h"
#include "platform/last_error.h"

namespace {

constexpr std::size_t kFixedInfoSize = 52;
// Widths and precisions beyond this are cut, so a stray format cannot ask for gigabytes.
constexpr unsigned kMaxFieldWidth = 1024;

DWORD ReadDword(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  return static_cast<DWORD>(bytes[offset]) | static_cast<DWORD>(bytes[offset + 1]) << 8 |
         static_cast<DWORD>(bytes[offset + 2]) << 16 | static_cast<DWORD>(bytes[offset + 3]) << 24;
}

void Pad(std::wstring& out, std::wstring_view text, bool left, unsigned width) {
  const std::size_t fill = width > text.size() ? width - text.size() : 0;
  if (!left) out.append(fill, L' ');
  out.append(text);
  if (left) out.append(fill, L' ');
}

}  // namespace

CNVersionInfo::CNVersionInfo(bool load) {
  if (load) LoadFromModule();
}

void CNVersionInfo::Clear() {
  module_path_.clear();
  root_.reset();
  fixed_ = {};
  has_fixed_ = false;
  string_table_ = nullptr;
}

bool CNVersionInfo::LoadFromModule() {
  // The block is built into the program, so the identity does not depend on the executable file
  // still being there (a package upgrade may replace it while the program runs).
  std::string path;
  if (!platform::ExecutablePath(path)) path.clear();
  return LoadFromData(EmbeddedVersionBlock(), std::move(path));
}

bool CNVersionInfo::LoadFromData(std::span<const unsigned char> block, std::string module_path) {
  Clear();
  root_ = ParseVersionBlock(block);
  if (!root_) {
    platform::SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  module_path_ = std::move(module_path);
  if (root_->type == 0 && root_->value_length == kFixedInfoSize &&
      root_->value.size() == kFixedInfoSize) {
    DWORD* fields = &fixed_.dwSignature;
    for (std::size_t i = 0; i < kFixedInfoSize / 4; ++i) fields[i] = ReadDword(root_->value, i * 4);
    has_fixed_ = true;
  }
  SelectTranslation(translation_);
  platform::SetLastError(ERROR_SUCCESS);
  return true;
}

bool CNVersionInfo::SelectTranslation(DWORD translation) {
  translation_ = translation;
  string_table_ = nullptr;
  if (!root_) return false;
  const VersionNode* string_info = FindVersionChild(*root_, L"StringFileInfo", true);
  if (!string_info) return false;
  wchar_t key[9];
  std::swprintf(key, 9, L"%8.8x", translation);
  string_table_ = FindVersionChild(*string_info, key, false);
  return string_table_ != nullptr;
}

std::wstring CNVersionInfo::GetString(std::wstring_view key) const {
  if (!root_) {
    platform::SetLastError(ERROR_INVALID_DATA);
    return {};
  }
  const VersionNode* node = string_table_ ? FindVersionChild(*string_table_, key, false)
                                          : FindVersionChild(*root_, key, true);
  if (!node) {
    platform::SetLastError(ERROR_INVALID_PARAMETER);
    return {};
  }
  if (node->value_length == 0 || node->type != 1) {
    platform::SetLastError(ERROR_INVALID_DATA);
    return {};
  }
  platform::SetLastError(ERROR_SUCCESS);
  return node->text;
}

CNTimeStamp CNVersionInfo::GetFileDate() const {
  if (!has_fixed_) return kNullTimeStamp;
  return CNTimeStamp(fixed_.dwFileDateLS, fixed_.dwFileDateMS);
}

void CNVersionInfo::SetVersionFormat(const wchar_t* format) {
  version_format_ = format ? std::wstring(format) : std::wstring(kDefaultVersionFormat);
}

std::wstring CNVersionInfo::Format(const wchar_t* format) const {
  if (!has_fixed_) return L"<n/a>";
  return Expand(format ? std::wstring_view(format) : std::wstring_view(version_format_), false);
}

std::wstring CNVersionInfo::Expand(std::wstring_view format, bool in_version) const {
  std::wstring out;
  std::size_t i = 0;
  const auto read_number = [&](std::wstring& spec) {
    unsigned value = 0;
    while (i < format.size() && format[i] >= L'0' && format[i] <= L'9') {
      value = std::min(value * 10 + static_cast<unsigned>(format[i] - L'0'), kMaxFieldWidth);
      spec.push_back(format[i++]);
    }
    return value;
  };
  while (i < format.size()) {
    if (format[i] != L'%') {
      out.push_back(format[i++]);
      continue;
    }
    std::wstring spec(1, format[i++]);
    bool left = false;
    if (i < format.size() && format[i] == L'-') {
      left = true;
      spec.push_back(format[i++]);
    }
    const unsigned width = read_number(spec);
    unsigned precision = 0;
    if (i < format.size() && format[i] == L'.') {
      spec.push_back(format[i++]);
      precision = read_number(spec);
    }
    if (i == format.size()) break;  // an open specification at the end is dropped
    const wchar_t letter = format[i++];
    if (!AppendSpec(out, letter, left, width, precision, in_version)) {
      out.append(spec).push_back(letter);
    }
  }
  return out;
}

bool CNVersionInfo::AppendSpec(std::wstring& out, wchar_t letter, bool left, unsigned width,
                               unsigned precision, bool in_version) const {
  const auto number = [&](DWORD value) {
    std::wstring digits = std::to_wstring(value);
    if (precision > digits.size()) digits.insert(0, precision - digits.size(), L'0');
    Pad(out, digits, left, std::max(width, 1u));
    return true;
  };
  const auto text = [&](std::wstring_view value) {
    Pad(out, value, left, width);
    return true;
  };
  switch (letter) {
    case L'a':
      return number(fixed_.dwProductVersionMS >> 16);
    case L'b':
      return number(fixed_.dwProductVersionMS & 0xFFFF);
    case L'c':
      return number(fixed_.dwProductVersionLS >> 16);
    case L'd':
      return number(fixed_.dwProductVersionLS & 0xFFFF);
    case L'p':
      return text(GetProductName());
    case L'l':
      return text(GetLegalCopyright());
    case L'm':
      return text(GetComments());
    case L'o':
      return text(GetCompanyName());
    case L'f':
      return text(GetFileDescription());
    case L'v':
      return text(GetFileVersion());
    case L'i':
    case L'r':
      return text(GetInternalName());
    case L'g':
      return text((fixed_.dwFileFlags & VS_FF_DEBUG) ? L"Debug" : L"Release");
    case L'V':
      // A version format that names itself would recurse without end; inside it %V is plain text.
      return !in_version && text(Expand(version_format_, true));
    default:
      return false;
  }
}
