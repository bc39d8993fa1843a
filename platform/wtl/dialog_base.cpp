#include "platform/win32/dialog_base.h"

#include <vector>

#include "platform/win32/app_module.h"
#include "platform/wtl/ax_host.h"
#include "platform/wtl/dialog_template.h"

// What a dialog window needs of its owner and its template while it lives;
// the window's DWLP_USER slot points here from WM_INITDIALOG on.
class CDialogHost {
 public:
  CDialogHost(CDialogBase& owner, HWND& windowMember, LPARAM initParam)
      : m_owner(owner), m_windowMember(windowMember), m_initParam(initParam) {}

  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  bool Load(HINSTANCE module, int templateId);
  const std::vector<BYTE>& Template() const { return m_split.dialog; }

 private:
  bool CreateHostedControls(HWND window, HINSTANCE module) const;
  INT_PTR Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  CDialogBase& m_owner;
  HWND& m_windowMember;
  LPARAM m_initParam;
  SplitDialogTemplate m_split;
  std::map<DWORD, std::vector<BYTE>> m_initialState;
};

namespace {

// A resource's bytes, or none.
std::pair<const BYTE*, std::size_t> ResourceBytes(HINSTANCE module, int id, LPCSTR type) {
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
  if (found == nullptr) return {nullptr, 0};
  HGLOBAL loaded = LoadResource(module, found);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) return {nullptr, 0};
  return {static_cast<const BYTE*>(bytes), SizeofResource(module, found)};
}

// Results the dialog manager takes as the procedure's return value; every
// other result goes through DWLP_MSGRESULT.
bool ReturnsItsResult(UINT message) {
  switch (message) {
    case WM_INITDIALOG:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool CDialogHost::Load(HINSTANCE module, int templateId) {
  const auto dialog = ResourceBytes(module, templateId, RT_DIALOG);
  if (dialog.first == nullptr) return false;
  std::optional<SplitDialogTemplate> split = SplitHostedItems(dialog.first, dialog.second);
  if (!split) return false;
  m_split = std::move(*split);
  const auto state = ResourceBytes(module, templateId, MAKEINTRESOURCEA(240));  // RT_DLGINIT
  if (state.first != nullptr) m_initialState = ParseDialogInit(state.first, state.second);
  return true;
}

// Each hosted item becomes a host window in its place: the item's
// identifier, styles and rectangle (dialog units to pixels), in the template's
// Z order, with its persisted state.
bool CDialogHost::CreateHostedControls(HWND window, HINSTANCE module) const {
  for (const HostedItem& item : m_split.hosted) {
    RECT place = item.dialogUnits;
    MapDialogRect(window, &place);
    const auto state = m_initialState.find(item.id);
    CAxHostCreateData data{};
    if (state != m_initialState.end()) data = {state->second.data(), state->second.size()};
    HWND host = CreateWindowExW(
        item.exStyle, kAxHostClassNameW, item.classId.c_str(), item.style | WS_CHILD, place.left,
        place.top, place.right - place.left, place.bottom - place.top, window,
        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(item.id)), module, &data);
    if (host == nullptr) return false;
    HWND after =
        item.previousId != 0 ? GetDlgItem(window, static_cast<int>(item.previousId)) : HWND_TOP;
    SetWindowPos(host, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  return true;
}

INT_PTR CALLBACK CDialogHost::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CDialogHost* host = nullptr;
  if (message == WM_INITDIALOG) {
    host = reinterpret_cast<CDialogHost*>(lParam);
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(host));
    host->m_windowMember = window;
    // Without its hosted controls the dialog is not made at all.
    if (!host->CreateHostedControls(window, g_Module.GetResourceInstance())) {
      DestroyWindow(window);
      return FALSE;
    }
    lParam = host->m_initParam;
  } else {
    host = reinterpret_cast<CDialogHost*>(GetWindowLongPtrA(window, DWLP_USER));
  }
  return host != nullptr ? host->Dispatch(window, message, wParam, lParam) : FALSE;
}

INT_PTR CDialogHost::Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  const BOOL handled = m_owner.ProcessWindowMessage(window, message, wParam, lParam, result, 0);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, DWLP_USER, 0);
    m_windowMember = nullptr;
    m_owner.OnFinalMessage(window);
    return FALSE;
  }
  if (!handled) return FALSE;
  if (ReturnsItsResult(message)) return static_cast<INT_PTR>(result);
  SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
  return TRUE;
}

CDialogBase::CDialogBase() = default;

CDialogBase::~CDialogBase() = default;

void CDialogBase::OnFinalMessage(HWND) {}

HWND CDialogBase::CreateFromTemplate(int templateId, HWND& windowMember, HWND parent,
                                     LPARAM initParam) {
  const HINSTANCE module = g_Module.GetResourceInstance();
  auto host = std::make_unique<CDialogHost>(*this, windowMember, initParam);
  if (!host->Load(module, templateId)) return nullptr;
  m_host = std::move(host);
  HWND window = CreateDialogIndirectParamW(
      module, reinterpret_cast<const DLGTEMPLATE*>(m_host->Template().data()), parent,
      &CDialogHost::DialogProc, reinterpret_cast<LPARAM>(m_host.get()));
  if (window == nullptr || !IsWindow(window)) {
    windowMember = nullptr;
    return nullptr;
  }
  return window;
}
