#pragma once
#include "layer_private.h"
// A dialog template held as text among the program's resources: the dialog's
// size and styles and its controls, all in dialog units. One line per item:
//   size CX CY | style HEX | exstyle HEX | font POINTS NAME
//   control ID "CLASS" STYLE EXSTYLE X Y CX CY
// Blank lines and lines starting with "#" are skipped.

#include <optional>
#include <string>
#include <vector>

#include "platform/win32/ui_types.h"

struct DialogControlTemplate {
  int id = 0;
  std::string className;
  DWORD style = 0;
  DWORD exStyle = 0;
  RECT units{0, 0, 0, 0};  // left, top, right, bottom in dialog units
};

struct DialogTemplate {
  SIZE units{0, 0};
  DWORD style = 0;
  DWORD exStyle = 0;
  std::vector<DialogControlTemplate> controls;
};

// No value when a line is not one of the forms above or the size is missing.
std::optional<DialogTemplate> ParseDialogTemplate(const std::string& text);

// Dialog units to pixels at base units of 6 x 13, rounded like MulDiv.
LONG DialogUnitsToPixelsX(LONG units);
LONG DialogUnitsToPixelsY(LONG units);
RECT DialogRectToPixels(const RECT& units);

// A control class given as a class identifier names a hosted component.
bool IsClassIdentifier(const std::string& className);
