#pragma once
// The non-template half of a modeless dialog: creates the window from a
// dialog template among the program's resources, with the template's hosted
// components made before WM_INITDIALOG, and feeds every message of the window
// into ProcessWindowMessage. User-interface thread only. Owns what the system
// side of its window needs (on POSIX the Qt side; on Windows the template it
// was made from) until it is destroyed.

#include <memory>

#include "platform/win32/ui_types.h"

class CDialogHost;

class CDialogBase {
 public:
  CDialogBase();
  virtual ~CDialogBase();
  CDialogBase(const CDialogBase&) = delete;
  CDialogBase& operator=(const CDialogBase&) = delete;

  // The message map: TRUE when a handler took the message, with its result.
  virtual BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    LRESULT& result, DWORD mapId) = 0;
  // Called once the window is gone.
  virtual void OnFinalMessage(HWND window);

 protected:
  // Writes the new handle into windowMember before WM_INITDIALOG arrives, so
  // the handlers can use it. Returns null when the template cannot be read,
  // a control cannot be made, or the window was destroyed during its
  // initialisation.
  HWND CreateFromTemplate(int templateId, HWND& windowMember, HWND parent, LPARAM initParam);

 private:
  std::unique_ptr<CDialogHost> m_host;
};
