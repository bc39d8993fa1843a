#pragma once
// One Xvfb display for a test suite, and what a player does on it, through
// xdotool (pointer, keys), xprop (window state) and ImageMagick's import
// (pictures of the screen or of one window).

#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/child_process.h"
#include "tests/e2e/screen_image.h"

namespace e2e {

struct WindowPlace {
  int x = 0, y = 0, width = 0, height = 0;
};

class VirtualDisplay {
 public:
  // Starts Xvfb on the first free display number from 60 on, 1024x768x24;
  // Ready() says whether that worked.
  VirtualDisplay();
  ~VirtualDisplay();
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;

  bool Ready() const { return !m_name.empty(); }
  const std::string& Name() const { return m_name; }  // ":N"
  std::vector<std::string> Environment() const;

  // Visible windows whose name matches the pattern (a regular expression).
  std::vector<std::string> FindWindows(const std::string& pattern) const;
  std::optional<WindowPlace> PlaceOf(const std::string& window) const;
  std::optional<Image> Screenshot() const;
  std::optional<Image> WindowPicture(const std::string& window) const;
  std::string Property(const std::string& window, const std::string& name) const;

  void MovePointer(int x, int y) const;
  void PressButton() const;
  void ReleaseButton() const;
  void Click() const;
  // Keys as xdotool names them ("Return", "alt+F4"), to the focused window.
  void Key(const std::string& keys) const;
  void Focus(const std::string& window) const;
  bool Xdotool(const std::vector<std::string>& arguments) const;

 private:
  std::string m_name;
  ChildProcess m_server;
  std::string m_scratch;  // screenshots pass through here
};

}  // namespace e2e
