// LookupKey: a lookup key (entry_key.h) held by the record it identifies: the NUL-terminated bytes
// and whether the holder releases them. An owned key is one allocation of its own (malloc, freed
// by the destructor); a borrowed one lies in storage the holder releases itself, as the key an
// entry made in an arena keeps right behind the entry. A key is null only where memory ran out or
// the record has none (an error record).
//
// Move-only, one pointer: the flag rides in its lowest bit. Reads convert to const char*, as the
// key map, strcmp and the writer take it.
#pragma once
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

class LookupKey {
 public:
  LookupKey() = default;
  // Takes over bytes from malloc.
  [[nodiscard]] static LookupKey Adopt(char* bytes) {
    return LookupKey(bytes == nullptr ? 0 : reinterpret_cast<std::uintptr_t>(bytes) | kOwned);
  }
  // A copy of key in an allocation of its own; null for a null key or when memory runs out.
  [[nodiscard]] static LookupKey Copy(const char* key) {
    return Adopt(key == nullptr ? nullptr : strdup(key));
  }
  // Bytes the holder releases itself and that outlive the key; at an even address.
  [[nodiscard]] static LookupKey Borrow(char* bytes) {
    assert((reinterpret_cast<std::uintptr_t>(bytes) & kOwned) == 0 && "borrowed keys are aligned");
    return LookupKey(reinterpret_cast<std::uintptr_t>(bytes));
  }

  LookupKey(LookupKey&& other) noexcept : bits_(std::exchange(other.bits_, 0)) {}
  LookupKey& operator=(LookupKey&& other) noexcept {
    if (this != &other) {
      Release();
      bits_ = std::exchange(other.bits_, 0);
    }
    return *this;
  }
  LookupKey(const LookupKey&) = delete;
  LookupKey& operator=(const LookupKey&) = delete;
  ~LookupKey() { Release(); }

  [[nodiscard]] const char* get() const {
    return reinterpret_cast<const char*>(bits_ & ~std::uintptr_t{kOwned});
  }
  operator const char*() const { return get(); }
  friend bool operator==(const LookupKey& key, std::nullptr_t) { return key.bits_ == 0; }

 private:
  // Bytes from malloc lie at even addresses: the lowest bit of an owned key's address is set.
  static constexpr std::uintptr_t kOwned = 1;

  explicit LookupKey(std::uintptr_t bits) : bits_(bits) {}
  void Release() {
    if (bits_ & kOwned) std::free(const_cast<char*>(get()));
    bits_ = 0;
  }

  std::uintptr_t bits_ = 0;
};
