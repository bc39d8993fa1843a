#include "platform/win32/app_module.h"

#include <QApplication>

#include "start_failure.h"
#include "user_objects.h"

CAppModule g_Module;

namespace {

// Qt keeps references to these for the application's lifetime. The program
// takes nothing from its command line.
int g_argumentCount = 1;
char g_programName[] = "veltra-setup";
char* g_arguments[] = {g_programName, nullptr};

}  // namespace

CAppModule::CAppModule() = default;

CAppModule::~CAppModule() = default;

HRESULT CAppModule::Init(void*, HINSTANCE instance) {
  m_hInstance = instance;
  m_mainThread = std::this_thread::get_id();
  InstallToolkitMessageHandler();
  if (QApplication::instance() == nullptr) {
    m_application = std::make_unique<QApplication>(g_argumentCount, g_arguments);
  }
  return S_OK;
}

void CAppModule::Term() {
  {
    std::lock_guard<std::mutex> lock(m_lock);
    m_loops.clear();
  }
  // Pixmaps go before the application they were made under.
  m_icons.clear();
  m_application.reset();
}

HICON CAppModule::AdoptIcon(std::unique_ptr<IconObject> icon) {
  m_icons.push_back(std::move(icon));
  return m_icons.back().get();
}

BOOL CAppModule::AddMessageLoop(CMessageLoop* loop) {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_loops.emplace(std::this_thread::get_id(), loop).second ? TRUE : FALSE;
}

BOOL CAppModule::RemoveMessageLoop() {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_loops.erase(std::this_thread::get_id()) > 0 ? TRUE : FALSE;
}

CMessageLoop* CAppModule::GetMessageLoop(std::thread::id thread) const {
  std::lock_guard<std::mutex> lock(m_lock);
  auto found = m_loops.find(thread);
  return found == m_loops.end() ? nullptr : found->second;
}
