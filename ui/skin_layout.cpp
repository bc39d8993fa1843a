#include "ui/skin_layout.h"

const POINT g_ptMinimizeButton = {476, 84};
const POINT g_ptCloseButton = {519, 84};
const POINT g_ptStartButton = {69, 505};
const RECT g_rcStartArea = {223, 505, 407, 561};
// Strip columns 146-309 and rows 5-50, placed at g_ptStartButton.
const RECT g_rcStartButtonFace = {69 + 146, 505 + 5, 69 + 310, 505 + 51};
