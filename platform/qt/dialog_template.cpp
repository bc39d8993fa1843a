#include "dialog_template.h"

#include <sstream>

namespace {

LONG MulDiv(LONG value, LONG numerator, LONG denominator) {
  const long long product = static_cast<long long>(value) * numerator;
  const long long half = denominator / 2;
  return static_cast<LONG>(product >= 0 ? (product + half) / denominator
                                        : (product - half) / denominator);
}

bool ReadHex(std::istream& in, DWORD& value) {
  std::string text;
  if (!(in >> text)) return false;
  try {
    size_t used = 0;
    const unsigned long parsed = std::stoul(text, &used, 0);
    value = static_cast<DWORD>(parsed);
    return used == text.size();
  } catch (const std::exception&) {
    return false;
  }
}

bool ReadQuoted(std::istream& in, std::string& value) {
  char quote = 0;
  if (!(in >> quote) || quote != '"') return false;
  return static_cast<bool>(std::getline(in, value, '"'));
}

bool ReadControl(std::istream& in, DialogControlTemplate& control) {
  LONG x = 0, y = 0, cx = 0, cy = 0;
  if (!(in >> control.id) || !ReadQuoted(in, control.className)) return false;
  if (!ReadHex(in, control.style) || !ReadHex(in, control.exStyle)) return false;
  if (!(in >> x >> y >> cx >> cy)) return false;
  control.units = RECT{x, y, x + cx, y + cy};
  return true;
}

bool ReadLine(const std::string& line, DialogTemplate& dialog, bool& sized) {
  std::istringstream in(line);
  std::string keyword;
  if (!(in >> keyword) || keyword[0] == '#') return true;
  if (keyword == "size") {
    sized = static_cast<bool>(in >> dialog.units.cx >> dialog.units.cy);
    return sized;
  }
  if (keyword == "style") return ReadHex(in, dialog.style);
  if (keyword == "exstyle") return ReadHex(in, dialog.exStyle);
  if (keyword == "font") return true;  // the layer draws with the system font
  if (keyword == "control") {
    DialogControlTemplate control;
    if (!ReadControl(in, control)) return false;
    dialog.controls.push_back(control);
    return true;
  }
  return false;
}

}  // namespace

std::optional<DialogTemplate> ParseDialogTemplate(const std::string& text) {
  DialogTemplate dialog;
  bool sized = false;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (!ReadLine(line, dialog, sized)) return std::nullopt;
  }
  if (!sized) return std::nullopt;
  return dialog;
}

LONG DialogUnitsToPixelsX(LONG units) { return MulDiv(units, 6, 4); }
LONG DialogUnitsToPixelsY(LONG units) { return MulDiv(units, 13, 8); }

RECT DialogRectToPixels(const RECT& units) {
  return RECT{DialogUnitsToPixelsX(units.left), DialogUnitsToPixelsY(units.top),
              DialogUnitsToPixelsX(units.right), DialogUnitsToPixelsY(units.bottom)};
}

bool IsClassIdentifier(const std::string& className) {
  return !className.empty() && className[0] == '{';
}
