#pragma once
// Where the skin puts things, in window pixels (the window has no frame, so
// these are also client coordinates). The status rectangle g_rcStatus lives
// with the download globals, since the piece check repaints it too.

#include "engine/download_globals.h"
#include "platform/win32/ui_types.h"

extern const POINT g_ptMinimizeButton;
extern const POINT g_ptCloseButton;
extern const POINT g_ptStartButton;
// Hit rectangle of the start button.
extern const RECT g_rcStartArea;
// Where the plain and the hover start strips differ, in window pixels: a
// hover change repaints all of it together with the hit rectangle.
extern const RECT g_rcStartButtonFace;

// Cut out of the window's shape.
constexpr COLORREF kSkinKeyColor = RGB(255, 0, 255);
constexpr COLORREF kStatusTextColor = RGB(80, 168, 209);
