/* Shows a message box made as the Windows program makes its error boxes (no
   icon, one OK button) with the text given as the only argument, under the
   title "e2e-reference-box". The text comes through the Unicode command
   line, so it arrives as it was written. It stays open until killed. */
#include <windows.h>
/* After windows.h, which it needs. */
#include <shellapi.h>

int main(void) {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments == NULL || count != 2) return 2;
  for (;;) MessageBoxW(NULL, arguments[1], L"e2e-reference-box", MB_OK);
}
