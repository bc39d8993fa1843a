#include "ui/skin_layout.h"

#include "res/skin_geometry.h"

namespace {

constexpr POINT PointOf(skin::Point point) { return POINT{point.x, point.y}; }
constexpr RECT RectOf(skin::Box box) { return RECT{box.left, box.top, box.right, box.bottom}; }

}  // namespace

const POINT g_ptMinimizeButton = PointOf(skin::kMinimizeButton);
const POINT g_ptCloseButton = PointOf(skin::kCloseButton);
const POINT g_ptStartButton = PointOf(skin::kStartStrip);
const RECT g_rcStartArea = RectOf(skin::kStartHitArea);
const RECT g_rcStartButtonFace =
    RectOf(skin::Box{skin::kStartStrip.x + skin::kStripButtonFace.left,
                     skin::kStartStrip.y + skin::kStripButtonFace.top,
                     skin::kStartStrip.x + skin::kStripButtonFace.right,
                     skin::kStartStrip.y + skin::kStripButtonFace.bottom});
