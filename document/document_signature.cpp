#include "document/document_signature.h"

#include <cstring>

#include "document/document_format.h"
#include "engine/crc.h"

namespace {

CCrc StandardCrc() {
  CCrc crc;
  crc.Init(kCrcStandardPolynomial, kCrcStandardInitial, kCrcStandardFinalXor);
  return crc;
}

}  // namespace

SignatureStatus CheckSignature(const CNByteBuffer& bytes) {
  if (bytes.IsEmpty()) return SignatureStatus::kEmpty;
  if (bytes.Find(CNByteBuffer(kSignatureMarker)) < 0) return SignatureStatus::kUnsigned;
  CCrc crc = StandardCrc();
  for (std::size_t i = 0; i < bytes.GetChunkCount(); ++i) {
    const auto chunk = bytes.GetChunk(i);
    crc.Update(chunk.data(), chunk.size());
  }
  return crc.Value() == 0 ? SignatureStatus::kIntact : SignatureStatus::kTampered;
}

SignatureStatus CheckSignature(std::string_view bytes) {
  if (bytes.empty()) return SignatureStatus::kEmpty;
  if (bytes.find(std::string_view(kSignatureMarker, kSignatureMarkerLength)) ==
      std::string_view::npos) {
    return SignatureStatus::kUnsigned;
  }
  CCrc crc = StandardCrc();
  crc.Update(bytes.data(), bytes.size());
  return crc.Value() == 0 ? SignatureStatus::kIntact : SignatureStatus::kTampered;
}

std::wstring SignatureWarning(SignatureStatus status, std::wstring_view fullPath) {
  const wchar_t* text = nullptr;
  switch (status) {
    case SignatureStatus::kEmpty:
      text = L"Warning: Vemo document file is empty\r";
      break;
    case SignatureStatus::kTampered:
      text = L"Warning: Vemo document file has been tampered with\r";
      break;
    case SignatureStatus::kUnsigned:
    case SignatureStatus::kIntact:
      return {};
  }
  return std::wstring(text).append(fullPath);
}

SignatureStatus CheckDocumentSignature(const CNByteBuffer& bytes, std::wstring_view fullPath,
                                       const ShowErrorFn& showError) {
  const SignatureStatus status = CheckSignature(bytes);
  const std::wstring warning = SignatureWarning(status, fullPath);
  if (!warning.empty() && showError) showError(warning);
  return status;
}
