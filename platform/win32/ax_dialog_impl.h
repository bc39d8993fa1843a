#pragma once
// The dialog base of the window side: a modeless dialog from template T::IDD
// that hosts components. It has no handle of its own; it reads and writes the
// derived class's m_hWnd. User-interface thread only.

#include "platform/win32/dialog_base.h"
#include "platform/win32/user_window.h"

template <class T>
class CAxDialogImpl : public CDialogBase {
 public:
  HWND Create(HWND parent, LPARAM initParam = 0) {
    return CreateFromTemplate(T::IDD, Self().m_hWnd, parent, initParam);
  }
  BOOL ShowWindow(int command) { return ::ShowWindow(Self().m_hWnd, command); }
  BOOL DestroyWindow() { return ::DestroyWindow(Self().m_hWnd); }
  HWND GetDlgItem(int id) const { return ::GetDlgItem(SelfConst().m_hWnd, id); }
  BOOL CenterWindow() { return ::CenterWindow(Self().m_hWnd); }

 private:
  T& Self() { return *static_cast<T*>(this); }
  const T& SelfConst() const { return *static_cast<const T*>(this); }
};
