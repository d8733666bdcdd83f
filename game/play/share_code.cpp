#include "game/play/share_code.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tripath {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
constexpr int kChecksumSymbols = 4;  // 24 bits
constexpr int kSizeBits = 6;         // sizes 1..64, so a larger board is told as too large
constexpr int kNameLengthBits = 5;
constexpr int kNameCharBits = 7;
constexpr int kFirstNameChar = 32, kLastNameChar = 126;

int SymbolValue(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '-') return 62;
  if (c == '_') return 63;
  return -1;
}

int TileIndex(int code) {
  const auto at = std::find(kDrawnTiles.begin(), kDrawnTiles.end(), code);
  return at == kDrawnTiles.end() ? 0 : static_cast<int>(at - kDrawnTiles.begin());
}

// 24 bits of FNV-1a over the symbols.
std::uint32_t Checksum(const std::vector<int>& symbols, std::size_t count) {
  std::uint32_t h = 2166136261u;
  for (std::size_t i = 0; i < count; ++i) {
    h ^= static_cast<std::uint32_t>(symbols[i]);
    h *= 16777619u;
  }
  return (h ^ (h >> 24)) & 0xFFFFFFu;
}

class BitWriter {
 public:
  void Put(std::uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) bits_.push_back(((value >> i) & 1) != 0);
  }
  // The bits in symbols of six, the last one filled with zeros.
  std::vector<int> Symbols() const {
    std::vector<int> symbols;
    for (std::size_t i = 0; i < bits_.size(); i += 6) {
      int value = 0;
      for (std::size_t j = i; j < i + 6; ++j) value = value << 1 | (j < bits_.size() && bits_[j]);
      symbols.push_back(value);
    }
    return symbols;
  }

 private:
  std::vector<bool> bits_;
};

class BitReader {
 public:
  BitReader(const std::vector<int>& symbols, std::size_t first, std::size_t end)
      : symbols_(symbols), bit_(first * 6), end_(end * 6) {}
  // False once the bits run out.
  bool Get(int bits, std::uint32_t& value) {
    if (end_ - bit_ < static_cast<std::size_t>(bits)) return false;
    value = 0;
    for (int i = 0; i < bits; ++i, ++bit_)
      value = value << 1 | ((symbols_[bit_ / 6] >> (5 - bit_ % 6)) & 1);
    return true;
  }
  // Only the zeros that fill the last symbol may be left over.
  bool AtCleanEnd() {
    if (end_ - bit_ >= 6) return false;
    std::uint32_t rest = 0;
    return Get(static_cast<int>(end_ - bit_), rest) && rest == 0;
  }

 private:
  const std::vector<int>& symbols_;
  std::size_t bit_, end_;
};

// The code itself: a link's "level=" value, without blanks around it.
std::string_view CodePart(std::string_view text) {
  const std::size_t key = text.find("level=");
  if (key != std::string_view::npos) {
    text.remove_prefix(key + 6);
    text = text.substr(0, text.find_first_of("&#"));
  }
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

// Width, height, name and cells from a code whose checksum is right.
DecodedShareCode ReadPayload(BitReader& in) {
  DecodedShareCode out;
  out.error = ShareCodeError::kDamaged;
  std::uint32_t width = 0, height = 0, length = 0;
  if (!in.Get(kSizeBits, width) || !in.Get(kSizeBits, height)) return out;
  if (width + 1 > kDrawnBoardMaxSize || height + 1 > kDrawnBoardMaxSize) {
    out.error = ShareCodeError::kTooLarge;
    return out;
  }
  DrawnBoard board;
  board.width = static_cast<int>(width) + 1;
  board.height = static_cast<int>(height) + 1;
  if (!in.Get(kNameLengthBits, length) || length > kLevelNameMaxLength) return out;
  for (std::uint32_t i = 0; i < length; ++i) {
    std::uint32_t c = 0;
    if (!in.Get(kNameCharBits, c) || c > kLastNameChar - kFirstNameChar) return out;
    board.name += static_cast<char>(c + kFirstNameChar);
  }
  for (int y = 0; y < board.height; ++y) {
    for (int x = 0; x < board.width; ++x) {
      std::uint32_t bit = 0, index = 0;
      if (!in.Get(1, bit)) return out;
      if (bit == 0) continue;
      if (!in.Get(1, bit)) return out;
      if (bit == 0) {
        board.Set(x, y, kSharedPath);
        continue;
      }
      if (!in.Get(4, index)) return out;
      board.Set(x, y, kDrawnTiles[index]);
    }
  }
  if (!in.AtCleanEnd()) return out;
  out.board = std::move(board);
  out.error = ShareCodeError::kNone;
  return out;
}

}  // namespace

bool IsDrawnTile(int code) {
  return std::find(kDrawnTiles.begin(), kDrawnTiles.end(), code) != kDrawnTiles.end();
}

bool DrawnBoard::SameCells(const DrawnBoard& other) const {
  if (width != other.width || height != other.height) return false;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (At(x, y) != other.At(x, y)) return false;
  return true;
}

bool DrawnBoard::HasFloor() const {
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (At(x, y) != kNoFloor) return true;
  return false;
}

bool DrawnBoard::HasCharacter() const {
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (TileOwner(At(x, y)) >= kPim && TileKind(At(x, y)) == 0) return true;
  return false;
}

LevelCodes PlaceOnBoard(const DrawnBoard& drawn) {
  LevelCodes codes{};
  const int left = (kBoardSize - drawn.width) / 2, top = (kBoardSize - drawn.height) / 2;
  for (int y = 0; y < drawn.height; ++y)
    for (int x = 0; x < drawn.width; ++x) codes[(top + y) * kBoardSize + left + x] = drawn.At(x, y);
  return codes;
}

Board ToBoard(const DrawnBoard& drawn) {
  return Board::FromCodes(PlaceOnBoard(drawn));
}

std::optional<DrawnBoard> CropToDrawnBoard(const LevelCodes& codes) {
  int left = kBoardSize, top = kBoardSize, right = -1, bottom = -1;
  for (int y = 0; y < kBoardSize; ++y) {
    for (int x = 0; x < kBoardSize; ++x) {
      const int code = codes[y * kBoardSize + x];
      if (code == kNoFloor) continue;
      if (!IsDrawnTile(code)) return std::nullopt;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  DrawnBoard drawn;
  if (right < 0) return drawn;
  drawn.width = right - left + 1;
  drawn.height = bottom - top + 1;
  if (drawn.width > kDrawnBoardMaxSize || drawn.height > kDrawnBoardMaxSize) return std::nullopt;
  for (int y = 0; y < drawn.height; ++y)
    for (int x = 0; x < drawn.width; ++x) drawn.Set(x, y, codes[(top + y) * kBoardSize + left + x]);
  return drawn;
}

LevelSource ToLevelSource(const DrawnBoard& drawn,
                          const std::optional<std::vector<Move>>& solution) {
  LevelSource source;
  source.title = drawn.name;
  source.solution = solution;
  source.codes = PlaceOnBoard(drawn);
  // The map holds the floor and no empty rows or columns around it.
  const std::optional<DrawnBoard> floor = CropToDrawnBoard(source.codes);
  for (int y = 0; floor && floor->HasFloor() && y < floor->height; ++y) {
    std::string row;
    for (int x = 0; x < floor->width; ++x) row += LegendChar(floor->At(x, y));
    source.map.push_back(row);
  }
  return source;
}

std::string CleanLevelName(std::string_view name) {
  std::string clean;
  for (char c : name) {
    if (c >= kFirstNameChar && c <= kLastNameChar && clean.size() < kLevelNameMaxLength) clean += c;
  }
  return clean;
}

std::string EncodeShareCode(const DrawnBoard& drawn) {
  BitWriter out;
  out.Put(static_cast<std::uint32_t>(drawn.width - 1), kSizeBits);
  out.Put(static_cast<std::uint32_t>(drawn.height - 1), kSizeBits);
  const std::string name = CleanLevelName(drawn.name);
  out.Put(static_cast<std::uint32_t>(name.size()), kNameLengthBits);
  for (char c : name) out.Put(static_cast<std::uint32_t>(c - kFirstNameChar), kNameCharBits);
  // Most cells are empty and most floor is shared path: they get the
  // shortest marks.
  for (int y = 0; y < drawn.height; ++y) {
    for (int x = 0; x < drawn.width; ++x) {
      const int code = drawn.At(x, y);
      if (code == kNoFloor || !IsDrawnTile(code)) {
        out.Put(0, 1);
      } else if (code == kSharedPath) {
        out.Put(2, 2);
      } else {
        out.Put(3, 2);
        out.Put(static_cast<std::uint32_t>(TileIndex(code)), 4);
      }
    }
  }
  std::vector<int> symbols{kShareCodeVersion};
  for (int s : out.Symbols()) symbols.push_back(s);
  const std::uint32_t sum = Checksum(symbols, symbols.size());
  for (int i = kChecksumSymbols - 1; i >= 0; --i) symbols.push_back((sum >> (6 * i)) & 63);
  std::string code;
  for (int s : symbols) code += kAlphabet[s];
  return code;
}

DecodedShareCode DecodeShareCode(std::string_view text) {
  DecodedShareCode out;
  const std::string_view code = CodePart(text);
  if (code.empty()) {
    out.error = ShareCodeError::kEmpty;
    return out;
  }
  if (code.size() > kShareCodeMaxLength) {
    out.error = ShareCodeError::kTooLarge;
    return out;
  }
  std::vector<int> symbols;
  for (char c : code) {
    const int value = SymbolValue(c);
    if (value < 0) {
      out.error = ShareCodeError::kDamaged;
      return out;
    }
    symbols.push_back(value);
  }
  // The version comes first and is read before anything else: a later
  // version may change all the rest.
  if (symbols[0] > kShareCodeVersion) {
    out.error = ShareCodeError::kNewerVersion;
    return out;
  }
  if (symbols[0] != kShareCodeVersion || symbols.size() < 1 + kChecksumSymbols + 2) {
    out.error = ShareCodeError::kDamaged;
    return out;
  }
  const std::size_t body = symbols.size() - kChecksumSymbols;
  std::uint32_t sum = 0;
  for (std::size_t i = body; i < symbols.size(); ++i)
    sum = sum << 6 | static_cast<std::uint32_t>(symbols[i]);
  if (sum != Checksum(symbols, body)) {
    out.error = ShareCodeError::kDamaged;
    return out;
  }
  BitReader in(symbols, 1, body);
  return ReadPayload(in);
}

const char* ShareCodeMessage(ShareCodeError error) {
  switch (error) {
    case ShareCodeError::kNone:
      return "";
    case ShareCodeError::kEmpty:
      return "No level code to read";
    case ShareCodeError::kDamaged:
      return "This level code is damaged: copy it again, whole";
    case ShareCodeError::kNewerVersion:
      return "This level code is from a newer Tripath: update the game to open it";
    case ShareCodeError::kTooLarge:
      return "This level is too large: the workshop holds boards up to 16 x 16";
  }
  return "";
}

}  // namespace tripath
