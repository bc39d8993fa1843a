#pragma once
#include "layer_private.h"
// A dialog template as the program's resource script (res/veltra.rc) gives
// it, the one Windows compiles: the dialog's size and styles and its
// controls, all in dialog units. The dialog's lines are
//   ID DIALOGEX X, Y, CX, CY
//   STYLE NUMBER | EXSTYLE NUMBER | FONT POINTS, "FACE", ... | CAPTION "..." |
//   LANGUAGE ...
//   BEGIN
//   CONTROL "TEXT", ID, "CLASS", STYLE, X, Y, CX, CY[, EXSTYLE]
//   END
// with styles as numbers. Other resources, blank lines and "//" comments are
// passed over.

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
  LONG fontPoints = 0;  // 0 when the template names no font
  std::string fontFace;
  std::vector<DialogControlTemplate> controls;
};

// Dialog ID of the script; no value when it is missing or a line of it is not
// one of the forms above.
std::optional<DialogTemplate> ParseDialogTemplate(const std::string& script, int id);

// A font's point size in pixels at the 96 dots per inch that dialog units
// assume, rounded like MulDiv.
LONG PointsToPixels(LONG points);

// Dialog units to pixels at base units of 6 x 13, rounded like MulDiv.
LONG DialogUnitsToPixelsX(LONG units);
LONG DialogUnitsToPixelsY(LONG units);
RECT DialogRectToPixels(const RECT& units);

// A control class given as a class identifier names a hosted component.
bool IsClassIdentifier(const std::string& className);
