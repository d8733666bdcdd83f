// Text files as the host reads them (byte-order marks, UTF-8 with its
// byte-per-character fallback, UTF-16) and the number parsing of the saved
// state: whatever is read must survive being written back as UTF-8.
#include "shell/shell.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const String text = DecodeTextFile(data, size);
  const std::string encoded = EncodeUtf8(text);
  String again;
  FUZZ_CHECK(
      DecodeUtf8(reinterpret_cast<const std::uint8_t*>(encoded.data()), encoded.size(), again));
  FUZZ_CHECK(again == text);
  const int number = StringToInt(text);
  FUZZ_CHECK(StringToInt(IntToString(number)) == number);
  return 0;
}
