#pragma once
// The Windows user-interface types and constants the window side is written
// against. GDI and window handles are opaque pointers; only the platform layer
// knows what stands behind them.

#ifdef _WIN32
#include <windows.h>
// The progress bar control, and the pointer position's signed halves.
#include <commctrl.h>
#include <windowsx.h>
#else

#include <cstdint>

#include "platform/win32/windows_types.h"

using HRESULT = std::int32_t;

constexpr HRESULT S_OK = 0;
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);

// GDI objects share one base so that SelectObject and DeleteObject take any.
struct GdiObject {
  virtual ~GdiObject() = default;
};
struct GdiBitmap : GdiObject {};
struct GdiRegion : GdiObject {};
struct GdiFont : GdiObject {};
using HGDIOBJ = GdiObject*;
using HBITMAP = GdiBitmap*;
using HRGN = GdiRegion*;
using HFONT = GdiFont*;

struct DeviceContext;
using HDC = DeviceContext*;
struct IconObject;
using HICON = IconObject*;
struct CursorObject;
using HCURSOR = CursorObject*;
struct ModuleObject;
using HINSTANCE = ModuleObject*;

struct SIZE {
  LONG cx;
  LONG cy;
};

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};

struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
};

struct BITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  void* bmBits;
};

// Messages.
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_GETFONT = 0x0031;
constexpr UINT WM_SETICON = 0x0080;
constexpr UINT WM_NCLBUTTONDOWN = 0x00A1;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;

// Progress bar control messages (sent to the control, never to the dialog).
constexpr UINT PBM_SETRANGE = WM_USER + 1;
constexpr UINT PBM_SETPOS = WM_USER + 2;
constexpr UINT PBM_GETPOS = WM_USER + 8;

constexpr WPARAM HTCAPTION = 2;
constexpr WPARAM ICON_SMALL = 0;
constexpr WPARAM ICON_BIG = 1;
constexpr WPARAM MK_LBUTTON = 0x0001;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr WORD BN_CLICKED = 0;

constexpr int VK_RETURN = 0x0D;
constexpr int VK_ESCAPE = 0x1B;

// Window styles.
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;

// Show commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWMINNOACTIVE = 7;
constexpr int SW_SHOWNA = 8;
constexpr int SW_RESTORE = 9;
constexpr int SW_SHOWDEFAULT = 10;

// SetWindowPos flags.
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOACTIVATE = 0x0010;

// Message boxes.
constexpr UINT MB_OK = 0x00000000;

// GDI.
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr int RGN_OR = 2;
constexpr int REGION_ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

constexpr UINT DT_VCENTER = 0x00000004;
constexpr UINT DT_SINGLELINE = 0x00000020;
constexpr UINT DT_CALCRECT = 0x00000400;

// Resources, icons and cursors.
constexpr UINT IMAGE_ICON = 1;
constexpr UINT LR_DEFAULTCOLOR = 0x0000;
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;
constexpr int SM_CXSMICON = 49;
constexpr int SM_CYSMICON = 50;

constexpr std::uintptr_t kIntResourceLimit = 0x10000;
inline LPCSTR MAKEINTRESOURCEA(WORD id) {
  return reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(id));
}
inline bool IS_INTRESOURCE(LPCSTR name) {
  return reinterpret_cast<std::uintptr_t>(name) < kIntResourceLimit;
}
inline const LPCSTR IDC_ARROW = MAKEINTRESOURCEA(32512);
inline const LPCSTR IDC_HAND = MAKEINTRESOURCEA(32649);

constexpr COLORREF RGB(BYTE red, BYTE green, BYTE blue) {
  return static_cast<COLORREF>(red) | (static_cast<COLORREF>(green) << 8) |
         (static_cast<COLORREF>(blue) << 16);
}
constexpr BYTE GetRValue(COLORREF color) { return static_cast<BYTE>(color & 0xFF); }
constexpr BYTE GetGValue(COLORREF color) { return static_cast<BYTE>((color >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF color) { return static_cast<BYTE>((color >> 16) & 0xFF); }

constexpr LPARAM MAKELPARAM(WORD low, WORD high) {
  return static_cast<LPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}
constexpr WPARAM MAKEWPARAM(WORD low, WORD high) {
  return static_cast<WPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}
// Pointer positions are signed 16-bit halves, so a point left of or above the
// window arrives negative.
constexpr int GET_X_LPARAM(LPARAM lParam) {
  return static_cast<std::int16_t>(static_cast<WORD>(lParam & 0xFFFF));
}
constexpr int GET_Y_LPARAM(LPARAM lParam) {
  return static_cast<std::int16_t>(static_cast<WORD>((lParam >> 16) & 0xFFFF));
}

inline BOOL PtInRect(const RECT* rect, POINT point) {
  return point.x >= rect->left && point.x < rect->right && point.y >= rect->top &&
         point.y < rect->bottom;
}

#endif  // _WIN32
