// The screen's DPI and the fonts the windows use, so that every window is
// laid out and lettered the same way for the DPI the system runs at.
#pragma once

#include <windows.h>

namespace mb {

struct ScreenDpi {
    int x = 96;
    int y = 96;
};

// The DPI of the screen (96 in both directions when it cannot be asked).
ScreenDpi QueryScreenDpi();

// A length of the windows' designs, in twips (1/1440 inch), in pixels.
inline int TwipsToPixelsX(int twips, const ScreenDpi& dpi) { return MulDiv(twips, dpi.x, 1440); }
inline int TwipsToPixelsY(int twips, const ScreenDpi& dpi) { return MulDiv(twips, dpi.y, 1440); }

// The font of the system's message boxes, which the user's settings and the
// DPI already size; null when the system does not say.
HFONT CreateMessageFont();

// A font of the face at hundredthsOfPoint / 100 points for dpi, normal
// weight (8.25 pt: 825).
HFONT CreatePointFont(const char* face, int hundredthsOfPoint, int dpi);

}  // namespace mb
