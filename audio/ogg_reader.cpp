// Ogg Vorbis reading through stb_vorbis, decoded whole into 16-bit PCM.
//
// stb_vorbis trusts its input: a damaged comment header, for one, makes it
// free pointers it never set. So the stream is checked first: only the
// leading pages that are whole, carry a correct checksum and belong to the
// first stream are handed over, and the three header packets must be
// complete and consistent. A damaged file then decodes as far as it is
// intact, or not at all.
#include <array>
#include <bit>
#include <cstring>
#include <vector>

#include "audio/audio_file.h"

#define STB_VORBIS_HEADER_ONLY
#include <stb/stb_vorbis.h>

namespace {

struct DecoderCloser {
  void operator()(stb_vorbis* decoder) const { stb_vorbis_close(decoder); }
};
using Decoder = std::unique_ptr<stb_vorbis, DecoderCloser>;

constexpr std::size_t kDecoderStartBytes = 256 << 10;
constexpr std::size_t kDecoderMaxBytes = 32 << 20;

// The Ogg page checksum: CRC-32 with polynomial 0x04c11db7, MSB first,
// starting from 0, computed with the checksum field itself as zeros.
constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t r = i << 24;
    for (int bit = 0; bit < 8; ++bit) r = (r & 0x80000000u) ? (r << 1) ^ 0x04c11db7u : r << 1;
    table[i] = r;
  }
  return table;
}
constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

std::uint32_t Le32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

struct IntactStream {
  std::size_t length = 0;                           // bytes of whole, valid pages
  std::vector<std::vector<unsigned char>> headers;  // the first three packets
};

// Walks the pages from the start and stops at the first that is cut short,
// fails its checksum or belongs to another stream.
IntactStream FindIntactPages(const std::vector<unsigned char>& data) {
  IntactStream intact;
  std::vector<unsigned char> packet;
  std::uint32_t serial = 0;
  std::size_t at = 0;
  while (at + 27 <= data.size()) {
    const unsigned char* page = data.data() + at;
    if (std::memcmp(page, "OggS", 4) != 0 || page[4] != 0) break;
    const std::size_t segments = page[26];
    if (at + 27 + segments > data.size()) break;
    std::size_t body = 0;
    for (std::size_t i = 0; i < segments; ++i) body += page[27 + i];
    const std::size_t size = 27 + segments + body;
    if (at + size > data.size()) break;
    if (OggPageChecksum(page, size) != Le32(page + 22)) break;
    if (at == 0) serial = Le32(page + 14);
    if (Le32(page + 14) != serial) break;

    // Gather the header packets; a lacing value under 255 ends a packet.
    const unsigned char* bytes = page + 27 + segments;
    for (std::size_t i = 0; i < segments && intact.headers.size() < 3; ++i) {
      packet.insert(packet.end(), bytes, bytes + page[27 + i]);
      bytes += page[27 + i];
      if (page[27 + i] < 255) {
        intact.headers.push_back(std::move(packet));
        packet.clear();
      }
    }
    at += size;
    intact.length = at;
  }
  return intact;
}

bool IsHeader(const std::vector<unsigned char>& packet, unsigned char type) {
  return packet.size() >= 7 && packet[0] == type && std::memcmp(&packet[1], "vorbis", 6) == 0;
}

// The comment header: a vendor string and a list of strings, each led by
// its 32-bit length, then the framing bit. Every length must fit.
bool CommentsAreWhole(const std::vector<unsigned char>& packet) {
  std::size_t at = 7;
  auto take = [&](std::uint64_t bytes) {
    if (bytes > packet.size() - at) return false;
    at += static_cast<std::size_t>(bytes);
    return true;
  };
  auto length = [&](std::uint32_t& value) {
    if (packet.size() - at < 4) return false;
    value = Le32(&packet[at]);
    at += 4;
    return true;
  };
  std::uint32_t vendor, count, comment;
  if (!length(vendor) || !take(vendor) || !length(count)) return false;
  if (count > (packet.size() - at) / 4) return false;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (!length(comment) || !take(comment)) return false;
  }
  return at < packet.size() && (packet[at] & 1);
}

bool HeadersAreSound(const IntactStream& intact) {
  if (intact.headers.size() < 3) return false;
  const auto& id = intact.headers[0];
  // Identification: version 0, at least one channel, a rate, the framing bit.
  if (!IsHeader(id, 1) || id.size() < 30 || Le32(&id[7]) != 0 || id[11] == 0 ||
      Le32(&id[12]) == 0 || !(id[29] & 1)) {
    return false;
  }
  return IsHeader(intact.headers[1], 3) && CommentsAreWhole(intact.headers[1]) &&
         IsHeader(intact.headers[2], 5);
}

}  // namespace

std::uint32_t OggPageChecksum(const unsigned char* page, std::size_t size) {
  std::uint32_t crc = 0;
  for (std::size_t i = 0; i < size; ++i) {
    const unsigned char byte = (i >= 22 && i < 26) ? 0 : page[i];
    crc = (crc << 8) ^ kCrcTable[((crc >> 24) ^ byte) & 0xff];
  }
  return crc;
}

std::optional<AudioData> ReadOgg(std::FILE* file) {
  long here = std::ftell(file);
  if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) return std::nullopt;
  long end = std::ftell(file);
  if (std::fseek(file, here, SEEK_SET) != 0 || end <= here) return std::nullopt;
  long length = end - here;
  if (length > kMaxOggFileBytes) return std::nullopt;

  std::vector<unsigned char> encoded(static_cast<std::size_t>(length));
  if (std::fread(encoded.data(), 1, encoded.size(), file) != encoded.size()) return std::nullopt;

  IntactStream intact = FindIntactPages(encoded);
  if (!HeadersAreSound(intact)) return std::nullopt;

  // The decoder works inside one zeroed block of ours rather than the
  // heap: nothing it sets up can leak when it gives up half-way, and
  // nothing it forgot to set points anywhere. It asks for more room by
  // failing with "out of memory"; the block doubles up to a limit.
  std::vector<char> arena;
  Decoder decoder;
  for (std::size_t room = kDecoderStartBytes; !decoder; room *= 2) {
    if (room > kDecoderMaxBytes) return std::nullopt;
    arena.assign(room, 0);
    stb_vorbis_alloc alloc{arena.data(), static_cast<int>(room)};
    int error = 0;
    decoder.reset(
        stb_vorbis_open_memory(encoded.data(), static_cast<int>(intact.length), &error, &alloc));
    if (!decoder && error != VORBIS_outofmem) return std::nullopt;
  }
  stb_vorbis_info info = stb_vorbis_get_info(decoder.get());
  const int channels = info.channels;
  if (channels <= 0 || info.sample_rate == 0) return std::nullopt;

  // Room for one more piece of 4096 frames is kept free before each call;
  // the buffer doubles whenever that room would run out.
  const std::size_t piece = static_cast<std::size_t>(channels) * 4096;
  std::vector<std::int16_t> samples(piece);
  std::size_t stored = 0;
  long frames = 0;
  for (;;) {
    int got =
        stb_vorbis_get_samples_short_interleaved(decoder.get(), channels, samples.data() + stored,
                                                 static_cast<int>(samples.size() - stored));
    if (got <= 0) break;
    frames += got;
    stored += static_cast<std::size_t>(got) * channels;
    // A damaged stream could claim to go on for ever; no game sound is this long.
    if (stored > static_cast<std::size_t>(kMaxOggDecodedSamples)) return std::nullopt;
    if (stored + piece > samples.size()) samples.resize(samples.size() * 2);
  }

  AudioData data;
  data.frames = static_cast<int>(frames);
  data.channels = channels;
  data.bytesPerSample = 2;
  data.rate = static_cast<int>(info.sample_rate);
  data.bytes.resize(stored * 2);
  if constexpr (std::endian::native == std::endian::little) {
    if (stored > 0) std::memcpy(data.bytes.data(), samples.data(), stored * 2);
  } else {
    for (std::size_t i = 0; i < stored; ++i) {
      auto value = static_cast<std::uint16_t>(samples[i]);
      data.bytes[2 * i] = static_cast<std::uint8_t>(value & 0xff);
      data.bytes[2 * i + 1] = static_cast<std::uint8_t>(value >> 8);
    }
  }
  return data;
}
