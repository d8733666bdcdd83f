#include "tools/assets/generate.h"

#include "tools/assets/art.h"
#include "tools/assets/catalog.h"
#include "tools/assets/png_write.h"
#include "tools/imagefile/image_file.h"

namespace assets {

bool WriteImages(const std::filesystem::path& dataDir, std::string* error) {
  for (const auto& sheet : ImageSheets()) {
    FramePainter painter = PainterFor(sheet.name);
    for (const auto& density : Densities(sheet)) {
      Canvas canvas = BuildSheet(sheet, density.factor, painter);
      auto path = dataDir / (sheet.name + density.suffix + ".png");
      if (!WritePng(path, canvas, error)) return false;
    }
  }
  return WritePng(dataDir / "brio_font.png", BuildBrioFont(), error);
}

namespace {

// Copies frames [first, first + count) of a sheet into a row of the preview.
void PlaceFrames(Canvas& out, const Canvas& sheet, const SheetSpec& layout, int factor, int first,
                 int count, int x, int y, int perRow) {
  int fw = layout.frameWidth * factor, fh = layout.frameHeight * factor;
  for (int i = 0; i < count; ++i) {
    int f = first + i;
    int sx = (f % layout.columns) * fw, sy = (f / layout.columns) * fh;
    Canvas frame(fw, fh);
    for (int yy = 0; yy < fh; ++yy) {
      for (int xx = 0; xx < fw; ++xx) frame.Blend(xx, yy, sheet.At(sx + xx, sy + yy), 1.0f);
    }
    out.Draw(frame, x + (i % perRow) * (fw + 4), y + (i / perRow) * (fh + 4));
  }
}

}  // namespace

Canvas BuildPreview() {
  const int kWidth = 1000, kHeight = 870;
  Canvas out(kWidth, kHeight);
  {
    Pen pen(out, 1.0f);
    pen.Cover([](float x, float y) {
      bool check = (static_cast<int>(x) / 16 + static_cast<int>(y) / 16) % 2 == 0;
      return check ? Rgb8(44, 46, 62) : Rgb8(52, 54, 72);
    });
  }
  auto sheetAt = [](const char* name, int factor) {
    const SheetSpec* layout = FindSheet(name);
    return BuildSheet(*layout, factor, PainterFor(name));
  };
  const SheetSpec& plr = *FindSheet("plr");
  Canvas players = sheetAt("plr", 2);
  PlaceFrames(out, players, plr, 2, 0, 30, 8, 8, 10);
  PlaceFrames(out, players, plr, 2, 50, 10, 8, 212, 10);
  const SheetSpec& flr = *FindSheet("flr");
  Canvas floor = sheetAt("flr", 2);
  int row = 0;
  for (int f : {1, 2, 3, 4, 5, 10, 11, 12, 13, 14, 20, 21, 22, 23, 24, 30, 31, 32, 33, 34}) {
    PlaceFrames(out, floor, flr, 2, f, 1, 8 + (row % 10) * 68, 290 + (row / 10) * 68, 1);
    ++row;
  }
  auto place = [&](const char* name, int factor, int first, int count, int x, int y, int perRow) {
    const SheetSpec& layout = *FindSheet(name);
    Canvas sheet = sheetAt(name, factor);
    PlaceFrames(out, sheet, layout, factor, first, count, x, y, perRow);
  };
  place("common/icons", 2, 0, 7, 8, 440, 7);
  place("common/Buttons", 1, 0, 3, 500, 440, 3);
  place("common/Buttons", 1, 12, 1, 710, 440, 1);
  place("common/Testcard_Circle", 1, 0, 1, 740, 600, 1);
  place("common/dpad", 2, 0, 4, 8, 512, 4);
  place("parts", 4, 0, 16, 300, 512, 8);
  place("common/icade", 1, 0, 2, 600, 512, 2);
  place("BadgesA", 1, 0, 10, 8, 590, 10);
  place("BadgesA", 1, 26, 10, 8, 658, 10);
  place("logo", 1, 0, 1, 720, 0, 1);
  place("common/ZORPLogo", 1, 0, 1, 720, 260, 1);
  // Text set the way the game sets it: cells centred on a pen that moves 7
  // units per character, here at scale 2 (the 2x cells) and 1.
  const SheetSpec& fontLayout = *FindSheet("fonts/editundo");
  for (int factor : {2, 1}) {
    Canvas font = sheetAt("fonts/editundo", factor);
    const char* lines[] = {"Gems Remaining : 3",
                           "Level Complete!",
                           "Drag the Green Character",
                           "ABCDEFGHIJKLMNOPQRSTUVWXYZ",
                           "abcdefghijklmnopqrstuvwxyz",
                           "0123456789 !?.,:;()+-=",
                           "\x80\x81\x82\x83\x84\x86\x8d\x97\x98\x9c\x9d\x9e"};
    int y = 730;
    int x0 = factor == 2 ? 24 : 500;
    for (const char* line : lines) {
      int x = x0;
      for (const char* p = line; *p; ++p) {
        int code = static_cast<unsigned char>(*p);
        if (code > 32 && code < 160) {
          PlaceFrames(out, font, fontLayout, factor, code - 32, 1, x - 8 * factor, y - 8 * factor,
                      1);
        }
        x += 7 * factor;
      }
      y += factor == 2 ? 19 : 14;
    }
  }
  return out;
}

std::string IcoFromPngs(const std::vector<std::pair<int, std::string>>& sizedPngs) {
  std::string out;
  auto u16 = [&](unsigned v) {
    out += static_cast<char>(v & 255);
    out += static_cast<char>((v >> 8) & 255);
  };
  auto u32 = [&](std::size_t v) {
    u16(static_cast<unsigned>(v & 0xFFFF));
    u16(static_cast<unsigned>((v >> 16) & 0xFFFF));
  };
  // The icon directory, one entry per image, then the PNGs themselves
  // (Windows reads PNG-compressed entries at every size).
  u16(0);
  u16(1);
  u16(static_cast<unsigned>(sizedPngs.size()));
  std::size_t offset = 6 + 16 * sizedPngs.size();
  for (const auto& [size, png] : sizedPngs) {
    out += static_cast<char>(size >= 256 ? 0 : size);  // 0 stands for 256
    out += static_cast<char>(size >= 256 ? 0 : size);
    out += '\0';  // no palette
    out += '\0';
    u16(1);   // planes
    u16(32);  // bits per pixel
    u32(png.size());
    u32(offset);
    offset += png.size();
  }
  for (const auto& entry : sizedPngs) out += entry.second;
  return out;
}

bool WriteIcons(const std::filesystem::path& folder, std::string* error) {
  std::vector<std::pair<int, std::string>> forIco;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    Canvas canvas(size, size);
    Pen pen(canvas, size / 256.0f);
    PaintAppIcon(pen, 0);
    const std::string name = "tripath-" + std::to_string(size) + ".png";
    if (!WritePng(folder / name, canvas, error)) return false;
    const std::vector<std::uint8_t> bytes = canvas.ToBytes();
    if (size != 128) forIco.emplace_back(size, imagefile::EncodePng(size, size, 4, bytes.data()));
  }
  return imagefile::WriteFileReplacing(folder / "tripath.ico", IcoFromPngs(forIco), error);
}

}  // namespace assets
