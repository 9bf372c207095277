#include "foundation/text_builder.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>
#include <string>

#include "platform/error_codes.h"
#include "platform/last_error.h"

namespace {

constexpr UINT kCodePageUtf8 = 65001;

// Narrow form of wide text in a code page; false with the last error set when it cannot be made.
// UTF-8 only; a code point that UTF-8 cannot carry (a surrogate, or above U+10FFFF) becomes U+FFFD.
bool ToNarrow(UINT code_page, const wchar_t* text, std::size_t length, std::string& out) {
  if (code_page != kCodePageUtf8) {
    platform::SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  out.clear();
  out.reserve(length);
  for (std::size_t i = 0; i < length; ++i) {
    auto code = static_cast<std::uint32_t>(text[i]);
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = 0xFFFD;
    if (code < 0x80) {
      out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (code >> 6)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (code >> 12)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (code >> 18)));
      out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
  return true;
}

}  // namespace

CNTextBuilder::~CNTextBuilder() { Clear(); }

std::size_t CNTextBuilder::Measure(const wchar_t* text, std::size_t count) {
  if (text == nullptr) return 0;
  const wchar_t* zero = count == npos ? text + std::wcslen(text) : std::wmemchr(text, L'\0', count);
  return zero == nullptr ? count : static_cast<std::size_t>(zero - text);
}

CNTextBuilder::Chunk* CNTextBuilder::NewChunk(const wchar_t* text, std::size_t count) {
  std::size_t capacity = (count + kChunkStep - 1) / kChunkStep * kChunkStep;
  if (capacity < count || capacity >= SIZE_MAX / sizeof(wchar_t) - 1) {
    platform::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto* chunk = static_cast<Chunk*>(std::malloc(sizeof(Chunk)));
  auto* buffer = static_cast<wchar_t*>(std::malloc((capacity + 1) * sizeof(wchar_t)));
  if (chunk == nullptr || buffer == nullptr) {
    std::free(chunk);
    std::free(buffer);
    platform::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (text != nullptr) std::wmemcpy(buffer, text, count);
  buffer[count] = L'\0';
  *chunk = Chunk{buffer, capacity, count, nullptr};
  return chunk;
}

void CNTextBuilder::DropNarrow() {
  std::free(narrow_);
  narrow_ = nullptr;
  narrow_length_ = 0;
}

void CNTextBuilder::SetCodePage(UINT code_page) {
  if (code_page != code_page_) DropNarrow();
  code_page_ = code_page;
}

bool CNTextBuilder::Append(const wchar_t* text, std::size_t count) {
  count = Measure(text, count);
  if (count == 0) return true;
  DropNarrow();
  std::size_t room = tail_ == nullptr ? 0 : tail_->capacity - tail_->used;
  std::size_t first = count < room ? count : room;
  Chunk* chunk = nullptr;
  if (first < count && (chunk = NewChunk(text + first, count - first)) == nullptr) return false;
  if (first > 0) {
    std::wmemcpy(tail_->text + tail_->used, text, first);
    tail_->used += first;
    tail_->text[tail_->used] = L'\0';
  }
  if (chunk != nullptr) {
    (tail_ == nullptr ? head_ : tail_->next) = chunk;
    tail_ = chunk;
  }
  length_ += count;
  return true;
}

bool CNTextBuilder::AppendChar(wchar_t character) { return Append(&character, 1); }

bool CNTextBuilder::Prepend(const wchar_t* text, std::size_t count) {
  count = Measure(text, count);
  if (count == 0) return true;
  Chunk* chunk = NewChunk(text, count);
  if (chunk == nullptr) return false;
  DropNarrow();
  chunk->next = head_;
  head_ = chunk;
  if (tail_ == nullptr) tail_ = chunk;
  length_ += count;
  return true;
}

const wchar_t* CNTextBuilder::GetText() {
  if (head_ == nullptr) return L"";
  if (head_ == tail_) return head_->text;
  Chunk* joined = NewChunk(nullptr, length_);
  if (joined == nullptr) return nullptr;
  std::size_t at = 0;
  for (Chunk* chunk = head_; chunk != nullptr;) {
    std::wmemcpy(joined->text + at, chunk->text, chunk->used);
    at += chunk->used;
    Chunk* next = chunk->next;
    std::free(chunk->text);
    std::free(chunk);
    chunk = next;
  }
  // Joining does not change the text: the narrow form stays valid.
  head_ = tail_ = joined;
  return joined->text;
}

const char* CNTextBuilder::GetNarrow() {
  if (narrow_ != nullptr) return narrow_;
  const wchar_t* text = GetText();
  if (text == nullptr) return nullptr;
  std::string narrow;
  try {
    if (!ToNarrow(code_page_, text, length_, narrow)) return nullptr;
  } catch (const std::bad_alloc&) {
    platform::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  narrow_ = static_cast<char*>(std::malloc(narrow.size() + 1));
  if (narrow_ == nullptr) {
    platform::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  std::memcpy(narrow_, narrow.c_str(), narrow.size() + 1);
  narrow_length_ = narrow.size();
  return narrow_;
}

char* CNTextBuilder::DetachNarrow() {
  if (GetNarrow() == nullptr) return nullptr;
  char* narrow = narrow_;
  narrow_ = nullptr;
  narrow_length_ = 0;
  Clear();
  return narrow;
}

void CNTextBuilder::Clear() {
  DropNarrow();
  for (Chunk* chunk = head_; chunk != nullptr;) {
    Chunk* next = chunk->next;
    std::free(chunk->text);
    std::free(chunk);
    chunk = next;
  }
  head_ = tail_ = nullptr;
  length_ = 0;
}
