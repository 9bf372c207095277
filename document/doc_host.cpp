#include "document/doc_host.h"

int CVemoDocHost::ShowMessageLines(std::span<const std::wstring> lines, std::wstring_view caption,
                                   UINT style) {
  std::wstring text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::wstring_view line = lines[i];
    // A line's own trailing line break ("Error 2: ...\r\n") ends it, in place of the "\r".
    std::size_t body = line.size();
    while (body > 0 && (line[body - 1] == L'\r' || line[body - 1] == L'\n')) --body;
    for (const wchar_t c : line.substr(0, body)) {
      if (c == L'\r') {
        text += L"\\r";
      } else if (c == L'\n') {
        text += L"\\n";
      } else {
        text += c;
      }
    }
    if (i + 1 < lines.size()) text += body < line.size() ? line.substr(body) : L"\r";
  }
  return ShowMessageBox(text, caption, style);
}
