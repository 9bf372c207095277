#include "document/document_decoding.h"

#include "document/document_format.h"
#include "document/document_signature.h"
#include "platform/text_encoding.h"

namespace {

// At least one lead byte followed by the right number of continuation bytes, forming a character
// that UTF-8 allows (no overlong form, no surrogate, nothing above U+10FFFF).
bool HasWellFormedMultiByte(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned lead = p[i];
    if (lead < 0xC2 || lead > 0xF4) continue;
    const std::size_t length = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (i + length > n) continue;
    unsigned code = lead & (0x3F >> (length - 1));
    bool ok = true;
    for (std::size_t k = 1; k < length && ok; ++k) {
      ok = (p[i + k] & 0xC0) == 0x80;
      code = (code << 6) | (p[i + k] & 0x3F);
    }
    if (!ok) continue;
    const unsigned minimum = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    if (code >= minimum && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF)) return true;
  }
  return false;
}

void Encode(std::wstring_view text, std::string& converted) {
  converted.clear();
  converted.reserve(text.size() + text.size() / 8);
  (void)EncodeDocumentText(text, converted);
}

}  // namespace

DocumentDecoding DecodeDocumentBytes(std::string_view bytes, std::string& converted,
                                     EncodingClass* detected) {
  const EncodingClass kind =
      DetectEncoding(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size());
  if (detected != nullptr) *detected = kind;
  switch (kind) {
    case kEncodingUnknown:
      return DocumentDecoding::kUnknown;
    case kEncodingAscii:
    case kEncodingUtf8:
      return DocumentDecoding::kAsIs;
    case kEncodingAnsi: {
      if (CheckSignature(bytes) == SignatureStatus::kIntact || HasWellFormedMultiByte(bytes)) {
        return DocumentDecoding::kAsIs;
      }
      std::wstring text;
      if (!platform::DecodeText(bytes, CP_ACP, 0, text)) return DocumentDecoding::kUnknown;
      Encode(text, converted);
      return DocumentDecoding::kConverted;
    }
    case kEncodingUtf16Le:
      Encode(platform::DecodeUtf16(bytes, platform::ByteOrder::kLittleEndian), converted);
      return DocumentDecoding::kConverted;
    case kEncodingUtf16Be:
      Encode(platform::DecodeUtf16(bytes, platform::ByteOrder::kBigEndian), converted);
      return DocumentDecoding::kConverted;
  }
  return DocumentDecoding::kUnknown;
}
