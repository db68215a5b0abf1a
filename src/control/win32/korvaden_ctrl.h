#pragma once
// CKorvadenIveskCtrl: the ActiveX control a page creates. Its members are thin
// shells over the control core; the rest is what a container needs to site,
// activate and draw a windowed control.
#include <windows.h>

#include <objsafe.h>
#include <ocidl.h>
#include <oleidl.h>

#include <memory>
#include <string_view>

#include "control/control_core.h"
#include "control/win32/com_base.h"
#include "control/win32/page_site.h"
#include "korvaden_h.h"

namespace korvaden::com {

inline const CLSID& CLSID_KorvadenIveskCtrl = CLSID_KORVADENIVESKCtrl;
inline constexpr DWORD kOleMiscStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
                                        OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST;  // 131473

class CKorvadenIveskCtrl final : public IKorvadenIveskCtrl,
                                 public IOleControl,
                                 public IOleObject,
                                 public IOleInPlaceActiveObject,
                                 public IViewObjectEx,
                                 public IOleInPlaceObjectWindowless,
                                 public ISupportErrorInfo,
                                 public IQuickActivate,
                                 public IDataObject,
                                 public IProvideClassInfo2,
                                 public IObjectWithSite,
                                 public IObjectSafety,
                                 public IPersistStreamInit,
                                 public IPersistPropertyBag {
 public:
  // The class factory's creation: aggregated when `outer` is given.
  static HRESULT Create(IUnknown* outer, REFIID riid, void** object);

  // IUnknown, delegating to the controlling unknown.
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override { return outer_->QueryInterface(riid, object); }
  STDMETHODIMP_(ULONG) AddRef() override { return outer_->AddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return outer_->Release(); }

  // IDispatch, through the type library.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* argError) override;

  // IKorvadenIveskCtrl.
  STDMETHODIMP TransIVESK(BSTR ReaderName, BSTR TxCODE, BSTR PCODE, BSTR PIN, BSTR LoginIssuerID,
                          BSTR LoginIssuerAccount, BSTR IFD_CHK_Code, BSTR IFD_Id, BSTR AccountID_idx,
                          BSTR ImportAccount, BSTR Money, BSTR TransDateTime, LONG ShowVerifyDialog, BSTR SessionID,
                          LONG* retVal) override;
  STDMETHODIMP Reissue_iVeskAppCert(BSTR BHO_D5, BSTR BHO_D1, BSTR BHO_D2, BSTR BHO_D3, BSTR BHO_D4, BSTR BHO_D11,
                                    BSTR MSGTitle, LONG* retVal) override;
  STDMETHODIMP get_TrnsMsg(BSTR* pVal) override;
  STDMETHODIMP GetAPIVersion(BSTR* pVal) override;
  STDMETHODIMP CardLess_Apply(BSTR BHO_D5, BSTR BHO_D1, BSTR BHO_D2, BSTR BHO_D3, BSTR BHO_D4, BSTR BHO_D11,
                              BSTR MSGTitle, LONG* retVal) override;
  STDMETHODIMP CardLess_Reset(BSTR BHO_D5, BSTR BHO_D1, BSTR BHO_D2, BSTR BHO_D3, BSTR BHO_D4, BSTR BHO_D11,
                              BSTR MSGTitle, LONG* retVal) override;
  STDMETHODIMP BondingDevice_Apply(BSTR BHO_D5, BSTR BHO_D1, BSTR BHO_D2, BSTR BHO_D3, BSTR BHO_D4, BSTR BHO_D11,
                                   BSTR BHO_D12, BSTR MSGTitle, LONG* retVal) override;
  STDMETHODIMP FidoVerify(BSTR ReaderName, BSTR SessionID, BSTR LoginIssuerAccount, BSTR TransDateTime,
                          BSTR IFD_CHK_Code, BSTR IFD_Id, BSTR TxCODE, BSTR PIN, LONG* retVal) override;
  STDMETHODIMP FidoVerifyOB(BSTR ReaderName, BSTR SessionID, BSTR LoginIssuerAccount, BSTR TransDateTime,
                            BSTR IFD_CHK_Code, BSTR IFD_Id, BSTR TxType, BSTR CheckItem, BSTR ID, BSTR PIN,
                            LONG* retVal) override;

  // IOleControl.
  STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
  STDMETHODIMP OnMnemonic(MSG*) override { return S_OK; }
  STDMETHODIMP OnAmbientPropertyChange(DISPID) override { return S_OK; }
  STDMETHODIMP FreezeEvents(BOOL) override { return S_OK; }

  // IOleObject.
  STDMETHODIMP SetClientSite(IOleClientSite* site) override;
  STDMETHODIMP GetClientSite(IOleClientSite** site) override;
  STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP Close(DWORD saveOption) override;
  STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
  STDMETHODIMP DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG index, HWND parent, LPCRECT rect) override;
  STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
  STDMETHODIMP Update() override { return S_OK; }
  STDMETHODIMP IsUpToDate() override { return S_OK; }
  STDMETHODIMP GetUserClassID(CLSID* clsid) override;
  STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override;
  STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
  STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
  STDMETHODIMP Advise(IAdviseSink* sink, DWORD* connection) override;
  STDMETHODIMP Unadvise(DWORD connection) override;
  STDMETHODIMP EnumAdvise(IEnumSTATDATA** advises) override;
  STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
  STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

  // IOleWindow, IOleInPlaceObject(Windowless), IOleInPlaceActiveObject.
  STDMETHODIMP GetWindow(HWND* window) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP InPlaceDeactivate() override;
  STDMETHODIMP UIDeactivate() override { return S_OK; }
  STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
  STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP OnWindowMessage(UINT, WPARAM, LPARAM, LRESULT*) override { return S_FALSE; }
  STDMETHODIMP GetDropTarget(IDropTarget**) override { return E_NOTIMPL; }
  STDMETHODIMP TranslateAccelerator(LPMSG) override { return S_FALSE; }
  STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

  // IViewObject, IViewObject2, IViewObjectEx.
  STDMETHODIMP Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device, HDC targetDc, HDC drawDc,
                    LPCRECTL bounds, LPCRECTL windowBounds, BOOL(STDMETHODCALLTYPE* cont)(ULONG_PTR),
                    ULONG_PTR contArg) override;
  STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) override { return S_FALSE; }
  STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
  STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
  STDMETHODIMP GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device, LPSIZEL size) override;
  STDMETHODIMP GetRect(DWORD, LPRECTL) override { return E_NOTIMPL; }
  STDMETHODIMP GetViewStatus(DWORD* status) override;
  STDMETHODIMP QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT location, LONG, DWORD* hit) override;
  STDMETHODIMP QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT location, LONG, DWORD* hit) override;
  STDMETHODIMP GetNaturalExtent(DWORD, LONG, DVTARGETDEVICE*, HDC, DVEXTENTINFO*, LPSIZEL) override {
    return E_NOTIMPL;
  }

  // ISupportErrorInfo.
  STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override;

  // IQuickActivate.
  STDMETHODIMP QuickActivate(QACONTAINER* container, QACONTROL* control) override;
  STDMETHODIMP SetContentExtent(LPSIZEL size) override { return SetExtent(DVASPECT_CONTENT, size); }
  STDMETHODIMP GetContentExtent(LPSIZEL size) override { return GetExtent(DVASPECT_CONTENT, size); }

  // IDataObject: the control offers no data of its own.
  STDMETHODIMP GetData(FORMATETC*, STGMEDIUM*) override { return DV_E_FORMATETC; }
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return DV_E_FORMATETC; }
  STDMETHODIMP QueryGetData(FORMATETC*) override { return DV_E_FORMATETC; }
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override;
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  STDMETHODIMP DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) override;
  STDMETHODIMP DUnadvise(DWORD connection) override;
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA** advises) override;

  // IProvideClassInfo, IProvideClassInfo2.
  STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
  STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

  // IObjectWithSite.
  STDMETHODIMP SetSite(IUnknown* site) override;
  STDMETHODIMP GetSite(REFIID riid, void** site) override;

  // IObjectSafety: safe for untrusted callers, nothing else, and only on the
  // pages the deployment names (see PageSite).
  STDMETHODIMP GetInterfaceSafetyOptions(REFIID riid, DWORD* supported, DWORD* enabled) override;
  STDMETHODIMP SetInterfaceSafetyOptions(REFIID riid, DWORD mask, DWORD enabled) override;

  // IPersist, IPersistStreamInit, IPersistPropertyBag: nothing to keep.
  STDMETHODIMP GetClassID(CLSID* clsid) override;
  STDMETHODIMP IsDirty() override { return S_FALSE; }
  STDMETHODIMP Load(LPSTREAM) override { return S_OK; }
  STDMETHODIMP Save(LPSTREAM, BOOL) override { return S_OK; }
  STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
  STDMETHODIMP InitNew() override { return S_OK; }
  STDMETHODIMP Load(IPropertyBag*, IErrorLog*) override { return S_OK; }
  STDMETHODIMP Save(IPropertyBag*, BOOL, BOOL) override { return S_OK; }

 private:
  explicit CKorvadenIveskCtrl(IUnknown* outer);
  ~CKorvadenIveskCtrl();

  // The non-delegating IUnknown: the object's identity and reference count.
  class Inner final : public IUnknown {
   public:
    explicit Inner(CKorvadenIveskCtrl& owner) : owner_(owner) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return refs_.AddRef(); }
    STDMETHODIMP_(ULONG) Release() override;

   private:
    CKorvadenIveskCtrl& owner_;
    RefCount refs_;
  };

  HRESULT InPlaceActivate(IOleClientSite* site, HWND parent, LPCRECT rect);
  bool HasInterface(REFIID riid);
  // Tells the core where the control is sited, after either site changed.
  void UpdatePage();
  // One member's call with the interface's arguments in their order, which
  // the build holds to the member table's parameters.
  template <Member M, class... Values>
  HRESULT RunMember(LONG* retVal, Values... values);

  Inner inner_{*this};
  IUnknown* outer_;
  ModuleLock lock_;
  std::unique_ptr<struct ControlState> state_;
  ControlCore& core_;
  HWND window_ = nullptr;
  SIZEL extent_{5080, 5080};
  PageSite page_;
  ComPtr<IOleInPlaceSite> inPlaceSite_;
  ComPtr<IOleAdviseHolder> adviseHolder_;
  ComPtr<IDataAdviseHolder> dataAdviseHolder_;
  ComPtr<IAdviseSink> viewSink_;
  DWORD viewAdviseAspects_ = 0;
  DWORD viewAdviseFlags_ = 0;
};

}  // namespace korvaden::com
