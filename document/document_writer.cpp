#include "document/document_writer.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "document/document_format.h"
#include "engine/crc.h"
#include "foundation/comma_fields.h"
#include "foundation/program_identity.h"
#include "foundation/time_stamp.h"
#include "platform/error_codes.h"
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
    bytes_.assign(kBomLength, '\0');
    AppendLine(WithoutLineBreaks(header.identity));
    AppendHeader(kDateHeaderPrefix, header.date, true);
    AppendHeader(kSystemHeaderPrefix, header.system, false);
    AppendHeader(kPathHeaderPrefix, header.path, false);
  } catch (const std::bad_alloc&) {
    failed_ = true;
  }
}

CVemoDocumentWriter::~CVemoDocumentWriter() = default;

void CVemoDocumentWriter::AppendLine(std::wstring_view text) {
  if (!EncodeDocumentText(text, bytes_)) seven_bit_ = false;
  bytes_.append("\r\n");
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
  if (!CanCarryEntry(entry)) {
    ++left_out_;
    return;
  }
  try {
    AppendLine(FormatEntryLine(entry));
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
    std::memcpy(bytes_.data(), kByteOrderMark, kBomLength);
    start = 0;
  }
  const std::string_view body(bytes_.data() + start, bytes_.size() - start);

  // T: the register from which "\r\n" leads to the value 0.
  CCrc crc;
  crc.Init(kCrcStandardPolynomial, kCrcStandardInitial, kCrcStandardFinalXor);
  crc.SetRegister(crc.GetFinalXor());
  crc.UnwindString("\r\n", false);
  const DWORD target = crc.GetRegister();
  crc.Reset();
  crc.Update(body.data(), body.size());
  crc.Update(kSignatureMarker, kSignatureMarkerLength);
  const std::string signature = crc.MakeSignature(crc.GetRegister(), target);

  const std::size_t total = body.size() + kSignatureMarkerLength + signature.size() + 2;
  char* out = static_cast<char*>(std::malloc(total + 1));
  if (out == nullptr) {
    platform::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  char* at = out;
  std::memcpy(at, body.data(), body.size());
  at += body.size();
  std::memcpy(at, kSignatureMarker, kSignatureMarkerLength);
  at += kSignatureMarkerLength;
  std::memcpy(at, signature.data(), signature.size());
  at += signature.size();
  std::memcpy(at, "\r\n", 3);  // with the terminating NUL
  std::string().swap(bytes_);
  if (length != nullptr) *length = total;
  return out;
}
