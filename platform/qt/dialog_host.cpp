#include "dialog_host.h"

#include <QDialog>
#include <QFontDatabase>
#include <QIcon>

#include "dialog_widget.h"
#include "gdi_objects.h"
#include "hosted_control.h"
#include "platform/win32/dialog_base.h"
#include "progress_control.h"
#include "user_objects.h"

namespace {

constexpr char kProgressClass[] = "msctls_progress32";

QRect PixelRectOf(const DialogControlTemplate& control) {
  const RECT pixels = DialogRectToPixels(control.units);
  return QRect(pixels.left, pixels.top, pixels.right - pixels.left, pixels.bottom - pixels.top);
}

std::unique_ptr<CWindowObject> MakeControl(QWidget* parent, const DialogControlTemplate& control) {
  const QRect rect = PixelRectOf(control);
  if (control.className == kProgressClass) {
    return std::make_unique<CProgressControl>(parent, control.id, rect, control.style);
  }
  if (IsClassIdentifier(control.className)) {
    return CreateHostedControl(control.className, parent, control.id, rect);
  }
  return nullptr;
}

// The system's family stands in for a face that is not installed.
std::unique_ptr<CQtFont> FontOf(const DialogTemplate& dialog) {
  if (dialog.fontPoints <= 0) return nullptr;
  auto font = std::make_unique<CQtFont>();
  const QString face = QString::fromStdString(dialog.fontFace);
  if (QFontDatabase::hasFamily(face)) font->font.setFamily(face);
  font->font.setPixelSize(PointsToPixels(dialog.fontPoints));
  return font;
}

}  // namespace

CDialogHost::CDialogHost(CDialogBase* owner, const DialogTemplate& dialog)
    : CWindowObject(new CDialogWidget(this), 0, kKind), m_owner(owner), m_font(FontOf(dialog)) {
  m_dialogWidget = static_cast<CDialogWidget*>(Widget());
  m_dwStyle = dialog.style;
  m_dwExStyle = dialog.exStyle;
  m_dialogWidget->resize(DialogUnitsToPixelsX(dialog.units.cx),
                         DialogUnitsToPixelsY(dialog.units.cy));
}

CDialogHost::~CDialogHost() {
  m_controls.clear();
  Unregister();
  if (m_widget) {
    m_dialogWidget->Detach();
    delete m_widget.data();
  }
}

bool CDialogHost::CreateControls(const DialogTemplate& dialog) {
  for (const DialogControlTemplate& control : dialog.controls) {
    std::unique_ptr<CWindowObject> made = MakeControl(m_dialogWidget, control);
    if (!made) return false;
    made->m_dwStyle = control.style;
    made->m_dwExStyle = control.exStyle;
    if (!(control.style & WS_VISIBLE)) made->Widget()->hide();
    m_controls.push_back(std::move(made));
  }
  return true;
}

CWindowObject* CDialogHost::Control(int id) const {
  for (const auto& control : m_controls) {
    if (control->ControlId() == id && control->IsRegistered()) return control.get();
  }
  return nullptr;
}

LRESULT CDialogHost::Send(UINT message, WPARAM wParam, LPARAM lParam) {
  return Dispatch(message, wParam, lParam);
}

LRESULT CDialogHost::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND self = Handle();
  if (self == nullptr) return 0;
  LRESULT result = 0;
  if (m_owner != nullptr &&
      m_owner->ProcessWindowMessage(self, message, wParam, lParam, result, 0)) {
    return result;
  }
  return DefaultProcessing(message, wParam, lParam);
}

LRESULT CDialogHost::DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      return Dispatch(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    case WM_NCLBUTTONDOWN:
      if (wParam == HTCAPTION && m_widget) m_dialogWidget->BeginMove();
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(static_cast<HFONT>(m_font.get()));
    case WM_SETICON: {
      HICON previous = wParam == ICON_BIG ? m_bigIcon : m_smallIcon;
      SetIcon(wParam, reinterpret_cast<HICON>(lParam));
      return reinterpret_cast<LRESULT>(previous);
    }
    default:
      return 0;
  }
}

void CDialogHost::SetIcon(WPARAM which, HICON icon) {
  (which == ICON_BIG ? m_bigIcon : m_smallIcon) = icon;
  QIcon combined;
  for (HICON each : {m_bigIcon, m_smallIcon}) {
    if (each != nullptr) combined.addPixmap(each->pixmap);
  }
  if (m_widget) m_widget->setWindowIcon(combined);
}

BOOL CDialogHost::Destroy() {
  if (Handle() == nullptr || m_bDestroying) return FALSE;
  m_bDestroying = true;
  HWND self = Handle();
  CloseOwnedBoxes();
  m_dialogWidget->hide();
  Dispatch(WM_DESTROY, 0, 0);
  for (auto& control : m_controls) control->Unregister();
  Unregister();
  m_dialogWidget->Detach();
  // The widget may be the one whose event is being handled right now.
  m_dialogWidget->deleteLater();
  if (m_owner != nullptr) m_owner->OnFinalMessage(self);
  return TRUE;
}

void CDialogHost::CloseOwnedBoxes() {
  if (!m_widget) return;
  for (QDialog* box : m_widget->findChildren<QDialog*>()) box->done(QDialog::Rejected);
}
