// Data buffers: byte copies with their clamping, and the two encodings.
#include <gtest/gtest.h>

#include "net/net.h"
#include "tests/support/test_support.h"

namespace {

std::vector<int> Bytes(const c_DataBuffer& buffer, int offset, int count) {
  std::vector<int> out;
  for (int v : buffer.ReadBytes(offset, count)) out.push_back(v & 0xFF);
  return out;
}

TEST(DataBuffer, Utf8EncodesEachCodeUnitAndReadsBack) {
  c_DataBuffer buffer(16);
  EXPECT_EQ(buffer.WriteString(0, u"\u00E9", u"utf8"), 2);
  EXPECT_EQ(Bytes(buffer, 0, 2), (std::vector<int>{0xC3, 0xA9}));
  EXPECT_EQ(buffer.ReadString(0, 2, u"utf8"), u"\u00E9");

  EXPECT_EQ(buffer.WriteString(0, u"\u20AC", u"utf8"), 3);
  EXPECT_EQ(Bytes(buffer, 0, 3), (std::vector<int>{0xE2, 0x82, 0xAC}));

  // A surrogate pair is two separate three-byte sequences, and reads back
  // as the same two code units.
  EXPECT_EQ(buffer.WriteString(0, u"A\U0001F600", u"utf8"), 7);
  EXPECT_EQ(Bytes(buffer, 1, 3), (std::vector<int>{0xED, 0xA0, 0xBD}));
  EXPECT_EQ(buffer.ReadString(0, 7, u"utf8"), u"A\U0001F600");
}

TEST(DataBuffer, MalformedUtf8FallsBackToOneCharacterPerByte) {
  c_DataBuffer buffer(8);
  buffer.WriteBytes(0, {0xC3}, 0, 1);
  EXPECT_EQ(buffer.ReadString(0, 1, u"utf8"), String(1, char16_t{0xC3}));

  // A stray continuation byte spoils the whole text, not just its own byte.
  buffer.WriteBytes(0, {'a', 0xC3, 0xA9, 0x80}, 0, 4);
  EXPECT_EQ(buffer.ReadString(0, 4, u"utf8"), (String{u'a', 0xC3, 0xA9, 0x80}));
  // A four-byte lead is not accepted either.
  buffer.WriteBytes(0, {0xF0, 0x9F, 0x98, 0x80}, 0, 4);
  EXPECT_EQ(buffer.ReadString(0, 4, u"utf8"), (String{0xF0, 0x9F, 0x98, 0x80}));
}

TEST(DataBuffer, BytesAreReadSignedAndAsciiUnsigned) {
  c_DataBuffer buffer(4);
  buffer.WriteBytes(0, {0xFF, 0x7F, 0x180, -1}, 0, 4);
  EXPECT_EQ(buffer.ReadBytes(0, 4), (std::vector<int>{-1, 127, -128, -1}));
  EXPECT_EQ(buffer.ReadString(0, 1, u"ascii"), String(1, char16_t{255}));

  // ascii keeps only the low 8 bits of each code unit and counts characters.
  EXPECT_EQ(buffer.WriteString(0, u"\u0141z", u"ascii"), 2);
  EXPECT_EQ(Bytes(buffer, 0, 2), (std::vector<int>{0x41, 'z'}));
}

TEST(DataBuffer, CopiesAreClampedToBufferAndArray) {
  c_DataBuffer buffer(1024);
  std::vector<int> zeros(1024, 0);
  buffer.WriteBytes(0, zeros, 0);
  EXPECT_EQ(buffer.WriteString(1020, u"0123456789", u"utf8"), 10);
  EXPECT_EQ(buffer.ReadString(1016, u"ascii"), (String{0, 0, 0, 0, '0', '1', '2', '3'}));

  // Clamped by the array: three values from index 2 of a five-element array.
  buffer.WriteBytes(0, {9, 9, 1, 2, 3}, 2, 100);
  EXPECT_EQ(Bytes(buffer, 0, 4), (std::vector<int>{1, 2, 3, 0}));

  // Reading into an array stops at either end.
  std::vector<int> values(4, 77);
  buffer.ReadBytes(1022, values, 1, 10);
  EXPECT_EQ(values, (std::vector<int>{77, '2', '3', 77}));
  buffer.ReadBytes(0, values, 2);
  EXPECT_EQ(values, (std::vector<int>{77, '2', 1, 2}));

  // Empty and negative counts copy nothing; so do offsets out of range.
  EXPECT_TRUE(buffer.ReadBytes(1024, 5).empty());
  EXPECT_TRUE(buffer.ReadBytes(3, -2).empty());
  EXPECT_TRUE(buffer.ReadBytes(2000).empty());
  buffer.WriteBytes(-5, {1, 1, 1, 1, 1, 1, 1, 1}, 0, 8);
  buffer.WriteBytes(0, {5, 5}, 3, 2);
  EXPECT_EQ(Bytes(buffer, 0, 3), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(buffer.ReadString(1024, u"utf8"), u"");
  EXPECT_EQ(buffer.ReadString(1030, 4, u"utf8"), u"");
  EXPECT_EQ(buffer.ReadBytes(1020).size(), 4u);
}

TEST(DataBuffer, UnknownEncodingsAndDoubleAllocationAreFatal) {
  RuntimeErrorTrap trap;
  c_DataBuffer buffer(8);
  for (const String name : {u"UTF8", u"utf-8", u"", u"latin1"}) {
    try {
      buffer.WriteString(0, u"x", name);
      FAIL() << "writing accepted " << NarrowString(name);
    } catch (const RuntimeErrorRaised& e) {
      EXPECT_EQ(e.message, u"Invalid string encoding:" + name);
    }
    try {
      buffer.ReadString(0, 1, name);
      FAIL() << "reading accepted " << NarrowString(name);
    } catch (const RuntimeErrorRaised& e) {
      EXPECT_EQ(e.message, u"Invalid string encoding:" + name);
    }
  }
  try {
    buffer.Create(4);
    FAIL() << "a second block was allocated";
  } catch (const RuntimeErrorRaised& e) {
    EXPECT_EQ(e.Text(), "Allocate DataBuffer failed");
  }
  EXPECT_EQ(buffer.Length(), 8);
  EXPECT_THROW(c_DataBuffer(-1), RuntimeErrorRaised);
  EXPECT_EQ(c_DataBuffer(0).Length(), 0);
}

}  // namespace
