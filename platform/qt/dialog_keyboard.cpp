#include "platform/win32/dialog_keyboard.h"

#include "platform/win32/user_window.h"
#include "window_object.h"

namespace {

bool BelongsToDialog(HWND dialog, HWND window) {
  if (window == dialog) return true;
  CWindowObject* object = CWindowObject::FromHandle(window);
  // A hosted control takes its own keys.
  return object != nullptr && object->Kind() != WindowKind::Hosted && object->ControlId() != 0 &&
         GetDlgItem(dialog, object->ControlId()) == window;
}

}  // namespace

BOOL IsDialogMessageA(HWND dialog, MSG* msg) {
  if (msg == nullptr || msg->message != WM_KEYDOWN || !BelongsToDialog(dialog, msg->hwnd)) {
    return FALSE;
  }
  int command = 0;
  if (msg->wParam == VK_RETURN) command = IDOK;
  if (msg->wParam == VK_ESCAPE) command = IDCANCEL;
  if (command == 0) return FALSE;
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(command), BN_CLICKED), 0);
  return TRUE;
}
