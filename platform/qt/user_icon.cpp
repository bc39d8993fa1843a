#include "platform/win32/user_icon.h"

#include <QImage>
#include <memory>

#include "platform/win32/app_module.h"
#include "user_objects.h"

HICON LoadImageA(HINSTANCE, LPCSTR name, UINT type, int width, int height, UINT) {
  if (type != IMAGE_ICON || !IS_INTRESOURCE(name)) return nullptr;
  const auto id = static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(name));
  QImage image(QStringLiteral(":/icon/%1").arg(id));
  if (image.isNull()) return nullptr;
  if (width <= 0) width = image.width();
  if (height <= 0) height = image.height();
  auto icon = std::make_unique<IconObject>();
  icon->pixmap = QPixmap::fromImage(
      image.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
  return g_Module.AdoptIcon(std::move(icon));
}

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXICON:
    case SM_CYICON:
      return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
      return 16;
    default:
      return 0;
  }
}
