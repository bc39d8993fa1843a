#include "platform/win32/dialog_base.h"

#include <QFile>

#include "dialog_host.h"

namespace {

// The program's resource script, the same Windows compiles.
std::optional<DialogTemplate> LoadDialogTemplate(int templateId) {
  QFile file(QStringLiteral(":/script/veltra.rc"));
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  return ParseDialogTemplate(file.readAll().toStdString(), templateId);
}

}  // namespace

CDialogBase::CDialogBase() = default;

CDialogBase::~CDialogBase() = default;

void CDialogBase::OnFinalMessage(HWND) {}

HWND CDialogBase::CreateFromTemplate(int templateId, HWND& windowMember, HWND, LPARAM initParam) {
  std::optional<DialogTemplate> dialog = LoadDialogTemplate(templateId);
  if (!dialog) return nullptr;
  m_host = std::make_unique<CDialogHost>(this, *dialog);
  windowMember = m_host->Handle();
  if (!m_host->CreateControls(*dialog)) {
    m_host->Destroy();
    windowMember = nullptr;
    return nullptr;
  }
  CWindowObject* firstControl =
      m_host->Control(dialog->controls.empty() ? 0 : dialog->controls.front().id);
  m_host->Dispatch(WM_INITDIALOG,
                   reinterpret_cast<WPARAM>(firstControl ? firstControl->Handle() : nullptr),
                   initParam);
  if (!m_host->IsRegistered()) return nullptr;
  return windowMember;
}
