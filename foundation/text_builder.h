// CNTextBuilder: text built piece by piece in a chain of chunks, and its narrow form in a code
// page. New chunks hold a multiple of 65536 characters (plus a terminating zero, which always
// follows the used characters), so building a large text copies each character about once.
// Text arguments count to their first zero character or the given count, whichever comes first.
// The narrow form is made on request, cached, and dropped by every change.
// Single-threaded: callers lock. Allocation failures return false (or null) with
// ERROR_NOT_ENOUGH_MEMORY and leave the text as it was.
#pragma once
#include <cstddef>
#include <string_view>

#include "platform/win_types.h"

class CNTextBuilder {
 public:
  static constexpr std::size_t kChunkStep = 65536;
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

  explicit CNTextBuilder(UINT code_page = 65001) : code_page_(code_page) {}
  CNTextBuilder(const CNTextBuilder&) = delete;
  CNTextBuilder& operator=(const CNTextBuilder&) = delete;
  ~CNTextBuilder();

  // Drops the narrow form when the code page changes.
  void SetCodePage(UINT code_page);
  [[nodiscard]] UINT GetCodePage() const { return code_page_; }

  // Copies into the spare room of the last chunk first, the rest into a new chunk.
  [[nodiscard]] bool Append(const wchar_t* text, std::size_t count = npos);
  [[nodiscard]] bool Append(std::wstring_view text) { return Append(text.data(), text.size()); }
  // A zero character appends nothing.
  [[nodiscard]] bool AppendChar(wchar_t character);
  // Puts a new chunk with a copy in front.
  [[nodiscard]] bool Prepend(const wchar_t* text, std::size_t count = npos);

  [[nodiscard]] std::size_t GetLength() const { return length_; }
  // Joins all chunks into one and returns its zero-terminated text ("" when the length is 0, or
  // null when the joined chunk cannot be allocated). Valid until the next change.
  const wchar_t* GetText();
  // The text converted to the code page, made once and cached; valid until the next change. Null
  // when the text cannot be converted or allocated (the last error says why).
  const char* GetNarrow();
  // Length in bytes of the narrow form returned by the last GetNarrow.
  [[nodiscard]] std::size_t GetNarrowLength() const { return narrow_length_; }
  // Hands the narrow form (zero-terminated, malloc'd) to the caller, who frees it with free(), and
  // empties the builder. Null on failure; the builder then keeps its text.
  [[nodiscard]] char* DetachNarrow();
  // Empties the builder (the code page stays).
  void Clear();

 private:
  struct Chunk {
    wchar_t* text;  // malloc'd, capacity + 1 characters
    std::size_t capacity;
    std::size_t used;
    Chunk* next;
  };
  static Chunk* NewChunk(const wchar_t* text, std::size_t count);
  static std::size_t Measure(const wchar_t* text, std::size_t count);
  void DropNarrow();

  UINT code_page_;
  Chunk* head_ = nullptr;
  Chunk* tail_ = nullptr;
  std::size_t length_ = 0;
  char* narrow_ = nullptr;
  std::size_t narrow_length_ = 0;
};
