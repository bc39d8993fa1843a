#include "platform/wtl/ax_host.h"

#include <mshtmhst.h>
#include <ole2.h>

#include "platform/win32/component_host.h"
#include "platform/win32/web_browser.h"

namespace {

// The site of one hosted control; the host window holds one reference, the
// control its own. Its one IUnknown serves every interface it answers.
class CAxHostSite final : public IOleClientSite,
                          public IOleInPlaceSite,
                          public IOleInPlaceFrame,
                          public IDocHostUIHandler {
 public:
  explicit CAxHostSite(HWND window) : m_hWnd(window) {}

  void CreateControl(const CLSID& classId, const CAxHostCreateData* data);
  void DestroyControl();
  void Resize();
  IOleObject* Control() const { return m_control; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
  ULONG STDMETHODCALLTYPE Release() override;

  // IOleClientSite
  HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
    *moniker = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override {
    *container = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow, of the in-place site and of the frame alike.
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override;
  HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame,
                                             IOleInPlaceUIWindow** document, LPRECT position,
                                             LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) override;
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override;
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override;

  // IOleInPlaceUIWindow and IOleInPlaceFrame: no toolbars, no menus.
  HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override {
    return INPLACE_E_NOTOOLSPACE;
  }
  HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

  // IDocHostUIHandler: the defaults, with a flat border.
  HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override {
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* info) override;
  HRESULT STDMETHODCALLTYPE ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*,
                                   IOleInPlaceFrame*, IOleInPlaceUIWindow*) override {
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE HideUI() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE UpdateUI() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, const GUID*, DWORD) override {
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR* key, DWORD) override {
    *key = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget*, IDropTarget** target) override {
    *target = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** external) override {
    *external = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD, LPWSTR, LPWSTR* translated) override {
    *translated = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject*, IDataObject** filtered) override {
    *filtered = nullptr;
    return S_FALSE;
  }

 private:
  ~CAxHostSite() = default;
  void LoadState(const CAxHostCreateData* data);

  ULONG m_references = 1;
  HWND m_hWnd;
  IOleObject* m_control = nullptr;
  IOleInPlaceObject* m_inPlace = nullptr;
};

HRESULT CAxHostSite::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite)) {
    *object = static_cast<IOleClientSite*>(this);
  } else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite)) {
    *object = static_cast<IOleInPlaceSite*>(this);
  } else if (IsEqualIID(iid, IID_IOleInPlaceUIWindow) || IsEqualIID(iid, IID_IOleInPlaceFrame)) {
    *object = static_cast<IOleInPlaceFrame*>(this);
  } else if (IsEqualIID(iid, IID_IDocHostUIHandler)) {
    *object = static_cast<IDocHostUIHandler*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG CAxHostSite::Release() {
  const ULONG left = --m_references;
  if (left == 0) delete this;
  return left;
}

HRESULT CAxHostSite::GetWindow(HWND* window) {
  if (window == nullptr) return E_POINTER;
  *window = m_hWnd;
  return S_OK;
}

HRESULT CAxHostSite::OnInPlaceActivate() {
  if (m_inPlace == nullptr && m_control != nullptr) {
    m_control->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&m_inPlace));
  }
  return S_OK;
}

HRESULT CAxHostSite::OnInPlaceDeactivate() {
  if (m_inPlace != nullptr) m_inPlace->Release();
  m_inPlace = nullptr;
  return S_OK;
}

HRESULT CAxHostSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                      LPRECT position, LPRECT clip,
                                      LPOLEINPLACEFRAMEINFO frameInfo) {
  if (frame == nullptr || document == nullptr || position == nullptr || clip == nullptr ||
      frameInfo == nullptr) {
    return E_POINTER;
  }
  *frame = this;
  AddRef();
  *document = nullptr;
  GetClientRect(m_hWnd, position);
  *clip = *position;
  frameInfo->cb = sizeof *frameInfo;
  frameInfo->fMDIApp = FALSE;
  frameInfo->hwndFrame = GetAncestor(m_hWnd, GA_ROOT);
  frameInfo->haccel = nullptr;
  frameInfo->cAccelEntries = 0;
  return S_OK;
}

HRESULT CAxHostSite::OnPosRectChange(LPCRECT) {
  Resize();
  return S_OK;
}

HRESULT CAxHostSite::GetHostInfo(DOCHOSTUIINFO* info) {
  if (info == nullptr) return E_POINTER;
  info->cbSize = sizeof *info;
  info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER;
  info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
  info->pchHostCss = nullptr;
  info->pchHostNS = nullptr;
  return S_OK;
}

// The state comes as a stream; a control that cannot read it starts new.
void CAxHostSite::LoadState(const CAxHostCreateData* data) {
  IPersistStreamInit* persist = nullptr;
  if (FAILED(
          m_control->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist)))) {
    return;
  }
  IStream* stream = nullptr;
  bool loaded = false;
  if (data != nullptr && data->size > 0 &&
      SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) {
    ULONG written = 0;
    LARGE_INTEGER start{};
    loaded = SUCCEEDED(stream->Write(data->state, static_cast<ULONG>(data->size), &written)) &&
             SUCCEEDED(stream->Seek(start, STREAM_SEEK_SET, nullptr)) &&
             SUCCEEDED(persist->Load(stream));
    stream->Release();
  }
  if (!loaded) persist->InitNew();
  persist->Release();
}

void CAxHostSite::CreateControl(const CLSID& classId, const CAxHostCreateData* data) {
  if (FAILED(CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                              reinterpret_cast<void**>(&m_control)))) {
    m_control = nullptr;
    return;
  }
  DWORD misc = 0;
  m_control->GetMiscStatus(DVASPECT_CONTENT, &misc);
  const bool siteFirst = (misc & OLEMISC_SETCLIENTSITEFIRST) != 0;
  if (siteFirst) m_control->SetClientSite(this);
  LoadState(data);
  if (!siteFirst) m_control->SetClientSite(this);
  RECT area{};
  GetClientRect(m_hWnd, &area);
  m_control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, m_hWnd, &area);
}

void CAxHostSite::DestroyControl() {
  if (m_inPlace != nullptr) m_inPlace->InPlaceDeactivate();
  OnInPlaceDeactivate();
  if (m_control == nullptr) return;
  m_control->Close(OLECLOSE_NOSAVE);
  m_control->SetClientSite(nullptr);
  m_control->Release();
  m_control = nullptr;
}

void CAxHostSite::Resize() {
  if (m_inPlace == nullptr) return;
  RECT area{};
  GetClientRect(m_hWnd, &area);
  m_inPlace->SetObjectRects(&area, &area);
}

CAxHostSite* SiteOf(HWND window) {
  return reinterpret_cast<CAxHostSite*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      auto* site = new CAxHostSite(window);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(site));
      wchar_t text[64] = {};
      GetWindowTextW(window, text, 64);
      CLSID classId{};
      if (SUCCEEDED(CLSIDFromString(text, &classId))) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        site->CreateControl(classId, static_cast<const CAxHostCreateData*>(create->lpCreateParams));
      }
      return 0;
    }
    case WM_SIZE:
      if (CAxHostSite* site = SiteOf(window)) site->Resize();
      break;
    case WM_DESTROY:
      if (CAxHostSite* site = SiteOf(window)) site->DestroyControl();
      break;
    case WM_NCDESTROY:
      if (CAxHostSite* site = SiteOf(window)) site->Release();
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

bool IsHostWindow(HWND window) {
  wchar_t name[32] = {};
  return window != nullptr && GetClassNameW(window, name, 32) > 0 &&
         lstrcmpW(name, kAxHostClassNameW) == 0;
}

}  // namespace

BOOL AtlAxWinInit() {
  WNDCLASSEXW hostClass{};
  hostClass.cbSize = sizeof hostClass;
  hostClass.lpfnWndProc = &HostWindowProc;
  hostClass.hInstance = GetModuleHandleW(nullptr);
  hostClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  hostClass.lpszClassName = kAxHostClassNameW;
  return RegisterClassExW(&hostClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HRESULT CAxWindow::QueryControl(REFIID iid, void** object) const {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  CAxHostSite* site = IsHostWindow(m_hWnd) ? SiteOf(m_hWnd) : nullptr;
  if (site == nullptr || site->Control() == nullptr) return E_FAIL;
  return site->Control()->QueryInterface(iid, object);
}
