#include "document/document_writer.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "document/document_format.h"
#include "engine/crc.h"
#include "foundation/comma_fields.h"
#include "foundation/program_identity.h"
#include "foundation/time_stamp.h"
#include "platform/error_codes.h"
#include "platform/large_block.h"
#include "platform/last_error.h"

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr std::size_t kBomLength = 3;

std::wstring WithoutLineBreaks(std::wstring text) {
  for (wchar_t& c : text) {
    if (c == L'\r' || c == L'\n') c = 0xFFFD;
  }
  return text;
}

}  // namespace

DocumentHeader CurrentDocumentHeader(std::wstring path) {
  DocumentHeader header;
  header.identity = ProgramIdentity().Format(kIdentityFormat);
  header.date = CNTimeStamp::Now().Format(kDateHeaderFormat);
  header.system = ComputerName();
  header.path = std::move(path);
  return header;
}

CVemoDocumentWriter::CVemoDocumentWriter(const DocumentHeader& header) {
  try {
    if (!AppendBytes("\0\0\0", kBomLength)) return;
    AppendLine(WithoutLineBreaks(header.identity));
    AppendHeader(kDateHeaderPrefix, header.date, true);
    AppendHeader(kSystemHeaderPrefix, header.system, false);
    AppendHeader(kPathHeaderPrefix, header.path, false);
  } catch (const std::bad_alloc&) {
    failed_ = true;
  }
}

CVemoDocumentWriter::~CVemoDocumentWriter() { std::free(buffer_); }

void CVemoDocumentWriter::Reserve(std::size_t entryCount) {
  // Lines of typical trees are 100 to 200 bytes; room that is never written costs no memory.
  constexpr std::size_t kLineBytes = 256;
  constexpr std::size_t kHugeBufferBytes = std::size_t{4} << 20;
  if (failed_ || entryCount > (SIZE_MAX - size_) / kLineBytes) return;
  const std::size_t capacity = size_ + entryCount * kLineBytes;
  if (capacity <= capacity_) return;
  char* grown = static_cast<char*>(std::realloc(buffer_, capacity));
  if (grown == nullptr) return;
  buffer_ = grown;
  capacity_ = capacity;
  if (capacity >= kHugeBufferBytes) platform::AdviseHugePages(buffer_, capacity_);
}

bool CVemoDocumentWriter::AppendBytes(const char* bytes, std::size_t count) {
  if (failed_) return false;
  if (capacity_ - size_ < count) {
    const std::size_t capacity = std::max(size_ + count, capacity_ + capacity_ / 2 + 65536);
    char* grown = static_cast<char*>(std::realloc(buffer_, capacity));
    if (grown == nullptr) {
      failed_ = true;
      return false;
    }
    buffer_ = grown;
    capacity_ = capacity;
  }
  std::memcpy(buffer_ + size_, bytes, count);
  size_ += count;
  return true;
}

void CVemoDocumentWriter::AppendLine(std::wstring_view text) {
  line_.clear();
  if (!EncodeDocumentText(text, line_)) seven_bit_ = false;
  line_.append("\r\n");
  (void)AppendBytes(line_.data(), line_.size());
}

void CVemoDocumentWriter::AppendHeader(std::wstring_view prefix, std::wstring_view value,
                                       bool quote) {
  std::wstring field = QuoteField(WithoutLineBreaks(std::wstring(value)));
  // The date always contains blanks and is quoted by QuoteField anyway; this keeps it quoted
  // whatever its format gives.
  if (quote && (field.empty() || field.front() != L'"')) field = L'"' + field + L'"';
  AppendLine(std::wstring(prefix).append(field));
}

void CVemoDocumentWriter::AddEntry(const CVemoEntry& entry) {
  if (failed_ || !(entry.m_dwFlags & EF_FOUND)) return;
  try {
    if (!entry.m_strRelDir.SameObject(rel_dir_text_)) {
      rel_dir_ = EncodeRelDir(entry.m_strRelDir.view());
      rel_dir_text_ = entry.m_strRelDir;
    }
    if (!CanCarryEntry(entry, rel_dir_)) {
      ++left_out_;
      return;
    }
    line_.clear();
    if (!AppendEntryLineBytes(entry, rel_dir_, line_)) seven_bit_ = false;
    line_.append("\r\n");
    (void)AppendBytes(line_.data(), line_.size());
  } catch (const std::bad_alloc&) {
    failed_ = true;
  }
}

char* CVemoDocumentWriter::Finish(std::size_t* length) {
  if (failed_) {
    platform::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  std::size_t start = kBomLength;
  if (seven_bit_) {
    std::memcpy(buffer_, kByteOrderMark, kBomLength);
    start = 0;
  }

  // T: the register from which "\r\n" leads to the value 0.
  CCrc crc;
  crc.Init(kCrcStandardPolynomial, kCrcStandardInitial, kCrcStandardFinalXor);
  crc.SetRegister(crc.GetFinalXor());
  crc.UnwindString("\r\n", false);
  const DWORD target = crc.GetRegister();
  crc.Reset();
  crc.Update(buffer_ + start, size_ - start);
  crc.Update(kSignatureMarker, kSignatureMarkerLength);
  const std::string signature = crc.MakeSignature(crc.GetRegister(), target);

  const std::string trailer = kSignatureMarker + signature + "\r\n";
  if (!AppendBytes(trailer.c_str(), trailer.size() + 1)) {  // with the terminating NUL
    platform::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  const std::size_t total = size_ - 1 - start;
  if (start != 0) std::memmove(buffer_, buffer_ + start, total + 1);
  char* out = buffer_;
  buffer_ = nullptr;
  size_ = capacity_ = 0;
  if (length != nullptr) *length = total;
  return out;
}
