// LookupKey: a lookup key (entry_key.h) held by the record it identifies: the NUL-terminated bytes
// and whether the holder releases them. An owned key is one allocation of its own (malloc, freed
// by the destructor); a borrowed one lies in storage the holder releases itself, as the key an
// entry made in an arena keeps right behind the entry. A key is null only where memory ran out or
// the record has none (an error record).
//
// Move-only, a pointer and a flag: no bigger than the raw pointer and flag it replaces in an
// entry. Reads convert to const char*, as the key map, strcmp and the writer take it.
#pragma once
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <utility>

class LookupKey {
 public:
  LookupKey() = default;
  // Takes over bytes from malloc.
  [[nodiscard]] static LookupKey Adopt(char* bytes) { return LookupKey(bytes, true); }
  // A copy of key in an allocation of its own; null for a null key or when memory runs out.
  [[nodiscard]] static LookupKey Copy(const char* key) {
    return Adopt(key == nullptr ? nullptr : strdup(key));
  }
  // Bytes the holder releases itself and that outlive the key.
  [[nodiscard]] static LookupKey Borrow(char* bytes) { return LookupKey(bytes, false); }

  LookupKey(LookupKey&& other) noexcept
      : bytes_(std::exchange(other.bytes_, nullptr)), owned_(std::exchange(other.owned_, false)) {}
  LookupKey& operator=(LookupKey&& other) noexcept {
    if (this != &other) {
      Release();
      bytes_ = std::exchange(other.bytes_, nullptr);
      owned_ = std::exchange(other.owned_, false);
    }
    return *this;
  }
  LookupKey(const LookupKey&) = delete;
  LookupKey& operator=(const LookupKey&) = delete;
  ~LookupKey() { Release(); }

  [[nodiscard]] const char* get() const { return bytes_; }
  operator const char*() const { return bytes_; }
  friend bool operator==(const LookupKey& key, std::nullptr_t) { return key.bytes_ == nullptr; }

 private:
  LookupKey(char* bytes, bool owned) : bytes_(bytes), owned_(owned) {}
  void Release() {
    if (owned_) std::free(bytes_);
    bytes_ = nullptr;
    owned_ = false;
  }

  char* bytes_ = nullptr;
  bool owned_ = false;
};
