// The bytes of a document file in the one form the reader parses: UTF-8 in which U+DC80..U+DCFF
// stand for single bytes that are not UTF-8 (document_format.h), whatever encoding the file came
// in:
//
//   7-bit text and valid UTF-8: taken as they are (a byte order mark stays U+FEFF at the start);
//   8-bit text that is not UTF-8: a file written here whose names keep bytes that are not UTF-8
//     is taken as it is; every other such file is Windows-1252 and converted. A file counts as
//     written here when its signature is intact, or when it holds at least one well-formed
//     multi-byte UTF-8 sequence (Windows-1252 text practically never does);
//   UTF-16 little- or big-endian, with or without byte order mark: converted.
//
// Pure function; any thread.
#pragma once
#include <string>
#include <string_view>

#include "document/encoding_detection.h"

enum class DocumentDecoding {
  kUnknown,    // the encoding is not recognised (or the bytes are empty): nothing to read
  kAsIs,       // the bytes are already in the reader's form
  kConverted,  // `converted` holds the reader's form
};

[[nodiscard]] DocumentDecoding DecodeDocumentBytes(std::string_view bytes, std::string& converted,
                                                   EncodingClass* detected = nullptr);
