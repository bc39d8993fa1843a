#pragma once
// The user-interface update base with an empty update map: the program keeps
// no update elements, so there is nothing to refresh when idle.

#include <memory>
#include <vector>

template <class T>
class CUpdateUI {
 public:
  CUpdateUI() : m_updateData(std::make_unique<std::vector<int>>()) {}
  bool UIUpdateChildWindows() { return true; }

 private:
  std::unique_ptr<std::vector<int>> m_updateData;
};
