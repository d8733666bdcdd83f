// String conversions shared by the host services, the saved state and the
// network layer.
#include <cctype>
#include <cstdio>

#include "shell/shell.h"

String StringFromBytes(std::string_view bytes) {
  String out;
  out.reserve(bytes.size());
  for (unsigned char c : bytes) out.push_back(c);
  return out;
}

std::string NarrowString(const String& text) {
  std::string out;
  out.reserve(text.size());
  for (char16_t c : text) out.push_back(static_cast<char>(c & 0xFF));
  return out;
}

std::string EncodeUtf8(const String& text) {
  std::string out;
  out.reserve(text.size());
  for (char16_t unit : text) {
    unsigned c = unit;
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

std::string PathToUtf8(const String& path) {
  std::string out;
  out.reserve(path.size());
  for (std::size_t i = 0; i < path.size(); ++i) {
    unsigned c = path[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < path.size() && path[i + 1] >= 0xDC00 &&
        path[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (path[++i] - 0xDC00);
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out += EncodeUtf8(String(1, static_cast<char16_t>(c)));
    }
  }
  return out;
}

String PathFromUtf8(std::string_view path) {
  String out;
  out.reserve(path.size());
  std::size_t i = 0;
  auto continuation = [&](std::size_t at) {
    return at < path.size() && (static_cast<unsigned char>(path[at]) & 0xC0) == 0x80;
  };
  auto bits = [&](std::size_t at) { return static_cast<unsigned char>(path[at]) & 0x3Fu; };
  while (i < path.size()) {
    const unsigned b = static_cast<unsigned char>(path[i]);
    if ((b & 0xE0) == 0xC0 && continuation(i + 1)) {
      out.push_back(static_cast<char16_t>(((b & 0x1F) << 6) | bits(i + 1)));
      i += 2;
    } else if ((b & 0xF0) == 0xE0 && continuation(i + 1) && continuation(i + 2)) {
      out.push_back(static_cast<char16_t>(((b & 0x0F) << 12) | (bits(i + 1) << 6) | bits(i + 2)));
      i += 3;
    } else if ((b & 0xF8) == 0xF0 && continuation(i + 1) && continuation(i + 2) &&
               continuation(i + 3) &&
               (((b & 0x07) << 18) | (bits(i + 1) << 12)) - 0x10000 < 0x100000) {
      const unsigned c =
          ((b & 0x07) << 18) | (bits(i + 1) << 12) | (bits(i + 2) << 6) | bits(i + 3);
      out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
      i += 4;
    } else {
      // ASCII, or a byte that starts no sequence: kept as it is.
      out.push_back(static_cast<char16_t>(b));
      i += 1;
    }
  }
  return out;
}

bool DecodeUtf8(const std::uint8_t* data, std::size_t size, String& out) {
  out.clear();
  out.reserve(size);
  std::size_t i = 0;
  while (i < size) {
    unsigned b = data[i];
    if (b < 0x80) {
      out.push_back(static_cast<char16_t>(b));
      i += 1;
    } else if ((b & 0xE0) == 0xC0) {
      if (i + 1 >= size || (data[i + 1] & 0xC0) != 0x80) return false;
      out.push_back(static_cast<char16_t>(((b & 0x1F) << 6) | (data[i + 1] & 0x3F)));
      i += 2;
    } else if ((b & 0xF0) == 0xE0) {
      if (i + 2 >= size || (data[i + 1] & 0xC0) != 0x80 || (data[i + 2] & 0xC0) != 0x80)
        return false;
      out.push_back(static_cast<char16_t>(((b & 0x0F) << 12) | ((data[i + 1] & 0x3F) << 6) |
                                          (data[i + 2] & 0x3F)));
      i += 3;
    } else {
      return false;
    }
  }
  return true;
}

String DecodeTextFile(const std::uint8_t* data, std::size_t size) {
  String out;
  if (size >= 2 && data[0] == 0xFE && data[1] == 0xFF) {
    for (std::size_t i = 2; i + 1 < size; i += 2)
      out.push_back(static_cast<char16_t>((data[i] << 8) | data[i + 1]));
    return out;
  }
  if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
    for (std::size_t i = 2; i + 1 < size; i += 2)
      out.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    return out;
  }
  if (size >= 3 && data[0] == 239 && data[1] == 187 && data[2] == 191) {
    data += 3;
    size -= 3;
  }
  if (DecodeUtf8(data, size, out)) return out;
  PrintLine("Invalid UTF-8!");
  out.assign(data, data + size);
  return out;
}

String IntToString(long long value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%lld", value);
  return StringFromBytes(buffer);
}

int StringToInt(const String& text) {
  std::size_t i = 0;
  auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at] & 0xFF); };
  while (i < text.size() && std::isspace(byte(i))) ++i;
  bool negative = false;
  if (i < text.size() && (byte(i) == '-' || byte(i) == '+')) {
    negative = byte(i) == '-';
    ++i;
  }
  // Accumulate in unsigned arithmetic so that very long digit strings wrap
  // instead of overflowing a signed value.
  unsigned value = 0;
  while (i < text.size() && byte(i) >= '0' && byte(i) <= '9') {
    value = value * 10u + static_cast<unsigned>(byte(i) - '0');
    ++i;
  }
  if (negative) value = 0u - value;
  return static_cast<int>(value);
}

namespace {
void WriteLine(std::FILE* stream, const String& text) {
  std::string bytes = NarrowString(text);
  bytes.push_back('\n');
  std::fwrite(bytes.data(), 1, bytes.size(), stream);
  std::fflush(stream);
}
}  // namespace

void PrintLine(const String& text) {
  WriteLine(stdout, text);
}
void PrintLine(std::string_view text) {
  PrintLine(StringFromBytes(text));
}
void PrintErrorLine(const String& text) {
  WriteLine(stderr, text);
}
void PrintErrorLine(std::string_view text) {
  PrintErrorLine(StringFromBytes(text));
}

String ResolveDataPath(const String& path) {
  std::size_t colon = path.find(u":/");
  if (colon != String::npos && path.find(u'/') == colon + 1) return path;
  if (path.starts_with(u"./") || path.starts_with(u"/")) return path;
  return u"quarry://data/" + path;
}

namespace {
std::uint32_t g_seed = 1234;
}  // namespace

void SeedRandom(int seed) {
  g_seed = static_cast<std::uint32_t>(seed);
}
int RandomSeed() {
  return static_cast<int>(g_seed);
}

float Rnd() {
  g_seed = g_seed * 1664525u + 1013904223u;
  return static_cast<float>((g_seed >> 8) & 0xFFFFFF) / 16777216.0f;
}
