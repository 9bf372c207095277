// CVemoDocumentWriter: builds the bytes of a signed checksum document: four header lines, one line
// per found entry, the trailer with the signature that brings the CRC-32 of the whole file to 0.
// The bytes are built as UTF-8 directly (names that are not UTF-8 keep their own bytes, see
// document_format.h); a byte order mark goes in front exactly when the text is 7-bit.
//
// Used by CVemoFormatThread on its thread; a writer belongs to one thread. Allocation failures make
// Finish return null.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "document/document_format.h"
#include "document/entries/entry.h"

// The values of the four header lines, unquoted.
struct DocumentHeader {
  std::wstring identity;  // the whole identity line ("; Vemo Release 2.01.05" or "<n/a>")
  std::wstring date;      // "2007-03-14 09:26:53 (GMT+0100)"
  std::wstring system;    // computer name
  std::wstring path;      // the base directory as the document gives it
};

// The header for a document written now: the program's identity, the local time, the computer
// name captured at start-up, and path.
[[nodiscard]] DocumentHeader CurrentDocumentHeader(std::wstring path);

class CVemoDocumentWriter {
 public:
  // Appends the header lines. A line break in a header value (possible in a directory name) is
  // written as U+FFFD there, so no header can spill into a line that reads as an entry.
  explicit CVemoDocumentWriter(const DocumentHeader& header);
  CVemoDocumentWriter(const CVemoDocumentWriter&) = delete;
  CVemoDocumentWriter& operator=(const CVemoDocumentWriter&) = delete;
  ~CVemoDocumentWriter();

  // Makes room for about `entryCount` more entry lines in one step. Growing a buffer of hundreds
  // of megabytes step by step remaps its pages again and again, which makes the next access of
  // every page fault anew; room reserved at once is only touched where it is written. Failure is
  // not an error: the buffer then grows as needed.
  void Reserve(std::size_t entryCount);

  // Appends the entry's line when it has EF_FOUND and CanCarryEntry holds. Found entries that the
  // format cannot carry are left out and counted.
  void AddEntry(const CVemoEntry& entry);
  [[nodiscard]] std::size_t LeftOutCount() const { return left_out_; }

  // Puts the byte order mark in front (7-bit text only), appends the trailer and its signature
  // ("**ERR!**" when none exists) and hands over the bytes: malloc'd, NUL-terminated, *length
  // bytes before the NUL; the caller frees them. Null when memory ran out. Call once.
  [[nodiscard]] char* Finish(std::size_t* length);

 private:
  void AppendLine(std::wstring_view text);
  void AppendHeader(std::wstring_view prefix, std::wstring_view value, bool quote);

  // Appends bytes to the buffer; false when memory ran out (failed_ is then set).
  bool AppendBytes(const char* bytes, std::size_t count);

  // The document bytes in one malloc'd block that grows with realloc (large blocks move by
  // remapping pages, not by copying) and is handed over as it is. Three bytes are kept free at
  // the start for the byte order mark.
  char* buffer_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
  std::string line_;  // the current line's bytes
  // The relative directory of the entry written last, encoded: a document is written directory by
  // directory, and the entries of one directory share its SharedText.
  SharedText rel_dir_text_;
  EncodedRelDir rel_dir_ = EncodeRelDir({});
  bool seven_bit_ = true;
  bool failed_ = false;
  std::size_t left_out_ = 0;
};
