// The check of a loaded document's signature. The writer signs a document so that the CRC-32
// (standard parameters) of all its bytes is 0; a file holding the marker "~ AutoSigned " whose
// CRC-32 is not 0 has been changed since. A file without the marker (never signed, or re-saved in
// UTF-16 by an editor) is accepted unchecked.
//
// The check only says what to show; the caller shows it (error icon, application brought to the
// foreground) and loading goes on with the same bytes either way. Pure functions; any thread.
#pragma once
#include <functional>
#include <string>
#include <string_view>

#include "foundation/byte_buffer.h"

enum class SignatureStatus {
  kEmpty,     // no bytes at all
  kUnsigned,  // no marker: not verified
  kIntact,    // marker present and CRC-32 0
  kTampered,  // marker present and CRC-32 not 0
};

[[nodiscard]] SignatureStatus CheckSignature(const CNByteBuffer& bytes);
[[nodiscard]] SignatureStatus CheckSignature(std::string_view bytes);

// The warning to show for a status, the file's full path last: "Warning: Vemo document file is
// empty\r<path>" or "Warning: Vemo document file has been tampered with\r<path>"; empty when
// there is nothing to show.
[[nodiscard]] std::wstring SignatureWarning(SignatureStatus status, std::wstring_view fullPath);

// Checks the bytes and passes the warning, if any, to showError (a message box of the document's
// host). Returns the status.
using ShowErrorFn = std::function<void(const std::wstring& text)>;
SignatureStatus CheckDocumentSignature(const CNByteBuffer& bytes, std::wstring_view fullPath,
                                       const ShowErrorFn& showError);
