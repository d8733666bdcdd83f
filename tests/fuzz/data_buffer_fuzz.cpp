// A data buffer under a script of copies with any offsets and counts: the
// first two bytes give its size, then every nine bytes are one operation
// (kind, offset, count as two 32-bit values). Copies are clamped to the
// buffer and the array; an offset outside copies nothing.
#include <cstring>

#include "net/net.h"
#include "tests/fuzz/fuzz_check.h"

namespace {
int Int32(const std::uint8_t* p) {
  std::uint32_t value;
  std::memcpy(&value, p, 4);
  return static_cast<int>(value);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const int length = (data[0] | (data[1] << 8)) % 4097;
  c_DataBuffer buffer(length);
  std::memset(buffer.Data(), 0x41, static_cast<std::size_t>(length));
  std::vector<int> values(static_cast<std::size_t>(length / 2 + 3), 0x7F);
  for (std::size_t at = 2; at + 9 <= size; at += 9) {
    const int kind = data[at] % 8;
    const int offset = Int32(data + at + 1);
    const int count = Int32(data + at + 5);
    const bool inside = offset >= 0 && offset <= length;
    switch (kind) {
      case 0: {
        const std::vector<int> read = buffer.ReadBytes(offset, count);
        FUZZ_CHECK(inside || read.empty());
        FUZZ_CHECK(read.size() <= static_cast<std::size_t>(length));
        break;
      }
      case 1:
        FUZZ_CHECK(inside || buffer.ReadBytes(offset).empty());
        break;
      case 2: {
        const String text = buffer.ReadString(offset, count, u"utf8");
        FUZZ_CHECK(inside || text.empty());
        FUZZ_CHECK(text.size() <= static_cast<std::size_t>(length));
        break;
      }
      case 3: {
        const String text = buffer.ReadString(offset, u"ascii");
        FUZZ_CHECK(inside || text.empty());
        FUZZ_CHECK(text.size() <= static_cast<std::size_t>(length));
        break;
      }
      case 4:
        buffer.ReadBytes(offset, values, count % 64, count);
        break;
      case 5:
        buffer.WriteBytes(offset, values, count % 64, count);
        break;
      case 6:
        buffer.WriteString(offset, String(static_cast<std::size_t>(count & 63), u'\u00e9'),
                           u"utf8");
        break;
      default:
        buffer.WriteBytes(offset, values, count);
        break;
    }
  }
  return 0;
}
