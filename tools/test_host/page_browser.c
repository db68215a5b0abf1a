// A browser object that answers only what a control may ask of the browser
// that shows a page: where the page is (IWebBrowser2::get_LocationURL). Written
// in C so that its table of some seventy methods can be filled in a loop; every
// other method answers E_NOTIMPL (one function serves them all, which the x64
// calling convention allows: the caller cleans up the arguments).
#define CINTERFACE
#define COBJMACROS
#include <windows.h>

#include <exdisp.h>

#include "page_browser.h"

typedef struct {
  IWebBrowser2 iface;
  LONG refs;
  BSTR location;
} PageBrowser;

static HRESULT STDMETHODCALLTYPE NotImplemented(void) { return E_NOTIMPL; }

static HRESULT STDMETHODCALLTYPE QueryInterface(IWebBrowser2* self, REFIID riid, void** object) {
  if (IsEqualIID(riid, &IID_IUnknown) || IsEqualIID(riid, &IID_IDispatch) || IsEqualIID(riid, &IID_IWebBrowser) ||
      IsEqualIID(riid, &IID_IWebBrowserApp) || IsEqualIID(riid, &IID_IWebBrowser2)) {
    *object = self;
    IWebBrowser2_AddRef(self);
    return S_OK;
  }
  *object = NULL;
  return E_NOINTERFACE;
}

static ULONG STDMETHODCALLTYPE AddRef(IWebBrowser2* self) { return InterlockedIncrement(&((PageBrowser*)self)->refs); }

static ULONG STDMETHODCALLTYPE Release(IWebBrowser2* self) {
  PageBrowser* browser = (PageBrowser*)self;
  const ULONG refs = InterlockedDecrement(&browser->refs);
  if (refs == 0) {
    SysFreeString(browser->location);
    HeapFree(GetProcessHeap(), 0, browser);
  }
  return refs;
}

static HRESULT STDMETHODCALLTYPE GetLocationUrl(IWebBrowser2* self, BSTR* location) {
  if (location == NULL) return E_POINTER;
  *location = SysAllocString(((PageBrowser*)self)->location);
  return *location != NULL ? S_OK : E_OUTOFMEMORY;
}

static IWebBrowser2Vtbl methods;

IUnknown* NewPageBrowser(const wchar_t* location) {
  if (methods.QueryInterface == NULL) {
    void (**slots)(void) = (void (**)(void)) & methods;
    for (size_t i = 0; i < sizeof(methods) / sizeof(*slots); ++i) slots[i] = (void (*)(void))NotImplemented;
    methods.QueryInterface = QueryInterface;
    methods.AddRef = AddRef;
    methods.Release = Release;
    methods.get_LocationURL = GetLocationUrl;
  }
  PageBrowser* browser = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(PageBrowser));
  if (browser == NULL) return NULL;
  browser->iface.lpVtbl = &methods;
  browser->refs = 1;
  browser->location = SysAllocString(location);
  return (IUnknown*)&browser->iface;
}
