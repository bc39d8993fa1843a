#pragma once
// The application module on Windows: the main thread, the message loop of
// each thread (a map under a critical section) and the module whose resources
// the program loads. Init and Term on the main thread.

#include <windows.h>

#include <map>

class CMessageLoop;

class CAppModule {
 public:
  CAppModule();
  ~CAppModule();
  CAppModule(const CAppModule&) = delete;
  CAppModule& operator=(const CAppModule&) = delete;

  HRESULT Init(void* objectMap, HINSTANCE instance);
  void Term();

  BOOL AddMessageLoop(CMessageLoop* loop);
  BOOL RemoveMessageLoop();
  CMessageLoop* GetMessageLoop(DWORD threadId = ::GetCurrentThreadId()) const;

  HINSTANCE GetResourceInstance() const { return m_hInstance; }
  DWORD m_dwMainThreadID = 0;

 private:
  mutable CRITICAL_SECTION m_csMessageLoops{};
  std::map<DWORD, CMessageLoop*> m_messageLoops;
  HINSTANCE m_hInstance = nullptr;
};

extern CAppModule g_Module;
