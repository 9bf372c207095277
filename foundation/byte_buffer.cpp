#include "foundation/byte_buffer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "platform/error_codes.h"
#include "platform/last_error.h"

namespace {

BYTE* AllocateBlock(std::size_t count) {
  auto* block = static_cast<BYTE*>(std::malloc(count));
  if (block == nullptr) platform::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return block;
}

}  // namespace

CNByteBuffer::CNByteBuffer(std::size_t count, BYTE value) {
  if (count == 0) return;
  BYTE* block = AllocateBlock(count);
  if (block == nullptr) return;
  std::memset(block, value, count);
  (void)Adopt(block, count);
}

CNByteBuffer::CNByteBuffer(const char* text) {
  if (text != nullptr) (void)Append(text, std::strlen(text));
}

CNByteBuffer::CNByteBuffer(const CNByteBuffer& other) { (void)AppendBuffer(other); }

CNByteBuffer::CNByteBuffer(CNByteBuffer&& other) noexcept
    : chunks_(std::move(other.chunks_)), length_(std::exchange(other.length_, 0)) {
  other.chunks_.clear();
}

CNByteBuffer& CNByteBuffer::operator=(const CNByteBuffer& other) {
  if (this != &other) {
    Clear();
    (void)AppendBuffer(other);
  }
  return *this;
}

CNByteBuffer& CNByteBuffer::operator=(CNByteBuffer&& other) noexcept {
  if (this != &other) {
    Clear();
    chunks_ = std::move(other.chunks_);
    length_ = std::exchange(other.length_, 0);
    other.chunks_.clear();
  }
  return *this;
}

bool CNByteBuffer::PushChunk(BYTE* data, std::size_t length) {
  try {
    chunks_.push_back(Chunk{data, length});
  } catch (const std::bad_alloc&) {
    platform::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  length_ += length;
  return true;
}

bool CNByteBuffer::Append(const void* bytes, std::size_t count) {
  if (count == 0) return true;
  BYTE* block = AllocateBlock(count);
  if (block == nullptr) return false;
  std::memcpy(block, bytes, count);
  return Adopt(block, count);
}

bool CNByteBuffer::Adopt(void* block, std::size_t count) {
  if (count == 0) {
    std::free(block);
    return true;
  }
  if (PushChunk(static_cast<BYTE*>(block), count)) return true;
  std::free(block);
  return false;
}

bool CNByteBuffer::AppendBuffer(const CNByteBuffer& other) {
  std::size_t count = other.length_;
  if (count == 0) return true;
  BYTE* block = AllocateBlock(count);
  if (block == nullptr) return false;
  other.Read(block, count, 0);  // before the push: other may be this buffer
  return Adopt(block, count);
}

bool CNByteBuffer::TakeChunks(CNByteBuffer& other) {
  if (this == &other || other.chunks_.empty()) return true;
  try {
    chunks_.insert(chunks_.end(), other.chunks_.begin(), other.chunks_.end());
  } catch (const std::bad_alloc&) {
    platform::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  length_ += other.length_;
  other.chunks_.clear();
  other.length_ = 0;
  return true;
}

BYTE* CNByteBuffer::Flatten() {
  if (chunks_.empty()) return nullptr;
  if (chunks_.size() == 1) return chunks_.front().data;
  BYTE* block = AllocateBlock(length_);
  if (block == nullptr) return nullptr;
  Read(block, length_, 0);
  std::size_t length = length_;
  Clear();
  chunks_.push_back(Chunk{block, length});  // cannot fail: the vector had room for two chunks
  length_ = length;
  return block;
}

void CNByteBuffer::Clear() {
  for (const Chunk& chunk : chunks_) std::free(chunk.data);
  chunks_.clear();
  length_ = 0;
}

void CNByteBuffer::Locate(std::size_t offset, std::size_t& chunk, std::size_t& in_chunk) const {
  chunk = 0;
  while (offset >= chunks_[chunk].length) {
    offset -= chunks_[chunk].length;
    ++chunk;
  }
  in_chunk = offset;
}

std::size_t CNByteBuffer::Read(void* destination, std::size_t count, std::size_t offset) const {
  if (offset >= length_ || count == 0) return 0;
  if (count > length_ - offset) count = length_ - offset;
  std::size_t chunk, in_chunk;
  Locate(offset, chunk, in_chunk);
  auto* out = static_cast<BYTE*>(destination);
  std::size_t left = count;
  while (left > 0) {
    std::size_t n = std::min(left, chunks_[chunk].length - in_chunk);
    std::memcpy(out, chunks_[chunk].data + in_chunk, n);
    out += n;
    left -= n;
    ++chunk;
    in_chunk = 0;
  }
  return count;
}

std::int64_t CNByteBuffer::Find(const CNByteBuffer& other, std::size_t offset) const {
  std::size_t needle_length = other.length_;
  if (offset > length_ || needle_length > length_ - offset) return -1;
  if (needle_length == 0) return static_cast<std::int64_t>(offset);
  // The needle as one block: chunk boundaries of the two buffers need not line up.
  std::vector<BYTE> needle(needle_length);
  other.Read(needle.data(), needle_length, 0);
  std::vector<BYTE> window(needle_length);

  std::size_t last_start = length_ - needle_length;
  std::size_t chunk, in_chunk;
  Locate(offset, chunk, in_chunk);
  std::size_t chunk_start = offset - in_chunk;
  while (chunk < chunks_.size() && chunk_start + in_chunk <= last_start) {
    const Chunk& c = chunks_[chunk];
    std::size_t end = std::min(c.length, last_start - chunk_start + 1);
    const void* hit = std::memchr(c.data + in_chunk, needle[0], end - in_chunk);
    if (hit == nullptr) {
      chunk_start += c.length;
      ++chunk;
      in_chunk = 0;
      continue;
    }
    std::size_t at = static_cast<const BYTE*>(hit) - c.data;
    std::size_t position = chunk_start + at;
    bool match = at + needle_length <= c.length
                     ? std::memcmp(c.data + at, needle.data(), needle_length) == 0
                     : (Read(window.data(), needle_length, position),
                        std::memcmp(window.data(), needle.data(), needle_length) == 0);
    if (match) return static_cast<std::int64_t>(position);
    in_chunk = at + 1;
    if (in_chunk == c.length) {
      chunk_start += c.length;
      ++chunk;
      in_chunk = 0;
    }
  }
  return -1;
}

CNByteBuffer::Cursor::Cursor(const CNByteBuffer& buffer, std::size_t offset)
    : buffer_(buffer), offset_(offset) {
  if (offset < buffer.length_) {
    buffer.Locate(offset, chunk_, in_chunk_);
  } else {
    chunk_ = buffer.chunks_.size();
  }
}

int CNByteBuffer::Cursor::ReadByte() {
  if (chunk_ >= buffer_.chunks_.size()) return -1;
  const Chunk& c = buffer_.chunks_[chunk_];
  int value = c.data[in_chunk_];
  ++offset_;
  if (++in_chunk_ == c.length) {
    ++chunk_;
    in_chunk_ = 0;
  }
  return value;
}

int CNByteBuffer::Cursor::ReadUnit() {
  int low = ReadByte();
  if (low < 0) return -1;
  int high = ReadByte();
  if (high < 0) return -2;
  return low | (high << 8);
}
