#include "platform/kernel/window_table.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <shared_mutex>
#include <unordered_map>

namespace {

struct Entry {
  CMessageTarget* target;
  int kind;
};

struct TargetTable {
  std::shared_mutex mutex;
  std::unordered_map<std::uintptr_t, Entry> targets;
  std::uintptr_t lastId = 0;
};

TargetTable& Table() {
  static TargetTable table;
  return table;
}

std::uintptr_t IdOf(HWND window) { return reinterpret_cast<std::uintptr_t>(window); }

template <typename Call>
BOOL WithTarget(HWND window, Call call) {
  TargetTable& table = Table();
  std::shared_lock<std::shared_mutex> lock(table.mutex);
  auto found = table.targets.find(IdOf(window));
  if (found == table.targets.end()) return FALSE;
  call(*found->second.target);
  return TRUE;
}

}  // namespace

HWND RegisterMessageTarget(CMessageTarget* target, int kind) {
  TargetTable& table = Table();
  std::unique_lock<std::shared_mutex> lock(table.mutex);
  std::uintptr_t id = ++table.lastId;
  table.targets.emplace(id, Entry{target, kind});
  return reinterpret_cast<HWND>(id);
}

CMessageTarget* FindMessageTarget(HWND window, int kind) {
  TargetTable& table = Table();
  std::shared_lock<std::shared_mutex> lock(table.mutex);
  auto found = table.targets.find(IdOf(window));
  if (found == table.targets.end() || found->second.kind != kind) return nullptr;
  return found->second.target;
}

void UnregisterMessageTarget(HWND window) {
  TargetTable& table = Table();
  std::unique_lock<std::shared_mutex> lock(table.mutex);
  table.targets.erase(IdOf(window));
}

BOOL IsWindow(HWND window) {
  return WithTarget(window, [](CMessageTarget&) {});
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return WithTarget(window, [&](CMessageTarget& target) { target.Post(message, wParam, lParam); });
}

BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase) {
  return WithTarget(window, [&](CMessageTarget& target) { target.Invalidate(rect, erase); });
}
