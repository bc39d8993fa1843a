#pragma once
// GDI on QPainter, QImage, QRegion and QFont: device contexts, bitmaps,
// regions, fonts and text. User-interface thread only. Paint device contexts draw only between
// BeginPaint and EndPaint inside a repaint of the window; outside one,
// BeginPaint hands out a context that can only make compatible ones.

#ifdef _WIN32
#include <windows.h>
#else

#include "platform/win32/ui_types.h"

HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);

// A memory context holding a 1 x 1 bitmap until another is selected.
HDC CreateCompatibleDC(HDC hdc);
BOOL DeleteDC(HDC hdc);
// A font goes into any context, a bitmap only into a memory one. Returns the
// object of that kind selected before; null when nothing was selected.
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);

BOOL BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX,
            int sourceY, DWORD rop);
COLORREF GetPixel(HDC hdc, int x, int y);
// Fills a BITMAP for a bitmap; returns the bytes written, 0 for anything else.
int GetObjectA(HGDIOBJ object, int size, void* buffer);

HRGN CreateRectRgn(int left, int top, int right, int bottom);
int CombineRgn(HRGN destination, HRGN first, HRGN second, int mode);

int SetBkMode(HDC hdc, int mode);
COLORREF SetTextColor(HDC hdc, COLORREF color);
// In the context's font. A length of -1 means up to the terminating zero.
// With DT_CALCRECT it draws nothing and moves the rectangle's right and bottom
// edges to fit the text instead; any context can measure.
int DrawTextW(HDC hdc, LPCWSTR text, int length, RECT* rect, UINT format);

// Bitmaps are the program's embedded resources ":/bitmap/ID".
HBITMAP LoadBitmapA(HINSTANCE instance, LPCSTR name);

#endif  // _WIN32
