#include "platform/wtl/app_module.h"

#include <new>

CAppModule g_Module;

namespace {

// Holds the critical section for one scope.
class CLock {
 public:
  explicit CLock(CRITICAL_SECTION& section) : m_section(section) { EnterCriticalSection(&section); }
  ~CLock() { LeaveCriticalSection(&m_section); }
  CLock(const CLock&) = delete;
  CLock& operator=(const CLock&) = delete;

 private:
  CRITICAL_SECTION& m_section;
};

}  // namespace

HRESULT CAppModule::Init(void*, HINSTANCE instance) {
  m_hInstance = instance;
  m_dwMainThreadID = ::GetCurrentThreadId();
  InitializeCriticalSection(&m_csMessageLoops);
  m_pMessageLoops = new (std::nothrow) std::map<DWORD, CMessageLoop*>;
  return m_pMessageLoops != nullptr ? S_OK : E_OUTOFMEMORY;
}

void CAppModule::Term() {
  delete m_pMessageLoops;
  m_pMessageLoops = nullptr;
  DeleteCriticalSection(&m_csMessageLoops);
}

BOOL CAppModule::AddMessageLoop(CMessageLoop* loop) {
  CLock lock(m_csMessageLoops);
  if (m_pMessageLoops == nullptr) return FALSE;
  return m_pMessageLoops->emplace(::GetCurrentThreadId(), loop).second ? TRUE : FALSE;
}

BOOL CAppModule::RemoveMessageLoop() {
  CLock lock(m_csMessageLoops);
  if (m_pMessageLoops == nullptr) return FALSE;
  return m_pMessageLoops->erase(::GetCurrentThreadId()) > 0 ? TRUE : FALSE;
}

CMessageLoop* CAppModule::GetMessageLoop(DWORD threadId) const {
  CLock lock(m_csMessageLoops);
  if (m_pMessageLoops == nullptr) return nullptr;
  auto found = m_pMessageLoops->find(threadId);
  return found == m_pMessageLoops->end() ? nullptr : found->second;
}
