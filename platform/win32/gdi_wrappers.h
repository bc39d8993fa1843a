#pragma once
// Small owners and views of window-side handles, the framework's on every
// system. CBitmap owns its bitmap and deletes it; CProgressBarCtrl only names
// a control. User-interface thread. (On Windows LoadBitmap is a macro for
// LoadBitmapA, which the method then takes as its name; callers agree.)

#include <utility>

#include "platform/win32/gdi.h"
#include "platform/win32/user_window.h"

class CBitmap {
 public:
  CBitmap() = default;
  ~CBitmap() { Attach(nullptr); }
  CBitmap(const CBitmap&) = delete;
  CBitmap& operator=(const CBitmap&) = delete;

  void Attach(HBITMAP bitmap) {
    if (m_hBitmap != nullptr) ::DeleteObject(m_hBitmap);
    m_hBitmap = bitmap;
  }
  HBITMAP LoadBitmap(HINSTANCE instance, WORD id) {
    Attach(::LoadBitmapA(instance, MAKEINTRESOURCEA(id)));
    return m_hBitmap;
  }
  // A bitmap that is not loaded has size 0 x 0.
  SIZE GetSize() const {
    BITMAP info{};
    if (m_hBitmap == nullptr || ::GetObjectA(m_hBitmap, sizeof info, &info) == 0) return SIZE{0, 0};
    return SIZE{info.bmWidth, info.bmHeight};
  }
  bool IsNull() const { return m_hBitmap == nullptr; }
  operator HBITMAP() const { return m_hBitmap; }

 private:
  HBITMAP m_hBitmap = nullptr;
};

class CProgressBarCtrl {
 public:
  void Attach(HWND control) { m_hWnd = control; }
  LRESULT SetRange(WORD low, WORD high) {
    return ::SendMessageA(m_hWnd, PBM_SETRANGE, 0, MAKELPARAM(low, high));
  }
  int SetPos(int position) {
    return static_cast<int>(::SendMessageA(m_hWnd, PBM_SETPOS, static_cast<WPARAM>(position), 0));
  }
  int GetPos() const { return static_cast<int>(::SendMessageA(m_hWnd, PBM_GETPOS, 0, 0)); }
  BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }

  HWND m_hWnd = nullptr;
};
