#include "ui/executable_signature.h"

#include <fstream>
#include <iterator>

#include "engine/crc.h"

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::size_t kSignatureLength = 8;
constexpr std::size_t kTrailerLength =
    kExecutableSignatureMarker.size() + kSignatureLength + kLineEnd.size();

CCrc StandardCrc() {
  CCrc crc;
  crc.Init(kCrcStandardPolynomial, kCrcStandardInitial, kCrcStandardFinalXor);
  return crc;
}

bool IsSignatureChar(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool HasTrailer(std::string_view bytes) {
  if (bytes.size() < kTrailerLength) return false;
  const std::string_view trailer = bytes.substr(bytes.size() - kTrailerLength);
  if (!trailer.starts_with(kExecutableSignatureMarker) || !trailer.ends_with(kLineEnd))
    return false;
  for (std::size_t i = 0; i < kSignatureLength; ++i) {
    if (!IsSignatureChar(trailer[kExecutableSignatureMarker.size() + i])) return false;
  }
  return true;
}

}  // namespace

ExecutableSignature CheckExecutableSignatureOf(std::string_view bytes) {
  if (!HasTrailer(bytes)) return ExecutableSignature::kUnsigned;
  CCrc crc = StandardCrc();
  crc.Update(bytes.data(), bytes.size());
  return crc.Value() == 0 ? ExecutableSignature::kIntact : ExecutableSignature::kTampered;
}

ExecutableSignature CheckExecutableSignature(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return ExecutableSignature::kUnsigned;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return ExecutableSignature::kUnsigned;
  return CheckExecutableSignatureOf(bytes);
}

bool SignExecutableBytes(std::string& bytes) {
  std::size_t body = bytes.size();
  if (HasTrailer(bytes)) body -= kTrailerLength;
  // T: the register from which the line end leads to the value 0.
  CCrc crc = StandardCrc();
  crc.SetRegister(crc.GetFinalXor());
  crc.Unwind(kLineEnd.data(), kLineEnd.size());
  const DWORD target = crc.GetRegister();
  crc.Reset();
  crc.Update(bytes.data(), body);
  crc.Update(kExecutableSignatureMarker.data(), kExecutableSignatureMarker.size());
  const std::string signature = crc.MakeSignature(crc.GetRegister(), target);
  if (signature == kCrcSignatureError) return false;
  bytes.resize(body);
  bytes.append(kExecutableSignatureMarker).append(signature).append(kLineEnd);
  return true;
}

std::wstring TamperedExecutableMessage(std::wstring_view path) {
  return std::wstring(L"Warning: Vemo program file has been tampered with\r").append(path);
}
