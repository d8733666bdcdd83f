#include "tools/assets/catalog.h"

#include <cstdio>

namespace assets {

const std::vector<SheetSpec>& ImageSheets() {
  // Long strips are laid out as grids so that the 4x sheets stay within
  // 4096 pixels; the loader wraps frames row by row whatever the width.
  static const std::vector<SheetSpec> sheets = {
      {"plr", 32, 32, 100, 10, true},
      {"flr", 32, 32, 100, 10, true},
      {"grid", 256, 256, 1, 1, true},
      {"BadgesA", 64, 64, 64, 8, true},
      {"fonts/editundo", 16, 16, 128, 16, true},
      {"common/Testcard_Circle", 256, 256, 1, 1, true},
      {"common/icade", 64, 64, 2, 2, true},
      {"common/ZORPLogo", 256, 256, 1, 1, true},
      {"common/dpad", 32, 32, 16, 4, true},
      {"common/Buttons", 64, 64, 16, 4, true},
      {"parts", 8, 8, 16, 4, true},
      {"common/icons", 32, 32, 16, 4, true},
      {"logo", 256, 256, 1, 1, true},
      {"menu", 256, 256, 4, 2, true},
  };
  return sheets;
}

const SheetSpec* FindSheet(const std::string& name) {
  for (const auto& s : ImageSheets()) {
    if (s.name == name) return &s;
  }
  return nullptr;
}

const std::vector<Density>& Densities(const SheetSpec& sheet) {
  static const std::vector<Density> all = {{1, ""}, {2, "-hd"}, {4, "-hd2"}};
  static const std::vector<Density> plain = {{1, ""}};
  return sheet.hd ? all : plain;
}

int SheetWidth(const SheetSpec& sheet, int factor) {
  return sheet.columns * sheet.frameWidth * factor;
}

int SheetHeight(const SheetSpec& sheet, int factor) {
  int rows = (sheet.frameCount + sheet.columns - 1) / sheet.columns;
  return rows * sheet.frameHeight * factor;
}

const std::vector<int>& SoundNumbers() {
  static const std::vector<int> numbers = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11,
                                           12, 13, 15, 16, 17, 18, 19, 20, 95, 98, 99};
  return numbers;
}

std::string SoundFileName(int number) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "sfx/%03d.wav", number);
  return buf;
}

std::vector<std::string> InstrumentFileNames() {
  std::vector<std::string> names;
  for (int k = 1; k <= 8; ++k) names.push_back("inst/d0-" + std::to_string(k) + ".wav");
  names.push_back("inst/lead0.wav");
  names.push_back("inst/accompany0.wav");
  names.push_back("inst/bass0.wav");
  return names;
}

Canvas BuildSheet(const SheetSpec& sheet, int factor, const FramePainter& painter) {
  Canvas out(SheetWidth(sheet, factor), SheetHeight(sheet, factor));
  for (int f = 0; f < sheet.frameCount; ++f) {
    Canvas frame(sheet.frameWidth * factor, sheet.frameHeight * factor);
    Pen pen(frame, static_cast<float>(factor));
    painter(pen, f);
    int col = f % sheet.columns, row = f / sheet.columns;
    out.Draw(frame, col * sheet.frameWidth * factor, row * sheet.frameHeight * factor);
  }
  return out;
}

}  // namespace assets
