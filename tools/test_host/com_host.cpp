// A test host that does with the control what a browser does with an object
// tag: creates it by class id, sites it, activates it in place, draws it, asks
// its safety, and calls all nine members by name through IDispatch. Prints
// one line per check ("PASS ..." or "FAIL ...") and exits with the failures.
// `com_host CHECKS` runs the checks; `com_host CALL MEMBER ARG...` calls one
// member and prints retVal and TrnsMsg (a NUMBER argument is passed as a LONG);
// `com_host PAGE URL MEMBER ARG...` does the same from a browser's page at URL
// that holds an object tag; `com_host SCRIPT URL MEMBER ARG...` from a page at
// URL whose script creates the control (sited through the browser's services);
// `com_host UNSITED MEMBER ARG...` asks for safety as a page would, but never
// sites the control.
#include <windows.h>

#include <exdisp.h>
#include <objsafe.h>
#include <ocidl.h>
#include <oleauto.h>
#include <servprov.h>
#include <shlguid.h>
#include <urlmon.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "page_browser.h"

namespace {

const CLSID kControl = {0x331B2E6C, 0x3280, 0x4BBD, {0xA4, 0x3D, 0xF2, 0x2A, 0x90, 0xBE, 0x0C, 0x8A}};
const IID kInterface = {0xAE0EEFE7, 0x6E03, 0x467E, {0x99, 0x4A, 0x2F, 0xBC, 0x4D, 0xA7, 0x30, 0xDC}};

int failures = 0;
HHOOK boxHook = nullptr;
const char* transferAnswer = "confirm";
// With KORVADEN_RELEASE_INSIDE set, the host lets go of its only reference
// while the transfer confirmation is up, as a page that navigates away does.
IDispatch* heldControl = nullptr;

// Plays the customer at the control's modal windows: message boxes are read
// out and closed with OK; the transfer confirmation is answered with
// KORVADEN_TRANSFER ("confirm" or "cancel").
LRESULT CALLBACK AnswerDialogs(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    HWND window = reinterpret_cast<HWND>(wParam);
    char className[32] = {};
    GetClassNameA(window, className, sizeof(className));
    if (std::string(className) == "#32770") {
      char caption[256] = {}, text[1024] = {};
      GetWindowTextA(window, caption, sizeof(caption));
      if (GetDlgItem(window, 214) != nullptr) {
        GetDlgItemTextA(window, 214, text, sizeof(text));
        std::printf("TRANSFER %s|%s\n", caption, text);
        if (heldControl != nullptr && std::getenv("KORVADEN_RELEASE_INSIDE") != nullptr) {
          std::printf("released inside the call: %lu references left\n", heldControl->Release());
          heldControl = nullptr;
        }
        PostMessageA(window, WM_COMMAND, std::string(transferAnswer) == "cancel" ? IDOK : IDCANCEL, 0);
      } else {
        GetDlgItemTextA(window, 0xFFFF, text, sizeof(text));
        std::printf("MESSAGEBOX %s|%s\n", caption, text);
        PostMessageA(window, WM_COMMAND, IDOK, 0);
      }
      std::fflush(stdout);
    }
  }
  return CallNextHookEx(boxHook, code, wParam, lParam);
}

void Check(bool ok, const char* what) {
  std::printf("%s %s\n", ok ? "PASS" : "FAIL", what);
  if (!ok) ++failures;
}

// A client site that lets the control activate in place in a window of ours.
class Site final : public IOleClientSite, public IOleInPlaceSite {
 public:
  // `pageUrl`: the page the site names through its container's moniker, as a browser does.
  explicit Site(HWND window, const wchar_t* pageUrl = nullptr) : window_(window), pageUrl_(pageUrl) {}
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite)) {
      *object = static_cast<IOleClientSite*>(this);
    } else if (IsEqualIID(riid, IID_IOleInPlaceSite) || IsEqualIID(riid, IID_IOleWindow)) {
      *object = static_cast<IOleInPlaceSite*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override { return --refs_; }
  STDMETHODIMP SaveObject() override { return S_OK; }
  STDMETHODIMP GetMoniker(DWORD, DWORD which, IMoniker** moniker) override {
    if (moniker == nullptr) return E_POINTER;
    *moniker = nullptr;
    if (pageUrl_ == nullptr || which != OLEWHICHMK_CONTAINER) return E_NOTIMPL;
    return CreateURLMonikerEx(nullptr, pageUrl_, moniker, URL_MK_UNIFORM);
  }
  STDMETHODIMP GetContainer(IOleContainer**) override { return E_NOINTERFACE; }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
  STDMETHODIMP GetWindow(HWND* window) override {
    *window = window_;
    return window_ != nullptr ? S_OK : E_FAIL;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnInPlaceActivate() override {
    activated = true;
    return S_OK;
  }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position, LPRECT clip,
                                LPOLEINPLACEFRAMEINFO) override {
    *frame = nullptr;
    *document = nullptr;
    SetRect(position, 10, 10, 210, 110);
    SetRect(clip, 10, 10, 210, 110);
    return S_OK;
  }
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override {
    deactivated = true;
    return S_OK;
  }
  STDMETHODIMP DiscardUndoState() override { return S_OK; }
  STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

  bool activated = false, deactivated = false;
  ULONG references() const { return refs_; }

 private:
  HWND window_;
  const wchar_t* pageUrl_;
  ULONG refs_ = 1;
};

// What a browser hands a control that a page's script created: a service
// provider that leads to the browser ("-" as the page: a site with no browser).
class ScriptSite final : public IServiceProvider {
 public:
  explicit ScriptSite(const wchar_t* pageUrl) : browser_(pageUrl != nullptr ? NewPageBrowser(pageUrl) : nullptr) {}
  ~ScriptSite() {
    if (browser_ != nullptr) browser_->Release();
  }
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IServiceProvider)) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<IServiceProvider*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override { return --refs_; }
  STDMETHODIMP QueryService(REFGUID service, REFIID riid, void** object) override {
    *object = nullptr;
    if (browser_ == nullptr || !IsEqualGUID(service, SID_SWebBrowserApp)) return E_NOINTERFACE;
    return browser_->QueryInterface(riid, object);
  }

 private:
  IUnknown* browser_;
  ULONG refs_ = 1;
};

// An outer object for aggregation: only counts references.
class Outer final : public IUnknown {
 public:
  STDMETHODIMP QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override { return --refs_; }

 private:
  ULONG refs_ = 1;
};

std::wstring Wide(const char* text) {
  const int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), size);
  wide.resize(static_cast<std::size_t>(size - 1));
  return wide;
}

std::string Ansi(BSTR text) {
  if (text == nullptr) return {};
  const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, ansi.data(), size, nullptr, nullptr);
  ansi.resize(static_cast<std::size_t>(size - 1));
  return ansi;
}

DISPID IdOf(IDispatch* dispatch, const wchar_t* name) {
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  return id;
}

// Calls a member by name; arguments are BSTRs except numbers given as LONG.
HRESULT CallByName(IDispatch* dispatch, const wchar_t* name, const std::vector<VARIANT>& args, VARIANT* result,
                   WORD flags = DISPATCH_METHOD) {
  std::vector<VARIANT> reversed(args.rbegin(), args.rend());
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  VariantInit(result);
  return dispatch->Invoke(IdOf(dispatch, name), IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr,
                          nullptr);
}

VARIANT Text(const char* ansi) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocString(Wide(ansi).c_str());
  return v;
}

VARIANT Number(LONG n) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = n;
  return v;
}

void Clear(std::vector<VARIANT>& args) {
  for (VARIANT& v : args) VariantClear(&v);
}

std::string TrnsMsg(IDispatch* dispatch) {
  VARIANT result;
  CallByName(dispatch, L"TrnsMsg", {}, &result, DISPATCH_PROPERTYGET);
  std::string text = result.vt == VT_BSTR ? Ansi(result.bstrVal) : "(not a text)";
  VariantClear(&result);
  return text;
}

void RunChecks(IDispatch* dispatch, HWND container) {
  Check(GetACP() == 950, "the ANSI code page is 950");

  const wchar_t* members[] = {L"TransIVESK",          L"Reissue_iVeskAppCert", L"TrnsMsg",
                              L"GetAPIVersion",       L"CardLess_Apply",       L"CardLess_Reset",
                              L"BondingDevice_Apply", L"FidoVerify",           L"FidoVerifyOB"};
  bool ids = true;
  for (int i = 0; i < 9; ++i) ids &= IdOf(dispatch, members[i]) == i + 1;
  Check(ids, "the nine members have DISPIDs 1 to 9");

  VARIANT version;
  CallByName(dispatch, L"GetAPIVersion", {}, &version);
  Check(version.vt == VT_BSTR && Ansi(version.bstrVal) == "1.2307.311", "GetAPIVersion is 1.2307.311");
  VariantClear(&version);
  Check(TrnsMsg(dispatch).empty(), "a fresh control's TrnsMsg is empty");

  // Big5 text through the page's BSTRs: no reader of that name exists.
  std::vector<VARIANT> fido = {Text("\xC5\xAA\xA5\x64\xBE\xF7"),
                               Text("S"),
                               Text("1234567890123456"),
                               Text("20230731123456"),
                               Text("12345678"),
                               Text("WEBATM01"),
                               Text("P611AD"),
                               Text("")};
  VARIANT result;
  const HRESULT called = CallByName(dispatch, L"FidoVerify", fido, &result);
  Check(called == S_OK && result.vt == VT_I4 && result.lVal == 8990, "FidoVerify on a missing reader gives 8990");
  Clear(fido);
  std::vector<VARIANT> ob = {Text("\xC5\xAA\xA5\x64\xBE\xF7"),
                             Text("S"),
                             Text("1234567890123456"),
                             Text("20230731123456"),
                             Text("12345678"),
                             Text("W"),
                             Text("01"),
                             Text("02"),
                             Text("\xA6\x57\xBA\xD9"),
                             Text("")};
  Check(CallByName(dispatch, L"FidoVerifyOB", ob, &result) == S_OK && result.lVal == 8990, "FidoVerifyOB likewise");
  Clear(ob);
  std::vector<VARIANT> transfer = {Text("none"), Text("123456"), Text("251"), Text(""), Text(""), Text(""),  Text(""),
                                   Text(""),     Text(""),       Text(""),    Text(""), Text(""), Number(0), Text("")};
  Check(CallByName(dispatch, L"TransIVESK", transfer, &result) == S_OK && result.lVal == 8970,
        "TransIVESK refuses a 3-character PCODE with 8970");
  Clear(transfer);
  std::vector<VARIANT> service = {Text(""), Text(""), Text(""), Text(""), Text(""), Text(""), Text("\xB8\xC9\xB5o")};
  for (const wchar_t* name : {L"Reissue_iVeskAppCert", L"CardLess_Apply", L"CardLess_Reset"}) {
    Check(CallByName(dispatch, name, service, &result) == S_OK && result.lVal == 9810,
          "an account service refuses an empty parameter block D5 with 9810");
  }
  Clear(service);
  std::vector<VARIANT> bonding = {Text(""), Text(""), Text(""), Text(""), Text(""), Text(""), Text(""), Text("")};
  Check(CallByName(dispatch, L"BondingDevice_Apply", bonding, &result) == S_OK && result.lVal == 9810,
        "so does the device bonding");
  Clear(bonding);

  IUnknown* unknown = dispatch;
  ISupportErrorInfo* errorInfo = nullptr;
  Check(SUCCEEDED(unknown->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&errorInfo))),
        "ISupportErrorInfo");
  if (errorInfo != nullptr) {
    Check(errorInfo->InterfaceSupportsErrorInfo(kInterface) == S_OK, "error info for IKorvadenIveskCtrl");
    Check(errorInfo->InterfaceSupportsErrorInfo(IID_IDispatch) == S_FALSE, "no error info for IDispatch");
    errorInfo->Release();
  }

  IObjectSafety* safety = nullptr;
  Check(SUCCEEDED(unknown->QueryInterface(IID_IObjectSafety, reinterpret_cast<void**>(&safety))), "IObjectSafety");
  if (safety != nullptr) {
    DWORD supported = 0, enabled = 0;
    Check(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled) == S_OK &&
              supported == INTERFACESAFE_FOR_UNTRUSTED_CALLER && enabled == INTERFACESAFE_FOR_UNTRUSTED_CALLER,
          "safe for untrusted callers");
    Check(safety->SetInterfaceSafetyOptions(IID_IDispatch, INTERFACESAFE_FOR_UNTRUSTED_DATA,
                                            INTERFACESAFE_FOR_UNTRUSTED_DATA) == E_FAIL,
          "and not for untrusted data");
    safety->Release();
  }

  IOleObject* object = nullptr;
  Check(SUCCEEDED(unknown->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&object))), "IOleObject");
  if (object == nullptr) return;
  DWORD misc = 0;
  object->GetMiscStatus(DVASPECT_CONTENT, &misc);
  Check(misc == 131473, "misc status 131473");
  SIZEL extent{};
  object->GetExtent(DVASPECT_CONTENT, &extent);
  Check(extent.cx == 5080 && extent.cy == 5080, "natural extent 5080 x 5080 HIMETRIC");

  Site site(container);
  Check(object->SetClientSite(&site) == S_OK, "client site set");
  RECT position{10, 10, 210, 110};
  const HRESULT activated = object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, container, &position);
  if (FAILED(activated)) std::printf("DoVerb: 0x%08lX\n", static_cast<unsigned long>(activated));
  Check(activated == S_OK && site.activated, "activated in place");
  IOleInPlaceObject* inPlace = nullptr;
  unknown->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace));
  HWND window = nullptr;
  if (inPlace != nullptr) inPlace->GetWindow(&window);
  Check(window != nullptr && GetParent(window) == container, "a child window of the container");
  Check(window != nullptr && static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)) == 0x56000000 &&
            GetWindowLongW(window, GWL_EXSTYLE) == 0,
        "window styles 0x56000000, no extended style");

  IViewObject* view = nullptr;
  unknown->QueryInterface(IID_IViewObject, reinterpret_cast<void**>(&view));
  if (view != nullptr) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 200, 100);
    HGDIOBJ old = SelectObject(memory, bitmap);
    RECT all{0, 0, 200, 100};
    FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    RECTL bounds{0, 0, 200, 100};
    Check(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, memory, &bounds, nullptr, nullptr, 0) == S_OK,
          "draws on request");
    int dark = 0;
    for (int x = 40; x < 160; ++x) {
      for (int y = 30; y < 70; ++y) dark += GetPixel(memory, x, y) == RGB(0, 0, 0);
    }
    Check(GetPixel(memory, 0, 50) == RGB(0, 0, 0) && GetPixel(memory, 100, 0) == RGB(0, 0, 0),
          "the frame of the rectangle");
    Check(dark > 20, "the name drawn in the middle");
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    view->Release();
  }
  if (inPlace != nullptr) {
    Check(inPlace->InPlaceDeactivate() == S_OK && site.deactivated && !IsWindow(window), "deactivated");
    inPlace->Release();
  }
  // A site that has no window to give: the activation fails half-way, after
  // the site was told it began.
  Site windowless(nullptr);
  Check(FAILED(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &windowless, 0, nullptr, &position)) &&
            windowless.activated && windowless.deactivated && windowless.references() == 1,
        "a failed activation is undone and lets its site go");

  object->Close(OLECLOSE_NOSAVE);
  object->SetClientSite(nullptr);
  object->Release();
}

// Aggregation and the module's unloading, through the DLL's own exports.
void RunModuleChecks(const wchar_t* dllPath) {
  HMODULE module = LoadLibraryW(dllPath);
  Check(module != nullptr, "the module loads");
  if (module == nullptr) return;
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();
  auto getClassObject =
      reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
  auto canUnloadNow =
      reinterpret_cast<CanUnloadNow>(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
  IClassFactory* factory = nullptr;
  Check(
      getClassObject(IID_IDispatch, IID_IClassFactory, reinterpret_cast<void**>(&factory)) == CLASS_E_CLASSNOTAVAILABLE,
      "no class factory for another class");
  getClassObject(kControl, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  Check(factory != nullptr && canUnloadNow() == S_FALSE, "a class factory holds the module");
  if (factory == nullptr) return;

  Outer outer;
  IUnknown* inner = nullptr;
  IDispatch* notAllowed = nullptr;
  Check(factory->CreateInstance(&outer, IID_IDispatch, reinterpret_cast<void**>(&notAllowed)) == CLASS_E_NOAGGREGATION,
        "aggregation asks for IUnknown");
  Check(factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&inner)) == S_OK, "aggregated");
  if (inner != nullptr) {
    IDispatch* dispatch = nullptr;
    inner->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    IUnknown* identity = nullptr;
    if (dispatch != nullptr) dispatch->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity));
    Check(identity == nullptr, "an aggregated control answers IUnknown through its outer object");
    if (dispatch != nullptr) dispatch->Release();  // goes to the outer object
    IUnknown* self = nullptr;
    inner->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&self));
    Check(self == inner, "the inner IUnknown is the object's identity");
    if (self != nullptr) self->Release();
    inner->Release();
  }
  Check(canUnloadNow() == S_FALSE, "the factory still holds the module");
  factory->Release();
  Check(canUnloadNow() == S_OK, "unloadable once everything is released");
  FreeLibrary(module);
}

// Calls the member argv[0] with the arguments after it ("NUMBER5" is the
// number 5, "NULL" and "EMPTY" a script's null and undefined) and prints the
// HRESULT, retVal and TrnsMsg.
void CallMember(IDispatch* dispatch, int argc, wchar_t** argv) {
  std::vector<VARIANT> args;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg.rfind(L"NUMBER", 0) == 0) {
      args.push_back(Number(_wtol(arg.c_str() + 6)));
    } else if (arg == L"NULL" || arg == L"EMPTY") {  // a script's null and undefined
      VARIANT v;
      VariantInit(&v);
      v.vt = arg == L"NULL" ? VT_NULL : VT_EMPTY;
      args.push_back(v);
    } else {
      VARIANT v;
      VariantInit(&v);
      v.vt = VT_BSTR;
      v.bstrVal = SysAllocString(arg.c_str());
      args.push_back(v);
    }
  }
  VARIANT result;
  const HRESULT called = CallByName(dispatch, argv[0], args, &result);
  Clear(args);
  std::printf("hresult=0x%08lX\nretVal=%ld\n%s\n", static_cast<unsigned long>(called),
              result.vt == VT_I4 ? static_cast<long>(result.lVal) : -1L,
              heldControl != nullptr ? TrnsMsg(dispatch).c_str() : "");
}

// What a sited page does: asks the control to be safe for untrusted callers
// (and prints the answer), then calls the member.
void AskSafetyAndCall(IDispatch* dispatch, int argc, wchar_t** argv) {
  IObjectSafety* safety = nullptr;
  dispatch->QueryInterface(IID_IObjectSafety, reinterpret_cast<void**>(&safety));
  const HRESULT safe = safety->SetInterfaceSafetyOptions(IID_IDispatch, INTERFACESAFE_FOR_UNTRUSTED_CALLER,
                                                         INTERFACESAFE_FOR_UNTRUSTED_CALLER);
  std::printf("safety=0x%08lX\n", static_cast<unsigned long>(safe));
  safety->Release();
  CallMember(dispatch, argc, argv);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr,
                 "usage: com_host CHECKS DLLPATH | CALL|UNSITED MEMBER ARG... | PAGE|SCRIPT URL MEMBER ARG...\n");
    return 2;
  }
  _setmode(_fileno(stdout), _O_BINARY);  // TrnsMsg's line feeds stay as they are
  OleInitialize(nullptr);
  if (const char* answer = std::getenv("KORVADEN_TRANSFER")) transferAnswer = answer;
  // With KORVADEN_CUSTOMER_OUTSIDE set, a customer in another process answers.
  if (std::getenv("KORVADEN_CUSTOMER_OUTSIDE") == nullptr) {
    boxHook = SetWindowsHookExA(WH_CBT, AnswerDialogs, nullptr, GetCurrentThreadId());
  }
  IDispatch* dispatch = nullptr;
  const HRESULT created =
      CoCreateInstance(kControl, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&dispatch));
  if (FAILED(created)) {
    std::printf("FAIL CoCreateInstance: 0x%08lX\n", static_cast<unsigned long>(created));
    return 1;
  }
  if (std::wstring(argv[1]) == L"CHECKS") {
    HWND container = CreateWindowExW(0, L"STATIC", L"container", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
    RunChecks(dispatch, container);
    dispatch->Release();
    DestroyWindow(container);
    if (argc > 2) RunModuleChecks(argv[2]);
    std::printf("%d failed\n", failures);
  } else if (std::wstring(argv[1]) == L"CALL" && argc >= 3) {
    heldControl = dispatch;
    CallMember(dispatch, argc - 2, argv + 2);
    if (heldControl != nullptr) heldControl->Release();
  } else if (std::wstring(argv[1]) == L"PAGE" && argc >= 4) {
    // A browser showing the page argv[2] ("-": its site names none) sites the
    // control, asks it to be safe for scripting, and the page calls a member.
    HWND container = CreateWindowExW(0, L"STATIC", L"container", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
    Site site(container, std::wstring(argv[2]) == L"-" ? nullptr : argv[2]);
    IOleObject* object = nullptr;
    dispatch->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&object));
    heldControl = dispatch;
    object->SetClientSite(&site);
    AskSafetyAndCall(dispatch, argc - 3, argv + 3);
    object->SetClientSite(nullptr);
    object->Release();
    dispatch->Release();
    DestroyWindow(container);
  } else if (std::wstring(argv[1]) == L"UNSITED" && argc >= 3) {
    heldControl = dispatch;
    AskSafetyAndCall(dispatch, argc - 2, argv + 2);
    dispatch->Release();
  } else if (std::wstring(argv[1]) == L"SCRIPT" && argc >= 4) {
    ScriptSite site(std::wstring(argv[2]) == L"-" ? nullptr : argv[2]);
    IObjectWithSite* sited = nullptr;
    dispatch->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(&sited));
    heldControl = dispatch;
    sited->SetSite(&site);
    AskSafetyAndCall(dispatch, argc - 3, argv + 3);
    sited->SetSite(nullptr);
    sited->Release();
    dispatch->Release();
  }
  OleUninitialize();
  return failures;
}
