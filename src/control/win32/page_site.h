#pragma once
// Where the control is and who calls it: its two sites (an object tag's client
// site, a script's site), the page's URL they lead to, and the safety
// question. Only a browser asks for safety for untrusted callers, so once
// that was asked the caller is a page, and every member call must find the
// page's URL through the sites at that moment: when it cannot, the call is
// refused. A host that never asks (a local program, a script host) is not
// restricted.
#include <windows.h>

#include <objsafe.h>
#include <ocidl.h>

#include <optional>
#include <string>

#include "control/control_core.h"
#include "control/win32/com_base.h"

namespace korvaden::com {

class PageSite {
 public:
  void SetClientSite(IOleClientSite* site) { clientSite_.Reset(site); }
  void SetSite(IUnknown* site) { site_.Reset(site); }
  IOleClientSite* clientSite() const { return clientSite_.get(); }
  IUnknown* site() const { return site_.get(); }

  // Tells the core where it is, as the sites say now: the page's URL; an empty
  // text (which no deployment allows) when a page asked for safety and none
  // can be learned; none for a host that is no page.
  void UpdatePage(ControlCore& core) const;

  // IObjectSafety, for an interface the control has.
  HRESULT GetSafetyOptions(DWORD* supported, DWORD* enabled) const;
  // Refused when the control is sited and no allowed page can be learned.
  HRESULT SetSafetyOptions(DWORD mask, DWORD enabled, ControlCore& core);

 private:
  ComPtr<IOleClientSite> clientSite_;
  ComPtr<IUnknown> site_;
  DWORD safety_ = INTERFACESAFE_FOR_UNTRUSTED_CALLER;
  bool askedByAPage_ = false;
};

}  // namespace korvaden::com
