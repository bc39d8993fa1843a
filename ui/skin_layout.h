#pragma once
// Where the skin puts things, in the program's types; the numbers are those
// of res/skin_geometry.h. The status rectangle g_rcStatus lives with the
// download globals, since the piece check repaints it too.

#include "engine/download_globals.h"
#include "platform/win32/ui_types.h"
#include "res/skin_geometry.h"

extern const POINT g_ptMinimizeButton;
extern const POINT g_ptCloseButton;
extern const POINT g_ptStartButton;
// Hit rectangle of the start button.
extern const RECT g_rcStartArea;
// Where the plain and the hover start strips differ, in window pixels: a
// hover change repaints all of it together with the hit rectangle.
extern const RECT g_rcStartButtonFace;

// Cut out of the window's shape.
constexpr COLORREF kSkinKeyColor =
    RGB(skin::kKeyColour.red, skin::kKeyColour.green, skin::kKeyColour.blue);
constexpr COLORREF kStatusTextColor =
    RGB(skin::kStatusTextColour.red, skin::kStatusTextColour.green, skin::kStatusTextColour.blue);
