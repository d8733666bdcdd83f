// Frame painters for every sheet, and the helpers they share: the palette,
// the three owner symbols and the stroke lettering of the logos.
#pragma once

#include <string>

#include "tools/assets/catalog.h"
#include "tools/assets/raster.h"

namespace assets {

// Character colours as the game tints particles and backdrops with them.
Rgba CharacterColour(int owner);  // 1 Pim, 2 Lu, 3 Ost
Rgba Darken(const Rgba& c);       // outline tone of a colour

// Every owner has a shape as well as a colour, so that players who cannot
// tell green, blue and red apart still see who is who: Pim a circle, Lu a
// square, Ost a triangle. `size` is the half height of the symbol.
Shape OwnerSymbol(int owner, float cx, float cy, float size);

// Capital letters drawn as rounded strokes inside a box of the given height
// (the width is 0.62 of it); returns the advance. Supported: the letters of
// "TRIPATH" and "ZORP" and a few more.
Shape StrokeLetter(char letter, float x, float y, float height, float stroke);
float StrokeLetterWidth(char letter, float height);
Shape StrokeText(const std::string& text, float cx, float cy, float height, float stroke,
                 float spacing);

void PaintCharacterFrame(Pen& pen, int frame);
void PaintFloorFrame(Pen& pen, int frame);
void PaintGrid(Pen& pen, int frame);
void PaintMenu(Pen& pen, int frame);
void PaintLogo(Pen& pen, int frame);
// The program's icon (desktop entries, the window, the Windows .ico).
void PaintAppIcon(Pen& pen, int frame);
void PaintZorpLogo(Pen& pen, int frame);
void PaintTestcard(Pen& pen, int frame);
void PaintButtons(Pen& pen, int frame);
void PaintIcons(Pen& pen, int frame);
void PaintBadges(Pen& pen, int frame);
void PaintParts(Pen& pen, int frame);
void PaintIcade(Pen& pen, int frame);
void PaintDpad(Pen& pen, int frame);
void PaintEditUndo(Pen& pen, int frame);

// The painter of a sheet by its file name; empty when there is none.
FramePainter PainterFor(const std::string& name);

// The default-font strip (characters 32..127, one row, inset cells).
Canvas BuildBrioFont();

}  // namespace assets
