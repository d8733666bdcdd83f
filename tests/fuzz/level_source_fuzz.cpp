// Level sources as the level tools read them: a source that parses is
// written back two ways, as a whole (FormatLevelSource) and with its
// solution stored into the original text (StoreSolution, what
// "tripath-solve --write" does), and each must parse to the same level.
#include <string_view>

#include "tests/fuzz/fuzz_check.h"
#include "tools/levels/level_source.h"

namespace {
void CheckSame(const tripath::LevelSource& a, const tripath::LevelSource& b) {
  FUZZ_CHECK(a.codes == b.codes);
  FUZZ_CHECK(a.solution == b.solution);
  FUZZ_CHECK(a.title == b.title);
  FUZZ_CHECK(a.idea == b.idea);
  FUZZ_CHECK(a.families == b.families);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const auto level = tripath::ParseLevelSource(text, "fuzz", &error);
  if (!level) return 0;

  const std::string formatted = tripath::FormatLevelSource(*level);
  const auto reparsed = tripath::ParseLevelSource(formatted, "formatted", &error);
  if (!reparsed) std::fprintf(stderr, "%s\n%s\n", error.c_str(), formatted.c_str());
  FUZZ_CHECK(reparsed.has_value());
  CheckSame(*level, *reparsed);

  if (level->solution) {
    const std::string stored = tripath::StoreSolution(text, *level->solution);
    const auto restored = tripath::ParseLevelSource(stored, "stored", &error);
    if (!restored) std::fprintf(stderr, "%s\n%s\n", error.c_str(), stored.c_str());
    FUZZ_CHECK(restored.has_value());
    CheckSame(*level, *restored);
  }
  return 0;
}
