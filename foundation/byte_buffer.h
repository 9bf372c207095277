// CNByteBuffer: a byte sequence held as a chain of chunks, each a malloc'd block and its length.
// Appending never moves bytes already held; Flatten makes one block when a caller needs it.
// The buffer owns every chunk, including blocks given to Adopt. Single-threaded: callers lock.
// Operations that allocate return false on failure with ERROR_NOT_ENOUGH_MEMORY and leave the
// buffer as it was.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/win_types.h"

class CNByteBuffer {
 public:
  CNByteBuffer() = default;
  // count bytes of one value; a copy of a narrow string's bytes without its zero (null: empty).
  // An allocation failure leaves the buffer empty.
  CNByteBuffer(std::size_t count, BYTE value);
  explicit CNByteBuffer(const char* text);
  CNByteBuffer(const CNByteBuffer& other);
  CNByteBuffer(CNByteBuffer&& other) noexcept;
  // Clear, then AppendBuffer; self-assignment does nothing.
  CNByteBuffer& operator=(const CNByteBuffer& other);
  CNByteBuffer& operator=(CNByteBuffer&& other) noexcept;
  ~CNByteBuffer() { Clear(); }

  [[nodiscard]] std::size_t GetLength() const { return length_; }
  [[nodiscard]] bool IsEmpty() const { return length_ == 0; }

  // Copies up to count bytes starting at offset; returns the number copied (0 at or past the end).
  std::size_t Read(void* destination, std::size_t count, std::size_t offset) const;
  // Position of the first occurrence of other's bytes at or after offset, -1 if none. An empty
  // other occurs at every offset up to the length.
  [[nodiscard]] std::int64_t Find(const CNByteBuffer& other, std::size_t offset = 0) const;

  // Appends a copy of count bytes as a new chunk (nothing for 0).
  [[nodiscard]] bool Append(const void* bytes, std::size_t count);
  // Appends a block allocated by the caller with malloc as a new chunk, without copying; the buffer
  // owns the block from then on, even when the call fails (it is freed then).
  [[nodiscard]] bool Adopt(void* block, std::size_t count);
  // Appends a copy of all of other's bytes (other may be this buffer).
  [[nodiscard]] bool AppendBuffer(const CNByteBuffer& other);
  // Moves other's chunks to the end of this buffer, leaving other empty.
  [[nodiscard]] bool TakeChunks(CNByteBuffer& other);
  // Makes the contents one chunk and returns its address; null when empty or when the block cannot
  // be allocated (then the chunks are unchanged and the last error is set).
  BYTE* Flatten();
  // Frees all chunks.
  void Clear();

  // The chunks in order, for writing without flattening.
  [[nodiscard]] std::size_t GetChunkCount() const { return chunks_.size(); }
  [[nodiscard]] std::span<const BYTE> GetChunk(std::size_t index) const {
    return {chunks_[index].data, chunks_[index].length};
  }

  // A read cursor over the chain. The buffer must not change while a cursor is in use.
  class Cursor {
   public:
    Cursor(const CNByteBuffer& buffer, std::size_t offset = 0);
    // The next byte, or -1 at the end.
    int ReadByte();
    // The next two bytes as a little-endian 16-bit unit; -1 at the end, -2 when only the first of
    // the two bytes exists (it is consumed).
    int ReadUnit();
    [[nodiscard]] std::size_t GetOffset() const { return offset_; }

   private:
    const CNByteBuffer& buffer_;
    std::size_t chunk_ = 0;     // chunk holding the next byte
    std::size_t in_chunk_ = 0;  // position of the next byte inside it
    std::size_t offset_ = 0;    // position of the next byte in the whole buffer
  };

 private:
  struct Chunk {
    BYTE* data;
    std::size_t length;
  };
  bool PushChunk(BYTE* data, std::size_t length);
  // Chunk index and position inside it of the byte at offset (offset < length_).
  void Locate(std::size_t offset, std::size_t& chunk, std::size_t& in_chunk) const;

  std::vector<Chunk> chunks_;
  std::size_t length_ = 0;
};
