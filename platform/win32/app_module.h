#pragma once
// The application module: the main thread, the message loop of each thread
// and the module whose resources the program loads; on POSIX also the Qt
// application object and the icons the program loads. Init and Term on the
// main thread; the loop map is locked.

#ifdef _WIN32
#include "platform/wtl/app_module.h"
#else

#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/win32/ui_types.h"

class CMessageLoop;
class QApplication;

class CAppModule {
 public:
  CAppModule();
  ~CAppModule();
  CAppModule(const CAppModule&) = delete;
  CAppModule& operator=(const CAppModule&) = delete;

  // Makes the Qt application unless one exists already (tests make their own).
  HRESULT Init(void* objectMap, HINSTANCE instance);
  void Term();

  BOOL AddMessageLoop(CMessageLoop* loop);
  BOOL RemoveMessageLoop();
  CMessageLoop* GetMessageLoop(std::thread::id thread = std::this_thread::get_id()) const;

  HINSTANCE GetResourceInstance() const { return m_hInstance; }
  std::thread::id m_mainThread;

  // A window only borrows its icons, so the module keeps every icon loaded
  // until Term, when no window is left. User-interface thread only.
  HICON AdoptIcon(std::unique_ptr<IconObject> icon);

 private:
  mutable std::mutex m_lock;
  std::map<std::thread::id, CMessageLoop*> m_loops;
  std::vector<std::unique_ptr<IconObject> > m_icons;
  std::unique_ptr<QApplication> m_application;
  HINSTANCE m_hInstance = nullptr;
};

extern CAppModule g_Module;

#endif  // _WIN32
