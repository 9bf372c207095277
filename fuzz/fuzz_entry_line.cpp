// One entry line. Whatever parses must write back as a line that parses to the same entry: the
// writer and the reader are one format (a time written that the reader refuses, say, would leave
// an entry that shows as new for ever).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "document/document_format.h"
#include "document/entries/entry_flags.h"
#include "document/entry_line_reader.h"

namespace {

bool SameListing(const CVemoEntry& a, const CVemoEntry& b) {
  const FileState& x = a.m_stored;
  const FileState& y = b.m_stored;
  return x.name == y.name && x.size == y.size && x.dwCrc1 == y.dwCrc1 && x.dwCrc2 == y.dwCrc2 &&
         x.time == y.time && x.attributes == y.attributes &&
         a.m_strRelDir.str() == b.m_strRelDir.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::wstring line;
  DecodeDocumentText(std::string_view(reinterpret_cast<const char*>(data), size), line);
  const SharedText base(L"/base/");
  std::unique_ptr<CVemoEntry> entry = ParseEntryLine(line, base);
  if (!entry) return 0;
  // Found as listed: its saved state is what was read.
  entry->m_current = entry->m_stored;
  entry->m_dwFlags |= EF_FOUND;
  if (!CanCarryEntry(*entry)) return 0;
  const std::wstring written = FormatEntryLine(*entry);
  std::string bytes;
  (void)AppendEntryLineBytes(*entry, bytes);
  std::string reference;
  (void)EncodeDocumentText(written, reference);
  if (bytes != reference) std::abort();  // the fast writer and the reference disagree
  std::wstring again;
  DecodeDocumentText(bytes, again);
  const std::unique_ptr<CVemoEntry> reread = ParseEntryLine(again, base);
  if (!reread || !SameListing(*entry, *reread)) std::abort();
  return 0;
}
