// Byte buffers and the two text encodings used on the wire.
#include <algorithm>
#include <new>

#include "net/net.h"

namespace {

enum class Encoding { kUtf8, kAscii };

Encoding ParseEncoding(const String& name) {
  if (name == u"utf8") return Encoding::kUtf8;
  if (name == u"ascii") return Encoding::kAscii;
  RuntimeError(u"Invalid string encoding:" + name);
}

// The number of elements a copy may move between [offset, offset + count)
// of the buffer and [valuesOffset, ...) of an array; 0 when either offset
// lies outside its range.
int ClampCount(int offset, int length, int valuesOffset, std::size_t valuesLength, int count) {
  const auto arrayLength = static_cast<long long>(valuesLength);
  if (offset < 0 || offset > length || valuesOffset < 0 || valuesOffset > arrayLength) return 0;
  long long n = count;
  n = std::min<long long>(n, length - offset);
  n = std::min<long long>(n, arrayLength - valuesOffset);
  return n > 0 ? static_cast<int>(n) : 0;
}

}  // namespace

bool NxDataBuffer::Allocate(int length) {
  if (data_ || length < 0) return false;
  data_.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(length)]);
  if (!data_) return false;
  length_ = length;
  return true;
}

void c_DataBuffer::Create(int length) {
  if (!Allocate(length)) RuntimeError("Allocate DataBuffer failed");
}

void c_DataBuffer::WriteBytes(int offset, const std::vector<int>& values, int valuesOffset,
                              int count) {
  const int n = ClampCount(offset, Length(), valuesOffset, values.size(), count);
  std::uint8_t* out = Data();
  for (int i = 0; i < n; ++i) out[offset + i] = static_cast<std::uint8_t>(values[valuesOffset + i]);
}

void c_DataBuffer::WriteBytes(int offset, const std::vector<int>& values, int valuesOffset) {
  WriteBytes(offset, values, valuesOffset, Length());
}

int c_DataBuffer::WriteString(int offset, const String& text, const String& encoding) {
  std::vector<int> bytes;
  if (ParseEncoding(encoding) == Encoding::kUtf8) {
    const std::string encoded = EncodeUtf8(text);
    bytes.assign(encoded.begin(), encoded.end());
  } else {
    bytes.assign(text.begin(), text.end());
  }
  WriteBytes(offset, bytes, 0, static_cast<int>(bytes.size()));
  return static_cast<int>(bytes.size());
}

void c_DataBuffer::ReadBytes(int offset, std::vector<int>& values, int valuesOffset,
                             int count) const {
  const int n = ClampCount(offset, Length(), valuesOffset, values.size(), count);
  const std::uint8_t* in = Data();
  for (int i = 0; i < n; ++i) values[valuesOffset + i] = static_cast<std::int8_t>(in[offset + i]);
}

void c_DataBuffer::ReadBytes(int offset, std::vector<int>& values, int valuesOffset) const {
  ReadBytes(offset, values, valuesOffset, Length());
}

std::vector<int> c_DataBuffer::ReadBytes(int offset, int count) const {
  if (offset < 0 || offset > Length()) return {};
  count = std::min(count, Length() - offset);
  if (count <= 0) return {};
  std::vector<int> values(static_cast<std::size_t>(count));
  ReadBytes(offset, values, 0, count);
  return values;
}

std::vector<int> c_DataBuffer::ReadBytes(int offset) const {
  return ReadBytes(offset, Length());
}

String c_DataBuffer::ReadString(int offset, int count, const String& encoding) const {
  const Encoding kind = ParseEncoding(encoding);
  String text;
  if (offset < 0 || offset > Length()) return text;
  count = std::max(0, std::min(count, Length() - offset));
  const std::uint8_t* bytes = Data() + offset;
  // Text that is not well-formed UTF-8 still reads back, one character per
  // byte, so that nothing the server sent is lost.
  if (kind == Encoding::kUtf8 && DecodeUtf8(bytes, static_cast<std::size_t>(count), text))
    return text;
  text.assign(bytes, bytes + count);
  return text;
}

String c_DataBuffer::ReadString(int offset, const String& encoding) const {
  // The offset is checked before the rest of the buffer is measured from it:
  // a far-off offset would make the subtraction overflow.
  if (offset < 0 || offset > Length()) return String();
  return ReadString(offset, Length() - offset, encoding);
}
