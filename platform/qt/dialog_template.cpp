#include "dialog_template.h"

#include <sstream>
#include <vector>

namespace {

LONG MulDiv(LONG value, LONG numerator, LONG denominator) {
  const long long product = static_cast<long long>(value) * numerator;
  const long long half = denominator / 2;
  return static_cast<LONG>(product >= 0 ? (product + half) / denominator
                                        : (product - half) / denominator);
}

// A line's tokens: numbers, names and quoted texts; commas separate.
std::vector<std::string> Tokens(const std::string& line) {
  std::vector<std::string> tokens;
  std::string token;
  bool quoted = false;
  for (char c : line) {
    if (quoted) {
      if (c == '"') {
        tokens.push_back(token);
        token.clear();
        quoted = false;
      } else {
        token += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',' || c == ' ' || c == '\t' || c == '\r') {
      if (!token.empty()) tokens.push_back(token);
      token.clear();
    } else {
      token += c;
    }
  }
  if (!token.empty()) tokens.push_back(token);
  return tokens;
}

template <typename Number>
bool ReadNumber(const std::string& text, Number& value) {
  try {
    std::size_t used = 0;
    const long long parsed = std::stoll(text, &used, 0);
    value = static_cast<Number>(parsed);
    return used == text.size();
  } catch (const std::exception&) {
    return false;
  }
}

// CONTROL "TEXT", ID, "CLASS", STYLE, X, Y, CX, CY[, EXSTYLE]
bool ReadControl(const std::vector<std::string>& tokens, DialogControlTemplate& control) {
  if (tokens.size() != 9 && tokens.size() != 10) return false;
  LONG place[4] = {};
  if (!ReadNumber(tokens[2], control.id) || !ReadNumber(tokens[4], control.style)) return false;
  for (int i = 0; i < 4; ++i) {
    if (!ReadNumber(tokens[5 + i], place[i])) return false;
  }
  if (tokens.size() == 10 && !ReadNumber(tokens[9], control.exStyle)) return false;
  control.className = tokens[3];
  control.units = RECT{place[0], place[1], place[0] + place[2], place[1] + place[3]};
  return true;
}

// A line between the dialog's head and its END; false when it is none of
// the forms.
bool ReadDialogLine(const std::vector<std::string>& tokens, DialogTemplate& dialog) {
  const std::string& keyword = tokens[0];
  if (keyword == "STYLE") return tokens.size() == 2 && ReadNumber(tokens[1], dialog.style);
  if (keyword == "EXSTYLE") return tokens.size() == 2 && ReadNumber(tokens[1], dialog.exStyle);
  // FONT POINTS, "FACE", WEIGHT, ITALIC, CHARSET: the face and size are what
  // the layer draws with.
  if (keyword == "FONT") {
    if (tokens.size() < 3 || !ReadNumber(tokens[1], dialog.fontPoints)) return false;
    dialog.fontFace = tokens[2];
    return true;
  }
  if (keyword == "CAPTION" || keyword == "LANGUAGE" || keyword == "BEGIN") return true;
  if (keyword == "CONTROL") {
    DialogControlTemplate control;
    if (!ReadControl(tokens, control)) return false;
    dialog.controls.push_back(control);
    return true;
  }
  return false;
}

bool IsDialogHead(const std::vector<std::string>& tokens, int id) {
  return tokens.size() == 6 && tokens[1] == "DIALOGEX" && tokens[0] == std::to_string(id);
}

}  // namespace

std::optional<DialogTemplate> ParseDialogTemplate(const std::string& script, int id) {
  DialogTemplate dialog;
  bool inside = false;
  std::istringstream lines(script);
  std::string line;
  while (std::getline(lines, line)) {
    const std::vector<std::string> tokens = Tokens(line);
    if (tokens.empty() || tokens[0].rfind("//", 0) == 0) continue;
    if (!inside) {
      if (!IsDialogHead(tokens, id)) continue;
      if (!ReadNumber(tokens[4], dialog.units.cx) || !ReadNumber(tokens[5], dialog.units.cy)) {
        return std::nullopt;
      }
      inside = true;
    } else if (tokens[0] == "END") {
      return dialog;
    } else if (!ReadDialogLine(tokens, dialog)) {
      return std::nullopt;
    }
  }
  return std::nullopt;
}

LONG PointsToPixels(LONG points) { return MulDiv(points, 96, 72); }

LONG DialogUnitsToPixelsX(LONG units) { return MulDiv(units, 6, 4); }
LONG DialogUnitsToPixelsY(LONG units) { return MulDiv(units, 13, 8); }

RECT DialogRectToPixels(const RECT& units) {
  return RECT{DialogUnitsToPixelsX(units.left), DialogUnitsToPixelsY(units.top),
              DialogUnitsToPixelsX(units.right), DialogUnitsToPixelsY(units.bottom)};
}

bool IsClassIdentifier(const std::string& className) {
  return !className.empty() && className[0] == '{';
}
