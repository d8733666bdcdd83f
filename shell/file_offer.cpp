// Files the game hands the player, on the desktops: written into the folder
// "exported" beside the state file.
#include <filesystem>
#include <system_error>

#include "shell/shell.h"

namespace {
std::filesystem::path PathOfUtf8(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
std::string Utf8OfPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}
}  // namespace

std::string OfferFile(const std::string& name, const std::string& bytes) {
  const std::string state = HostGame() ? HostGame()->StatePath() : PlatformStatePath();
  const std::filesystem::path folder = PathOfUtf8(state).parent_path() / "exported";
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  const std::string path = Utf8OfPath(folder / PathOfUtf8(name));
  if (error || WriteFileAtomically(path, bytes) != 0) return std::string();
  return path;
}
