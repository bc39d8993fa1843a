#include "platform/wtl/app_module.h"

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

// The lock lives as long as the module, so the map may be asked before Init
// and after Term.
CAppModule::CAppModule() { InitializeCriticalSection(&m_csMessageLoops); }

CAppModule::~CAppModule() { DeleteCriticalSection(&m_csMessageLoops); }

HRESULT CAppModule::Init(void*, HINSTANCE instance) {
  m_hInstance = instance;
  m_dwMainThreadID = ::GetCurrentThreadId();
  return S_OK;
}

void CAppModule::Term() {
  CLock lock(m_csMessageLoops);
  m_messageLoops.clear();
}

BOOL CAppModule::AddMessageLoop(CMessageLoop* loop) {
  CLock lock(m_csMessageLoops);
  return m_messageLoops.emplace(::GetCurrentThreadId(), loop).second ? TRUE : FALSE;
}

BOOL CAppModule::RemoveMessageLoop() {
  CLock lock(m_csMessageLoops);
  return m_messageLoops.erase(::GetCurrentThreadId()) > 0 ? TRUE : FALSE;
}

CMessageLoop* CAppModule::GetMessageLoop(DWORD threadId) const {
  CLock lock(m_csMessageLoops);
  auto found = m_messageLoops.find(threadId);
  return found == m_messageLoops.end() ? nullptr : found->second;
}
