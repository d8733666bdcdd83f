// Image files for the tools and the tests: PNG (and BMP) encoding, PNG
// reading, and writing a file so that it is never seen half written. The
// game itself decodes through graphics/, with its own limits.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace imagefile {

// Encodes 8-bit pixels, `components` (1..4) bytes each, rows top to bottom.
// The same pixels always give the same bytes. Empty on failure.
std::string EncodePng(int width, int height, int components, const std::uint8_t* pixels);
std::string EncodeBmp(int width, int height, int components, const std::uint8_t* pixels);

// Writes the bytes beside the target and renames them into place, creating
// the parent folders; the old file stays untouched when anything fails.
bool WriteFileReplacing(const std::filesystem::path& file, const std::string& bytes,
                        std::string* error);

// Reads a PNG file as RGBA.
bool ReadPngRgba(const std::filesystem::path& file, int* width, int* height,
                 std::vector<std::uint8_t>* pixels, std::string* error);

}  // namespace imagefile
