#include "platform/win32/message_loop.h"

#include <algorithm>

// The lists of a message loop, the same on every system; Run is the system's.

namespace {

template <typename Item>
BOOL AddOnce(std::vector<Item*>& list, Item* item) {
  if (item == nullptr || std::find(list.begin(), list.end(), item) != list.end()) return FALSE;
  list.push_back(item);
  return TRUE;
}

template <typename Item>
BOOL RemoveFrom(std::vector<Item*>& list, Item* item) {
  auto found = std::find(list.begin(), list.end(), item);
  if (found == list.end()) return FALSE;
  list.erase(found);
  return TRUE;
}

}  // namespace

BOOL CMessageLoop::AddMessageFilter(CMessageFilter* filter) { return AddOnce(m_filters, filter); }
BOOL CMessageLoop::RemoveMessageFilter(CMessageFilter* filter) {
  return RemoveFrom(m_filters, filter);
}
BOOL CMessageLoop::AddIdleHandler(CIdleHandler* handler) {
  return AddOnce(m_idleHandlers, handler);
}
BOOL CMessageLoop::RemoveIdleHandler(CIdleHandler* handler) {
  return RemoveFrom(m_idleHandlers, handler);
}

BOOL CMessageLoop::PreTranslateMessage(MSG* msg) {
  // A filter may remove itself while it runs.
  const std::vector<CMessageFilter*> filters = m_filters;
  for (auto filter = filters.rbegin(); filter != filters.rend(); ++filter) {
    if ((*filter)->PreTranslateMessage(msg)) return TRUE;
  }
  return FALSE;
}

BOOL CMessageLoop::OnIdle(int) {
  const std::vector<CIdleHandler*> handlers = m_idleHandlers;
  for (CIdleHandler* handler : handlers) handler->OnIdle();
  return FALSE;
}
