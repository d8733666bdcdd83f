// Level codes and the My levels file, as players paste and keep them: a
// code that reads back as a board must come back as the same board once
// written again, and so must a My levels file that reads.
#include <string_view>

#include "game/workshop.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const tripath::DecodedShareCode decoded = tripath::DecodeShareCode(text);
  FUZZ_CHECK(decoded.board.has_value() == (decoded.error == tripath::ShareCodeError::kNone));
  if (decoded.board) {
    const std::string code = tripath::EncodeShareCode(*decoded.board);
    FUZZ_CHECK(code.size() <= tripath::kShareCodeMaxLength);
    const tripath::DecodedShareCode again = tripath::DecodeShareCode(code);
    FUZZ_CHECK(again.board.has_value());
    FUZZ_CHECK(again.board->SameCells(*decoded.board));
    FUZZ_CHECK(again.board->name == decoded.board->name);
  }

  const auto levels = ParseMyLevels(text);
  if (levels) {
    const auto again = ParseMyLevels(FormatMyLevels(*levels));
    FUZZ_CHECK(again.has_value());
    std::size_t kept = 0;
    for (const MyLevel& level : levels->levels) {
      if (!level.board.HasFloor()) continue;  // an empty board is not kept
      FUZZ_CHECK(kept < again->levels.size());
      const MyLevel& back = again->levels[kept++];
      FUZZ_CHECK(back.board.SameCells(level.board) && back.board.name == level.board.name);
      FUZZ_CHECK(back.par == level.par && back.beaten == level.beaten &&
                 back.beatenAtPar == level.beatenAtPar && back.id == level.id &&
                 back.stamp == level.stamp);
    }
    FUZZ_CHECK(kept == again->levels.size());
    // Brought together with itself, a sound file stays sound.
    FUZZ_CHECK(
        ParseMyLevels(MergeMyLevels(std::string(text), FormatMyLevels(*levels))).has_value());
  }
  return 0;
}
