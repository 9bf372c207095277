#include "cli/cli_doc_host.h"

#include <cstdio>

#include "cli/output_escaping.h"
#include "cli/progress_line.h"

namespace {

constexpr std::wstring_view kTamperedWarning =
    L"Warning: Vemo document file has been tampered with";
constexpr std::wstring_view kEmptyWarning = L"Warning: Vemo document file is empty";

// Each "\r" or "\n" separated line of text on a line of its own, escaped.
std::string MessageLines(std::wstring_view text) {
  std::string out;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find_first_of(L"\r\n", start);
    if (end == std::wstring_view::npos) end = text.size();
    if (end > start || end < text.size()) out += EscapeText(text.substr(start, end - start)) + "\n";
    if (end == text.size()) break;
    // "\r\n" is one line break.
    start = end + ((text[end] == L'\r' && end + 1 < text.size() && text[end + 1] == L'\n') ? 2 : 1);
  }
  return out;
}

}  // namespace

int CliDocHost::ShowMessageBox(std::wstring_view text, std::wstring_view /*caption*/, UINT style) {
  return Show(text, MessageLines(text), style);
}

int CliDocHost::ShowMessageLines(std::span<const std::wstring> lines, std::wstring_view /*caption*/,
                                 UINT style) {
  std::string out;
  for (const std::wstring& line : lines) {
    std::wstring_view body = line;
    while (!body.empty() && (body.back() == L'\r' || body.back() == L'\n')) body.remove_suffix(1);
    out += EscapeText(body) + "\n";
  }
  return Show(lines.empty() ? std::wstring_view() : std::wstring_view(lines[0]), out, style);
}

int CliDocHost::Show(std::wstring_view first, const std::string& escaped, UINT style) {
  if (progress_ != nullptr) progress_->Clear();
  // Report lines written so far come first when both streams go to the same place.
  std::fflush(stdout);
  if (first.starts_with(kTamperedWarning)) tampered_ = true;
  if (first.starts_with(kEmptyWarning)) empty_ = true;
  if ((style & MB_ICONMASK) == MB_ICONERROR) ++errors_;
  std::string lines = escaped;
  int answer = IDOK;
  switch (style & MB_TYPEMASK) {
    case MB_YESNO:
      lines += "(answered No)\n";
      answer = IDNO;
      break;
    case MB_YESNOCANCEL:
      lines += "(answered Cancel)\n";
      answer = IDCANCEL;
      break;
    default:
      break;
  }
  std::fputs(lines.c_str(), stderr);
  std::fflush(stderr);
  return answer;
}

void PrintCliMessage(CliProgressLine* progress, std::wstring_view text) {
  if (progress != nullptr) progress->Clear();
  std::fflush(stdout);
  std::fputs(("vemo-cli: " + EscapeText(text) + "\n").c_str(), stderr);
  std::fflush(stderr);
}
