// The program: start-up, the dialog, the message loop and the exit code.
// Everything runs on the first thread, which is the user-interface thread.

#include <curl/curl.h>

#include "package_key.h"
#include "platform/win32/app_module.h"
#include "platform/win32/common_controls.h"
#include "platform/win32/component_host.h"
#include "platform/win32/message_loop.h"
#include "platform/win32/program_entry.h"
#include "ui/main_dlg.h"
#include "utility/curl_memory.h"
#include "utility/hex_text.h"

namespace {

// None for a program built without a key; CMake took only well-formed ones.
std::optional<P256PublicKey> BuiltInPackageKey() {
  P256PublicKey key{};
  if (!ParseHex(kPackagePublicKey, key.data(), key.size())) return std::nullopt;
  return key;
}

int Run(LPSTR, int showCommand) {
  CMessageLoop theLoop;
  g_Module.AddMessageLoop(&theLoop);
  kelpa::utility::global_init_with_kept_blocks(CURL_GLOBAL_ALL);

  CMainDlg dlgMain;
  dlgMain.m_packageKey = BuiltInPackageKey();
  // The loop and libcurl are left as they are: the process ends right away.
  if (dlgMain.Create(nullptr, 0) == nullptr) return 0;
  dlgMain.ShowWindow(showCommand);

  const int exitCode = theLoop.Run();
  g_Module.RemoveMessageLoop();
  curl_global_cleanup();
  return exitCode;
}

}  // namespace

// The command line is not used. An exit code of -1 shows as 255 on POSIX.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  CoInitialize(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  g_Module.Init(nullptr, instance);
  AtlAxWinInit();
  const int exitCode = Run(commandLine, showCommand);
  g_Module.Term();
  CoUninitialize();
  return exitCode;
}
