#include "control/win32/page_site.h"

#include <exdisp.h>
#include <servprov.h>
#include <shlguid.h>

namespace korvaden::com {
namespace {

// A URL is ASCII; anything else in it is kept as UTF-8, which no allowed
// origin matches.
std::string Utf8(const wchar_t* text) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 1) return {};
  std::string utf8(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), length, nullptr, nullptr);
  utf8.pop_back();
  return utf8;
}

// The URL of an object tag's page: the display name of the container's moniker.
std::string MonikerUrl(IOleClientSite* site) {
  ComPtr<IMoniker> moniker;
  ComPtr<IBindCtx> context;
  LPOLESTR name = nullptr;
  if (FAILED(site->GetMoniker(OLEGETMONIKER_ONLYIFTHERE, OLEWHICHMK_CONTAINER, moniker.put())) || !moniker ||
      FAILED(CreateBindCtx(0, context.put())) || FAILED(moniker->GetDisplayName(context.get(), nullptr, &name)) ||
      name == nullptr) {
    return {};
  }
  std::string url = Utf8(name);
  CoTaskMemFree(name);
  return url;
}

// The page's URL: from an object tag's client site (empty when it will not
// say), or from a script's site through its service provider to the browser;
// none when neither site leads to a page, as a script host's does not.
std::optional<std::string> PageUrl(IOleClientSite* clientSite, IUnknown* site) {
  if (clientSite != nullptr) return MonikerUrl(clientSite);
  if (site == nullptr) return std::nullopt;
  ComPtr<IOleClientSite> siteAsClientSite;
  if (SUCCEEDED(site->QueryInterface(IID_IOleClientSite, reinterpret_cast<void**>(siteAsClientSite.put())))) {
    return MonikerUrl(siteAsClientSite.get());
  }
  ComPtr<IServiceProvider> services;
  ComPtr<IWebBrowser2> browser;
  if (FAILED(site->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(services.put()))) ||
      FAILED(services->QueryService(SID_SWebBrowserApp, IID_IWebBrowser2, reinterpret_cast<void**>(browser.put()))) ||
      !browser) {
    return std::nullopt;
  }
  BSTR location = nullptr;
  std::string url = SUCCEEDED(browser->get_LocationURL(&location)) && location != nullptr ? Utf8(location) : "";
  SysFreeString(location);
  return url;
}

}  // namespace

void PageSite::UpdatePage(ControlCore& core) const {
  const std::optional<std::string> url = PageUrl(clientSite_.get(), site_.get());
  if (url) {
    core.SetPage(*url);
  } else if (askedByAPage_) {
    core.SetPage("");
  } else {
    core.SetPage(std::nullopt);
  }
}

HRESULT PageSite::GetSafetyOptions(DWORD* supported, DWORD* enabled) const {
  if (supported == nullptr || enabled == nullptr) return E_POINTER;
  *supported = INTERFACESAFE_FOR_UNTRUSTED_CALLER;
  *enabled = safety_;
  return S_OK;
}

HRESULT PageSite::SetSafetyOptions(DWORD mask, DWORD enabled, ControlCore& core) {
  if ((mask & ~static_cast<DWORD>(INTERFACESAFE_FOR_UNTRUSTED_CALLER)) != 0) return E_FAIL;
  if ((mask & enabled & INTERFACESAFE_FOR_UNTRUSTED_CALLER) != 0) askedByAPage_ = true;
  UpdatePage(core);
  // A browser does not script a control that refuses: a page the deployment
  // does not name, or a site that leads to no page at all.
  if ((clientSite_ || site_) && core.PageRefused()) return E_FAIL;
  safety_ = (safety_ & ~mask) | (enabled & mask);
  return S_OK;
}

}  // namespace korvaden::com
