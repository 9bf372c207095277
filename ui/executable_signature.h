// The start-up integrity check of the program's own executable. The build appends a trailer,
// "\n~ VemoSigned " followed by eight letters or digits and "\r\n", chosen so that the CRC-32 of
// the whole file is 0 (the same self-verifying signature as the documents'). A file without the
// trailer (stripped by a packager, which drops trailing bytes) is not checked.
//
// Pure file work, no user interface; any thread.
#pragma once
#include <string>
#include <string_view>

enum class ExecutableSignature {
  kUnsigned,  // no trailer, or the file cannot be read: not checked
  kIntact,    // trailer present and CRC-32 0
  kTampered,  // trailer present and CRC-32 not 0
};

inline constexpr std::string_view kExecutableSignatureMarker = "\n~ VemoSigned ";

// Checks the file at path (native bytes).
[[nodiscard]] ExecutableSignature CheckExecutableSignature(const std::string& path);
// Checks bytes.
[[nodiscard]] ExecutableSignature CheckExecutableSignatureOf(std::string_view bytes);
// Replaces an existing trailer of bytes, or appends one, so that their CRC-32 becomes 0. False
// when no signature could be found (bytes then unchanged).
[[nodiscard]] bool SignExecutableBytes(std::string& bytes);
// The warning shown before the program ends: "Warning: Vemo program file has been tampered
// with\r" and the path.
[[nodiscard]] std::wstring TamperedExecutableMessage(std::wstring_view path);
