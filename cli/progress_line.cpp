#include "cli/progress_line.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>

#include "cli/output_escaping.h"
#include "document/vemo_doc.h"

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(250);

std::size_t TerminalColumns() {
  winsize size{};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

void Append(std::wstring& line, const std::wstring& part, const wchar_t* suffix = L"") {
  if (part.empty()) return;
  if (!line.empty()) line += L"  ";
  line += part;
  line += suffix;
}

// The first `columns - 1` display cells of text (a full last column would wrap on some
// terminals). A character outside ASCII counts as two cells, the most any takes, so the line never
// wraps whatever the locale.
std::wstring FitToColumns(const std::wstring& text, std::size_t columns) {
  const std::size_t limit = columns > 1 ? columns - 1 : 1;
  std::size_t used = 0;
  std::size_t end = 0;
  for (; end < text.size(); ++end) {
    const std::size_t cells = text[end] < 0x80 ? 1 : 2;
    if (used + cells > limit) break;
    used += cells;
  }
  return text.substr(0, end);
}

void WriteAll(const std::string& bytes) {
  std::fflush(stderr);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(STDERR_FILENO, bytes.data() + done, bytes.size() - done);
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace

void CliProgressLine::Show(const CVemoDoc& doc) {
  if (!enabled_) return;
  const auto now = std::chrono::steady_clock::now();
  if (drawn_ && now - last_ < kRedrawInterval) return;
  last_ = now;
  std::wstring line;
  const DocState state = doc.GetState();
  if (state == DocState::kChecksumming || state == DocState::kFormatting) {
    Append(line, doc.GetCountText());
  }
  Append(line, doc.GetRateText());
  Append(line, doc.GetRemainingText(), L" left");
  Append(line, doc.GetPhaseText());
  // Escaping keeps control characters of a file name off the terminal; the escapes are plain
  // ASCII, so the width is measured on the escaped text.
  std::string bytes = "\r";
  bytes += ToUtf8(FitToColumns(EscapeTextWide(line), TerminalColumns()));
  bytes += "\x1b[K";
  WriteAll(bytes);
  drawn_ = true;
}

void CliProgressLine::Clear() {
  if (!drawn_) return;
  WriteAll("\r\x1b[K");
  drawn_ = false;
}
