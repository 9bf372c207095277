#include "foundation/byte_buffer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string Contents(const CNByteBuffer& buffer) {
  std::string out(buffer.GetLength(), '\0');
  EXPECT_EQ(buffer.Read(out.data(), out.size(), 0), out.size());
  return out;
}

// "abc" + "de" + "fgh" in three chunks.
CNByteBuffer ThreeChunks() {
  CNByteBuffer buffer("abc");
  EXPECT_TRUE(buffer.Append("de", 2));
  void* block = std::malloc(3);
  std::memcpy(block, "fgh", 3);
  EXPECT_TRUE(buffer.Adopt(block, 3));
  return buffer;
}

TEST(ByteBufferTest, ConstructsFromNothingFilledBytesAndNarrowStrings) {
  EXPECT_EQ(CNByteBuffer().GetLength(), 0u);
  EXPECT_EQ(Contents(CNByteBuffer(4, 0x5A)), "ZZZZ");
  EXPECT_EQ(Contents(CNByteBuffer("text")), "text");
  EXPECT_EQ(CNByteBuffer(static_cast<const char*>(nullptr)).GetLength(), 0u);
}

TEST(ByteBufferTest, ReadsAcrossChunksAndNothingAtOrPastTheEnd) {
  CNByteBuffer buffer = ThreeChunks();
  EXPECT_EQ(buffer.GetChunkCount(), 3u);
  char out[8] = {};
  EXPECT_EQ(buffer.Read(out, 4, 2), 4u);
  EXPECT_EQ(std::string(out, 4), "cdef");
  EXPECT_EQ(buffer.Read(out, 100, 6), 2u);
  EXPECT_EQ(std::string(out, 2), "gh");
  EXPECT_EQ(buffer.Read(out, 1, 8), 0u);
  EXPECT_EQ(buffer.Read(out, 1, 100), 0u);
}

TEST(ByteBufferTest, FindsAcrossChunkBoundariesFromAnOffset) {
  CNByteBuffer buffer = ThreeChunks();
  ASSERT_TRUE(buffer.Append("cdx", 3));  // "abcdefghcdx"
  struct Case {
    const char* needle;
    std::size_t offset;
    std::int64_t expected;
  };
  const Case cases[] = {
      {"cdef", 0, 2}, {"cd", 3, 8}, {"cdx", 0, 8}, {"hc", 0, 7}, {"cde", 3, -1},
      {"xy", 0, -1},  {"", 4, 4},   {"", 11, 11},  {"", 12, -1}, {"abcdefghcdxy", 0, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(buffer.Find(CNByteBuffer(c.needle), c.offset), c.expected)
        << "'" << c.needle << "' from " << c.offset;
  }
}

TEST(ByteBufferTest, AppendsCopiesMovesChunksAndAssigns) {
  CNByteBuffer buffer = ThreeChunks();
  ASSERT_TRUE(buffer.AppendBuffer(buffer));  // self: doubles
  EXPECT_EQ(Contents(buffer), "abcdefghabcdefgh");

  CNByteBuffer other("xyz");
  ASSERT_TRUE(buffer.TakeChunks(other));
  EXPECT_EQ(other.GetLength(), 0u);
  EXPECT_EQ(Contents(buffer), "abcdefghabcdefghxyz");

  CNByteBuffer& alias = other;
  other = buffer;
  other = alias;  // self-assignment keeps the bytes
  EXPECT_EQ(Contents(other), Contents(buffer));
  buffer.Clear();
  EXPECT_EQ(buffer.GetLength(), 0u);
  EXPECT_EQ(Contents(other), "abcdefghabcdefghxyz");
}

TEST(ByteBufferTest, FlattenMakesOneChunkOrNoneWhenEmpty) {
  CNByteBuffer empty;
  EXPECT_EQ(empty.Flatten(), nullptr);
  CNByteBuffer buffer = ThreeChunks();
  BYTE* flat = buffer.Flatten();
  ASSERT_NE(flat, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(flat), 8), "abcdefgh");
  EXPECT_EQ(buffer.GetChunkCount(), 1u);
  EXPECT_EQ(buffer.Flatten(), flat);
}

TEST(ByteBufferTest, CursorReadsBytesAndLittleEndianUnitsAcrossChunks) {
  CNByteBuffer buffer("\x01\x02\x03");
  ASSERT_TRUE(buffer.Append("\x04\x05", 2));
  CNByteBuffer::Cursor units(buffer);
  EXPECT_EQ(units.ReadUnit(), 0x0201);
  EXPECT_EQ(units.ReadUnit(), 0x0403);  // spans the chunk boundary
  EXPECT_EQ(units.ReadUnit(), -2);      // only the first byte exists
  EXPECT_EQ(units.ReadUnit(), -1);
  CNByteBuffer::Cursor bytes(buffer, 3);
  EXPECT_EQ(bytes.ReadByte(), 4);
  EXPECT_EQ(bytes.ReadByte(), 5);
  EXPECT_EQ(bytes.ReadByte(), -1);
  EXPECT_EQ(CNByteBuffer::Cursor(buffer, 9).ReadByte(), -1);
}

}  // namespace
