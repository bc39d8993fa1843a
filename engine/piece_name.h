#pragma once
// Which piece names the program will store. A name becomes a path in the
// download folder by plain concatenation, and one manifest serves the Linux
// and the Windows program, so a name must mean the same single file in that
// folder on both systems.

#include <string>

// False for a name that is empty, "." or "..", holds a slash, a backslash or
// a NUL, or that Windows would store as another file or open as a device: a
// trailing dot or space, one of < > : " | ? * or the control characters 1 to
// 31, or a device name before the first dot (CON, PRN, AUX, NUL, CONIN$,
// CONOUT$, COM1-9 and LPT1-9 with the superscript digits too, in any case).
bool IsSafePieceName(const std::string& name);
