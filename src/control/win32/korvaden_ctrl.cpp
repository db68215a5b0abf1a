#include "control/win32/korvaden_ctrl.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <new>
#include <type_traits>
#include <vector>

#include "base/sleeper.h"
#include "control/members.h"
#include "control/win32/bstr_text.h"
#include "control/win32/module_objects.h"
#include "crypto/deployment_keys.h"
#include "crypto/random.h"
#include "ui/win32/win32_views.h"

namespace korvaden::com {

// What one control needs besides the module-wide reader state and member gate.
struct ControlState {
  CustomerDesk desk;
  ui::WindowPlace place{ModuleHandle(), nullptr, desk};
  ui::Win32CardPrompts prompts{place};
  ui::Win32MessageBoxes boxes{place};
  SystemRandom random;
  ui::Win32Dialogs dialogs{place, random};
  DeploymentKeys keys = BuiltInDeployment();
  Platform platform{ModuleReader(), prompts, prompts, random, boxes, dialogs, keys, ProcessSupportLog(), desk};
  ControlCore core{platform, ModuleMemberGate()};
};

namespace {

// The member that dispatch id `id` names, when it takes arguments.
const MemberCall* MemberOf(ITypeInfo* info, DISPID id) {
  BSTR name = nullptr;
  UINT count = 0;
  if (FAILED(info->GetNames(id, &name, 1, &count)) || count == 0) return nullptr;
  const std::string narrow = AnsiText(name);
  SysFreeString(name);
  return FindMemberCall(narrow);
}

// Whether each integer parameter's value is a 32-bit integer as it stands:
// none, or a number (or the text of one) without a fraction. Dispatch's own
// conversion would make 2^40 a script error and round 1.5 to 2.
bool IntegersWhole(const MemberCall& member, const DISPPARAMS& params) {
  for (std::size_t i = 0; i < member.parameters.size() && i < params.cArgs; ++i) {
    if (member.parameters[i].kind != ParameterKind::Integer || params.cNamedArgs != 0) continue;
    VARIANT& value = params.rgvarg[params.cArgs - 1 - i];  // the last argument comes first
    if (value.vt == VT_EMPTY) continue;
    VARIANT number;
    VariantInit(&number);
    if (FAILED(VariantChangeType(&number, &value, 0, VT_R8))) return false;
    const double whole = number.dblVal;
    if (std::trunc(whole) != whole || whole < INT32_MIN || whole > INT32_MAX) return false;
  }
  return true;
}

constexpr wchar_t kWindowClass[] = L"KORVADENIVESKCtrlWindow";
constexpr char kDrawnText[] = "KORVADENIVESKCtrl";

// A rectangle over the bounds and the name centred on its middle.
void DrawControl(HDC dc, const RECT& bounds) {
  const int saved = SaveDC(dc);
  HRGN clip = CreateRectRgnIndirect(&bounds);
  SelectClipRgn(dc, clip);
  Rectangle(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
  SetTextAlign(dc, TA_CENTER | TA_BASELINE);
  TextOutA(dc, (bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2, kDrawnText,
           static_cast<int>(sizeof(kDrawnText) - 1));
  RestoreDC(dc, saved);
  DeleteObject(clip);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT bounds;
    GetClientRect(window, &bounds);
    DrawControl(dc, bounds);
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

ATOM RegisterWindowClass() {
  static const ATOM atom = [] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = ModuleHandle();
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kWindowClass;
    return RegisterClassExW(&windowClass);
  }();
  return atom;
}

}  // namespace

HRESULT CKorvadenIveskCtrl::Create(IUnknown* outer, REFIID riid, void** object) {
  auto* control = new (std::nothrow) CKorvadenIveskCtrl(outer);
  if (control == nullptr) return E_OUTOFMEMORY;
  const HRESULT result = control->inner_.QueryInterface(riid, object);
  control->inner_.Release();
  return result;
}

CKorvadenIveskCtrl::CKorvadenIveskCtrl(IUnknown* outer)
    : outer_(outer != nullptr ? outer : &inner_), state_(std::make_unique<ControlState>()), core_(state_->core) {}

CKorvadenIveskCtrl::~CKorvadenIveskCtrl() {
  if (window_ != nullptr) DestroyWindow(window_);
}

STDMETHODIMP CKorvadenIveskCtrl::Inner::QueryInterface(REFIID riid, void** object) {
  CKorvadenIveskCtrl& o = owner_;
  if (IsEqualIID(riid, IID_IUnknown)) {
    AddRef();
    *object = static_cast<IUnknown*>(this);
    return S_OK;
  }
  return QueryInterfaceFromTable({{IID_IDispatch, static_cast<IKorvadenIveskCtrl*>(&o)},
                                  {IID_IKorvadenIveskCtrl, static_cast<IKorvadenIveskCtrl*>(&o)},
                                  {IID_IOleControl, static_cast<IOleControl*>(&o)},
                                  {IID_IOleObject, static_cast<IOleObject*>(&o)},
                                  {IID_IOleWindow, static_cast<IOleInPlaceObjectWindowless*>(&o)},
                                  {IID_IOleInPlaceObject, static_cast<IOleInPlaceObjectWindowless*>(&o)},
                                  {IID_IOleInPlaceObjectWindowless, static_cast<IOleInPlaceObjectWindowless*>(&o)},
                                  {IID_IOleInPlaceActiveObject, static_cast<IOleInPlaceActiveObject*>(&o)},
                                  {IID_IViewObject, static_cast<IViewObjectEx*>(&o)},
                                  {IID_IViewObject2, static_cast<IViewObjectEx*>(&o)},
                                  {IID_IViewObjectEx, static_cast<IViewObjectEx*>(&o)},
                                  {IID_ISupportErrorInfo, static_cast<ISupportErrorInfo*>(&o)},
                                  {IID_IQuickActivate, static_cast<IQuickActivate*>(&o)},
                                  {IID_IDataObject, static_cast<IDataObject*>(&o)},
                                  {IID_IProvideClassInfo, static_cast<IProvideClassInfo2*>(&o)},
                                  {IID_IProvideClassInfo2, static_cast<IProvideClassInfo2*>(&o)},
                                  {IID_IObjectWithSite, static_cast<IObjectWithSite*>(&o)},
                                  {IID_IObjectSafety, static_cast<IObjectSafety*>(&o)},
                                  {IID_IPersist, static_cast<IPersistStreamInit*>(&o)},
                                  {IID_IPersistStreamInit, static_cast<IPersistStreamInit*>(&o)},
                                  {IID_IPersistPropertyBag, static_cast<IPersistPropertyBag*>(&o)}},
                                 riid, object);
}

STDMETHODIMP_(ULONG) CKorvadenIveskCtrl::Inner::Release() {
  const ULONG count = refs_.Release();
  if (count == 0) delete &owner_;
  return count;
}

// --- IDispatch ---------------------------------------------------------------

STDMETHODIMP CKorvadenIveskCtrl::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 1;
  return S_OK;
}

STDMETHODIMP CKorvadenIveskCtrl::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  ITypeInfo* found = InterfaceTypeInfo();
  if (found == nullptr) return TYPE_E_CANTLOADLIBRARY;
  found->AddRef();
  *info = found;
  return S_OK;
}

STDMETHODIMP CKorvadenIveskCtrl::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  ITypeInfo* info = InterfaceTypeInfo();
  return info == nullptr ? TYPE_E_CANTLOADLIBRARY : DispGetIDsOfNames(info, names, count, ids);
}

STDMETHODIMP CKorvadenIveskCtrl::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                        EXCEPINFO* exception, UINT* argError) {
  ITypeInfo* info = InterfaceTypeInfo();
  if (info == nullptr) return TYPE_E_CANTLOADLIBRARY;
  if (params == nullptr || params->cArgs == 0) {
    return DispInvoke(static_cast<IKorvadenIveskCtrl*>(this), info, id, flags, params, result, exception, argError);
  }
  // A script's null is no text and no number: taken as an empty argument
  // (an empty text, or 0), as undefined already is, not as a script error.
  return Guarded([&] {
    std::vector<VARIANT> args(params->rgvarg, params->rgvarg + params->cArgs);
    for (VARIANT& arg : args) {
      if (arg.vt == VT_NULL) arg.vt = VT_EMPTY;
    }
    DISPPARAMS emptied = *params;
    emptied.rgvarg = args.data();
    const MemberCall* member = MemberOf(info, id);
    if (member != nullptr && !IntegersWhole(*member, emptied)) {
      UpdatePage();
      const ResultCode refused = core_.RefuseValues(*member);
      if (result != nullptr) {
        VariantInit(result);
        result->vt = VT_I4;
        result->lVal = AsInteger(refused);
      }
      return S_OK;
    }
    return DispInvoke(static_cast<IKorvadenIveskCtrl*>(this), info, id, flags, &emptied, result, exception, argError);
  });
}

// --- The members ----------------------------------------------------------------

namespace {

// Whether the interface's type of an argument is the one of its parameter's kind.
template <class Value>
constexpr bool TypeFits(ParameterKind kind) {
  return std::is_same_v<Value, LONG> == (kind == ParameterKind::Integer);
}
template <Member M, class... Values>
constexpr bool TypesFit() {
  const auto parameters = MemberCallOf(M).parameters;
  if (parameters.size() != sizeof...(Values)) return false;
  std::size_t i = 0;
  return (TypeFits<Values>(parameters[i++].kind) && ...);
}

// An argument in the core's terms; a text is kept, in Big5 and in wiped
// storage, in `kept` for the call's length.
Argument Taken(BSTR value, SecureString& kept) {
  kept = AnsiSecret(value);
  return Argument(kept.view());
}
Argument Taken(LONG value, SecureString&) { return Argument(static_cast<int>(value)); }

}  // namespace

template <Member M, class... Values>
HRESULT CKorvadenIveskCtrl::RunMember(LONG* retVal, Values... values) {
  static_assert(TypesFit<M, Values...>(), "the interface's parameters are the member table's");
  if (retVal == nullptr) return E_POINTER;
  // A container may let go of its last reference while a dialog of the call
  // pumps messages: the control lives until the call is over.
  ComPtr<IUnknown> heldForTheCall;
  heldForTheCall.Reset(outer_);
  return Guarded([&] {
    UpdatePage();  // the page may have moved on since the control was sited
    std::array<SecureString, sizeof...(Values)> kept;
    std::size_t i = 0;
    const std::array<Argument, sizeof...(Values)> arguments{Taken(values, kept[i++])...};
    *retVal = AsInteger(core_.Call(MemberCallOf(M), arguments));
    return S_OK;
  });
}

STDMETHODIMP CKorvadenIveskCtrl::TransIVESK(BSTR ReaderName, BSTR TxCODE, BSTR PCODE, BSTR PIN, BSTR LoginIssuerID,
                                            BSTR LoginIssuerAccount, BSTR IFD_CHK_Code, BSTR IFD_Id, BSTR AccountID_idx,
                                            BSTR ImportAccount, BSTR Money, BSTR TransDateTime, LONG ShowVerifyDialog,
                                            BSTR SessionID, LONG* retVal) {
  return RunMember<Member::TransIVESK>(retVal, ReaderName, TxCODE, PCODE, PIN, LoginIssuerID, LoginIssuerAccount,
                                       IFD_CHK_Code, IFD_Id, AccountID_idx, ImportAccount, Money, TransDateTime,
                                       ShowVerifyDialog, SessionID);
}

STDMETHODIMP CKorvadenIveskCtrl::FidoVerify(BSTR ReaderName, BSTR SessionID, BSTR LoginIssuerAccount,
                                            BSTR TransDateTime, BSTR IFD_CHK_Code, BSTR IFD_Id, BSTR TxCODE, BSTR PIN,
                                            LONG* retVal) {
  return RunMember<Member::FidoVerify>(retVal, ReaderName, SessionID, LoginIssuerAccount, TransDateTime, IFD_CHK_Code,
                                       IFD_Id, TxCODE, PIN);
}

STDMETHODIMP CKorvadenIveskCtrl::FidoVerifyOB(BSTR ReaderName, BSTR SessionID, BSTR LoginIssuerAccount,
                                              BSTR TransDateTime, BSTR IFD_CHK_Code, BSTR IFD_Id, BSTR TxType,
                                              BSTR CheckItem, BSTR ID, BSTR PIN, LONG* retVal) {
  return RunMember<Member::FidoVerifyOB>(retVal, ReaderName, SessionID, LoginIssuerAccount, TransDateTime, IFD_CHK_Code,
                                         IFD_Id, TxType, CheckItem, ID, PIN);
}

STDMETHODIMP CKorvadenIveskCtrl::Reissue_iVeskAppCert(BSTR BHO_D5, BSTR BHO_D1, BSTR BHO_D2, BSTR BHO_D3, BSTR BHO_D4,
                                                      BSTR BHO_D11, BSTR MSGTitle, LONG* retVal) {
  return RunMember<Member::Reissue_iVeskAppCert>(retVal, BHO_D5, BHO_D1, BHO_D2, BHO_D3, BHO_D4, BHO_D11, MSGTitle);
}

STDMETHODIMP CKorvadenIveskCtrl::CardLess_Apply(BSTR BHO_D5, BSTR BHO_D1, BSTR BHO_D2, BSTR BHO_D3, BSTR BHO_D4,
                                                BSTR BHO_D11, BSTR MSGTitle, LONG* retVal) {
  return RunMember<Member::CardLess_Apply>(retVal, BHO_D5, BHO_D1, BHO_D2, BHO_D3, BHO_D4, BHO_D11, MSGTitle);
}

STDMETHODIMP CKorvadenIveskCtrl::CardLess_Reset(BSTR BHO_D5, BSTR BHO_D1, BSTR BHO_D2, BSTR BHO_D3, BSTR BHO_D4,
                                                BSTR BHO_D11, BSTR MSGTitle, LONG* retVal) {
  return RunMember<Member::CardLess_Reset>(retVal, BHO_D5, BHO_D1, BHO_D2, BHO_D3, BHO_D4, BHO_D11, MSGTitle);
}

STDMETHODIMP CKorvadenIveskCtrl::BondingDevice_Apply(BSTR BHO_D5, BSTR BHO_D1, BSTR BHO_D2, BSTR BHO_D3, BSTR BHO_D4,
                                                     BSTR BHO_D11, BSTR BHO_D12, BSTR MSGTitle, LONG* retVal) {
  return RunMember<Member::BondingDevice_Apply>(retVal, BHO_D5, BHO_D1, BHO_D2, BHO_D3, BHO_D4, BHO_D11, BHO_D12,
                                                MSGTitle);
}

STDMETHODIMP CKorvadenIveskCtrl::get_TrnsMsg(BSTR* pVal) {
  return Guarded([&] { return ToBstr(core_.TrnsMsg(), pVal); });
}

STDMETHODIMP CKorvadenIveskCtrl::GetAPIVersion(BSTR* pVal) {
  return Guarded([&] { return ToBstr(core_.GetAPIVersion(), pVal); });
}

// --- Siting, activation and drawing ---------------------------------------------

STDMETHODIMP CKorvadenIveskCtrl::GetControlInfo(CONTROLINFO* info) {
  if (info == nullptr) return E_POINTER;
  info->hAccel = nullptr;
  info->cAccel = 0;
  info->dwFlags = 0;
  return S_OK;
}

STDMETHODIMP CKorvadenIveskCtrl::SetClientSite(IOleClientSite* site) {
  page_.SetClientSite(site);
  return Guarded([&] {
    UpdatePage();
    return S_OK;
  });
}

void CKorvadenIveskCtrl::UpdatePage() { page_.UpdatePage(core_); }

STDMETHODIMP CKorvadenIveskCtrl::GetClientSite(IOleClientSite** site) {
  if (site == nullptr) return E_POINTER;
  *site = page_.clientSite();
  if (*site != nullptr) (*site)->AddRef();
  return S_OK;
}

STDMETHODIMP CKorvadenIveskCtrl::Close(DWORD) {
  InPlaceDeactivate();
  if (adviseHolder_) adviseHolder_->SendOnClose();
  return S_OK;
}

STDMETHODIMP CKorvadenIveskCtrl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT rect) {
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
      return InPlaceActivate(site != nullptr ? site : page_.clientSite(), parent, rect);
    case OLEIVERB_HIDE:
      if (window_ != nullptr) ShowWindow(window_, SW_HIDE);
      return S_OK;
    default:
      return OLEOBJ_S_INVALIDVERB;
  }
}

HRESULT CKorvadenIveskCtrl::InPlaceActivate(IOleClientSite* site, HWND parent, LPCRECT rect) {
  if (window_ != nullptr) {
    ShowWindow(window_, SW_SHOW);
    return S_OK;
  }
  if (site == nullptr) return E_UNEXPECTED;
  if (FAILED(site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(inPlaceSite_.put())))) {
    return E_NOINTERFACE;
  }
  if (inPlaceSite_->CanInPlaceActivate() != S_OK) {
    inPlaceSite_.Reset();
    return E_FAIL;
  }
  inPlaceSite_->OnInPlaceActivate();
  // From here a failure tells the site the activation is undone and lets it go.
  const auto undo = [&](HRESULT failure) {
    inPlaceSite_->OnInPlaceDeactivate();
    inPlaceSite_.Reset();
    return failure;
  };
  HWND siteWindow = parent;
  if (siteWindow == nullptr && FAILED(inPlaceSite_->GetWindow(&siteWindow))) return undo(E_FAIL);

  RECT position = rect != nullptr ? *rect : RECT{0, 0, 96 * 2, 96 * 2};
  ComPtr<IOleInPlaceFrame> frame;
  ComPtr<IOleInPlaceUIWindow> document;
  RECT clip{};
  OLEINPLACEFRAMEINFO frameInfo{};
  frameInfo.cb = sizeof(frameInfo);
  if (SUCCEEDED(inPlaceSite_->GetWindowContext(frame.put(), document.put(), &position, &clip, &frameInfo)) &&
      rect != nullptr) {
    position = *rect;
  }
  if (RegisterWindowClass() == 0) return undo(HRESULT_FROM_WIN32(GetLastError()));
  window_ = CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                            position.left, position.top, position.right - position.left, position.bottom - position.top,
                            siteWindow, nullptr, ModuleHandle(), nullptr);
  if (window_ == nullptr) return undo(HRESULT_FROM_WIN32(GetLastError()));
  InvalidateRect(window_, nullptr, TRUE);
  return S_OK;
}

STDMETHODIMP CKorvadenIveskCtrl::GetWindow(HWND* window) {
  if (window == nullptr) return E_POINTER;
  *window = window_;
  return window_ != nullptr ? S_OK : E_FAIL;
}

STDMETHODIMP CKorvadenIveskCtrl::InPlaceDeactivate() {
  if (window_ == nullptr) return S_OK;
  DestroyWindow(window_);
  window_ = nullptr;
  if (inPlaceSite_) inPlaceSite_->OnInPlaceDeactivate();
  inPlaceSite_.Reset();
  return S_OK;
}

STDMETHODIMP CKorvadenIveskCtrl::SetObjectRects(LPCRECT position, LPCRECT) {
  if (position == nullptr) return E_POINTER;
  if (window_ != nullptr) {
    MoveWindow(window_, position->left, position->top, position->right - position->left,
               position->bottom - position->top, TRUE);
  }
  return S_OK;
}

STDMETHODIMP CKorvadenIveskCtrl::EnumVerbs(IEnumOLEVERB** verbs) {
  return OleRegEnumVerbs(CLSID_KorvadenIveskCtrl, verbs);
}

STDMETHODIMP CKorvadenIveskCtrl::GetUserClassID(CLSID* clsid) { return GetClassID(clsid); }

STDMETHODIMP CKorvadenIveskCtrl::GetUserType(DWORD form, LPOLESTR* type) {
  return OleRegGetUserType(CLSID_KorvadenIveskCtrl, form, type);
}

STDMETHODIMP CKorvadenIveskCtrl::SetExtent(DWORD aspect, SIZEL* size) {
  if (size == nullptr) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  extent_ = *size;
  return S_OK;
}

STDMETHODIMP CKorvadenIveskCtrl::GetExtent(DWORD aspect, SIZEL* size) {
  if (size == nullptr) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  *size = extent_;
  return S_OK;
}

STDMETHODIMP CKorvadenIveskCtrl::Advise(IAdviseSink* sink, DWORD* connection) {
  if (!adviseHolder_ && FAILED(CreateOleAdviseHolder(adviseHolder_.put()))) return E_OUTOFMEMORY;
  return adviseHolder_->Advise(sink, connection);
}

STDMETHODIMP CKorvadenIveskCtrl::Unadvise(DWORD connection) {
  return adviseHolder_ ? adviseHolder_->Unadvise(connection) : OLE_E_NOCONNECTION;
}

STDMETHODIMP CKorvadenIveskCtrl::EnumAdvise(IEnumSTATDATA** advises) {
  return adviseHolder_ ? adviseHolder_->EnumAdvise(advises) : E_FAIL;
}

STDMETHODIMP CKorvadenIveskCtrl::GetMiscStatus(DWORD, DWORD* status) {
  if (status == nullptr) return E_POINTER;
  *status = kOleMiscStatus;
  return S_OK;
}

STDMETHODIMP CKorvadenIveskCtrl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC drawDc, LPCRECTL bounds,
                                      LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (drawDc == nullptr) return E_INVALIDARG;
  RECT area{0, 0, 0, 0};
  if (bounds != nullptr) {
    area = {bounds->left, bounds->top, bounds->right, bounds->bottom};
  } else if (window_ != nullptr) {
    GetClientRect(window_, &area);
  }
  DrawControl(drawDc, area);
  return S_OK;
}

STDMETHODIMP CKorvadenIveskCtrl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
  viewSink_.Reset(sink);
  viewAdviseAspects_ = aspects;
  viewAdviseFlags_ = flags;
  return S_OK;
}

STDMETHODIMP CKorvadenIveskCtrl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
  if (aspects != nullptr) *aspects = viewAdviseAspects_;
  if (flags != nullptr) *flags = viewAdviseFlags_;
  if (sink != nullptr) {
    *sink = viewSink_.get();
    if (*sink != nullptr) (*sink)->AddRef();
  }
  return S_OK;
}

STDMETHODIMP CKorvadenIveskCtrl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
  return GetExtent(aspect, size);
}

STDMETHODIMP CKorvadenIveskCtrl::GetViewStatus(DWORD* status) {
  if (status == nullptr) return E_POINTER;
  *status = VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND;
  return S_OK;
}

STDMETHODIMP CKorvadenIveskCtrl::QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT location, LONG, DWORD* hit) {
  if (bounds == nullptr || hit == nullptr) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return E_FAIL;
  *hit = PtInRect(bounds, location) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
  return S_OK;
}

STDMETHODIMP CKorvadenIveskCtrl::QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT location, LONG, DWORD* hit) {
  if (bounds == nullptr || location == nullptr || hit == nullptr) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return E_FAIL;
  RECT overlap;
  *hit = IntersectRect(&overlap, bounds, location) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
  return S_OK;
}

STDMETHODIMP CKorvadenIveskCtrl::InterfaceSupportsErrorInfo(REFIID riid) {
  return IsEqualIID(riid, IID_IKorvadenIveskCtrl) ? S_OK : S_FALSE;
}

STDMETHODIMP CKorvadenIveskCtrl::QuickActivate(QACONTAINER* container, QACONTROL* control) {
  if (container == nullptr || control == nullptr) return E_POINTER;
  if (container->cbSize < sizeof(QACONTAINER) || control->cbSize < sizeof(QACONTROL)) return E_INVALIDARG;
  SetClientSite(container->pClientSite);
  if (container->pAdviseSink != nullptr) SetAdvise(DVASPECT_CONTENT, 0, container->pAdviseSink);
  control->dwMiscStatus = kOleMiscStatus;
  GetViewStatus(&control->dwViewStatus);
  control->dwEventCookie = 0;
  control->dwPropNotifyCookie = 0;
  control->dwPointerActivationPolicy = 0;
  return S_OK;
}

STDMETHODIMP CKorvadenIveskCtrl::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
  if (out != nullptr) out->ptd = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CKorvadenIveskCtrl::DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) {
  if (!dataAdviseHolder_ && FAILED(CreateDataAdviseHolder(dataAdviseHolder_.put()))) return E_OUTOFMEMORY;
  return dataAdviseHolder_->Advise(static_cast<IDataObject*>(this), format, flags, sink, connection);
}

STDMETHODIMP CKorvadenIveskCtrl::DUnadvise(DWORD connection) {
  return dataAdviseHolder_ ? dataAdviseHolder_->Unadvise(connection) : OLE_E_NOCONNECTION;
}

STDMETHODIMP CKorvadenIveskCtrl::EnumDAdvise(IEnumSTATDATA** advises) {
  return dataAdviseHolder_ ? dataAdviseHolder_->EnumAdvise(advises) : E_FAIL;
}

STDMETHODIMP CKorvadenIveskCtrl::GetClassInfo(ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  ITypeLib* library = ModuleTypeLibrary();
  return library == nullptr ? TYPE_E_CANTLOADLIBRARY : library->GetTypeInfoOfGuid(CLSID_KorvadenIveskCtrl, info);
}

// The control fires no events: it has no default source interface.
STDMETHODIMP CKorvadenIveskCtrl::GetGUID(DWORD, GUID* guid) {
  if (guid == nullptr) return E_POINTER;
  *guid = GUID_NULL;
  return E_FAIL;
}

STDMETHODIMP CKorvadenIveskCtrl::SetSite(IUnknown* site) {
  page_.SetSite(site);
  return Guarded([&] {
    UpdatePage();
    return S_OK;
  });
}

STDMETHODIMP CKorvadenIveskCtrl::GetSite(REFIID riid, void** site) {
  if (site == nullptr) return E_POINTER;
  *site = nullptr;
  return page_.site() != nullptr ? page_.site()->QueryInterface(riid, site) : E_FAIL;
}

bool CKorvadenIveskCtrl::HasInterface(REFIID riid) {
  void* probe = nullptr;
  if (FAILED(QueryInterface(riid, &probe))) return false;
  static_cast<IUnknown*>(probe)->Release();
  return true;
}

STDMETHODIMP CKorvadenIveskCtrl::GetInterfaceSafetyOptions(REFIID riid, DWORD* supported, DWORD* enabled) {
  if (supported == nullptr || enabled == nullptr) return E_POINTER;
  return HasInterface(riid) ? page_.GetSafetyOptions(supported, enabled) : E_NOINTERFACE;
}

STDMETHODIMP CKorvadenIveskCtrl::SetInterfaceSafetyOptions(REFIID riid, DWORD mask, DWORD enabled) {
  if (!HasInterface(riid)) return E_NOINTERFACE;
  return Guarded([&] { return page_.SetSafetyOptions(mask, enabled, core_); });
}

STDMETHODIMP CKorvadenIveskCtrl::GetClassID(CLSID* clsid) {
  if (clsid == nullptr) return E_POINTER;
  *clsid = CLSID_KorvadenIveskCtrl;
  return S_OK;
}

STDMETHODIMP CKorvadenIveskCtrl::GetSizeMax(ULARGE_INTEGER* size) {
  if (size == nullptr) return E_POINTER;
  size->QuadPart = 0;
  return S_OK;
}

}  // namespace korvaden::com
