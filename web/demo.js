// The demo page's script: calls one member of the card control and tells what
// its result means. The same file runs in the page (demo.html) and under
// cscript (the tests): "cscript demo.js MEMBER ARG..." creates the control by
// its class id, calls MEMBER and prints the result, its meaning and TrnsMsg.
// The page gets the same members from one of two places: the control in
// Internet Explorer mode (answers at once), or the browser extension's
// window.korvaden in current browsers (answers with promises); `call` and
// `version` hand either answer to a callback.
// Plain JScript (no let, const or arrow functions): Internet Explorer mode runs it.

var KorvadenDemo = {
  // The control's members and their parameters, in order, made from the
  // member table by tools/build/member_table.py.
  // clang-format off
  // members: begin
  members: {
    TransIVESK: ["ReaderName", "TxCODE", "PCODE", "PIN", "LoginIssuerID", "LoginIssuerAccount", "IFD_CHK_Code", "IFD_Id", "AccountID_idx", "ImportAccount", "Money", "TransDateTime", "ShowVerifyDialog", "SessionID"],
    Reissue_iVeskAppCert: ["BHO_D5", "BHO_D1", "BHO_D2", "BHO_D3", "BHO_D4", "BHO_D11", "MSGTitle"],
    CardLess_Apply: ["BHO_D5", "BHO_D1", "BHO_D2", "BHO_D3", "BHO_D4", "BHO_D11", "MSGTitle"],
    CardLess_Reset: ["BHO_D5", "BHO_D1", "BHO_D2", "BHO_D3", "BHO_D4", "BHO_D11", "MSGTitle"],
    BondingDevice_Apply: ["BHO_D5", "BHO_D1", "BHO_D2", "BHO_D3", "BHO_D4", "BHO_D11", "BHO_D12", "MSGTitle"],
    FidoVerify: ["ReaderName", "SessionID", "LoginIssuerAccount", "TransDateTime", "IFD_CHK_Code", "IFD_Id", "TxCODE", "PIN"],
    FidoVerifyOB: ["ReaderName", "SessionID", "LoginIssuerAccount", "TransDateTime", "IFD_CHK_Code", "IFD_Id", "TxType", "CheckItem", "ID", "PIN"]
  },
  // members: end
  // clang-format on

  // What each result code means, made from the control's code by tools/build/result_codes.py.
  // clang-format off
  // result codes: begin
  meanings: {
    "0": "success; TrnsMsg holds the sealed message",
    "1": "a dialog was ended by its hidden OK command",
    "7900": "the card gave no answer to the application selection",
    "8800": "the card's account data could not be read, or the card holds no account",
    "8900": "the card did not compute the transaction authorisation code",
    "8950": "the message could not be sealed for the server (unreadable server or HSM key, failed random draw, cipher failure); TrnsMsg stays empty",
    "8960": "the page is not one the deployment allows (see the site lock); nothing reached the card",
    "8970": "a page value that the message or the card cannot carry: a control character in any value, a Money or PIN that is not all digits, a value too long for its field or the message, markup in the message's values",
    "8980": "a member was called while another member call was still running",
    "8981": "the user's member lock could not be taken: its folder is missing, not the user's own, or open to other users; nothing reached the card",
    "8990": "reader or card not reachable, a dialog cancelled, the card not re-inserted, or (given by the browser extension) the page was left while the call ran",
    "8991": "given by the browser extension, never by the control: it could not start the native host (not installed, or its manifest does not name this extension)",
    "8992": "given by the browser extension: the native host ended before it answered (it crashed or was stopped)",
    "8993": "given by the browser extension: the extension and the native host do not fit together (another protocol or major version), or the host could not take the request",
    "8994": "given by the browser extension: the extension was removed, disabled or updated while the page was open, so the page's copy of the page API no longer reaches it; nothing was started",
    "9810": "the parameter block BHO_D5 is shorter than one cipher block or has an odd length",
    "9811": "BHO_D1 refused",
    "9812": "BHO_D2 refused",
    "9813": "BHO_D3 refused",
    "9814": "BHO_D4 refused",
    "9821": "BHO_D11 refused",
    "9822": "BHO_D12 refused",
    "9899": "the parameters could not be split",
    "9940": "the card in the reader is not the card of the login",
    "9950": "a PIN pad or confirmation dialog ran out of time",
    "26144": "the card answered a PIN pad's verification with 6620"
  },
  // result codes: end
  // clang-format on

  meaning: function(code) {
    if (KorvadenDemo.meanings.hasOwnProperty(String(code))) return KorvadenDemo.meanings[String(code)];
    return code < 0 ? "a PC/SC error from selecting the card's account file" :
                      "the card answered with status word " + code.toString(16).toUpperCase();
  },

  // A member called by name (a control's methods have no apply in JScript).
  invoke: function(control, member, a) {
    switch (a.length) {
      case 7:
        return control[member](a[0], a[1], a[2], a[3], a[4], a[5], a[6]);
      case 8:
        return control[member](a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]);
      case 10:
        return control[member](a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9]);
      default:
        return control[member](a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10], a[11], a[12], a[13]);
    }
  },

  // The members' provider on this page: the extension's page API where there
  // is one, else the control of the object tag; null when neither is there.
  provider: function(objectTag) {
    if (typeof window !== "undefined" && window.korvaden) return window.korvaden;
    try {
      objectTag.GetAPIVersion();
      return objectTag;
    } catch (e) {
      return null;
    }
  },

  // Whatever `provider` gave back: the answer itself or a promise of it.
  settle: function(answer, done) {
    if (answer && typeof answer.then === "function")
      answer.then(done);
    else
      done(answer);
  },

  // Calls `member` with `values` (texts, in the member's order) and hands
  // `done` the result code, its meaning and the sealed message (empty unless
  // the code is 0).
  call: function(provider, member, values, done) {
    var names = KorvadenDemo.members[member];
    var args = [];
    for (var i = 0; i < names.length; ++i) {
      var value = i < values.length ? String(values[i]) : "";
      args.push(names[i] === "ShowVerifyDialog" ? parseInt(value || "0", 10) : value);
    }
    KorvadenDemo.settle(KorvadenDemo.invoke(provider, member, args), function(code) {
      done({code: code, meaning: KorvadenDemo.meaning(code), message: provider.TrnsMsg});
    });
  },

  // Hands `done` the control's version text.
  version: function(provider, done) {
    KorvadenDemo.settle(provider.GetAPIVersion(), done);
  }
};

// A script host creates a control that has only a class id through the
// "new:" moniker. Wine's script host has no such moniker: its tests name a
// ProgID for the class in their prefix instead.
function createControl() {
  try {
    return GetObject("new:{331B2E6C-3280-4BBD-A43D-F22A90BE0C8A}");
  } catch (e) {
    return new ActiveXObject("Korvaden.IveskCtrl");
  }
}

if (typeof WScript !== "undefined") {
  var control = createControl();
  var values = [];
  for (var i = 1; i < WScript.Arguments.length; ++i) values.push(WScript.Arguments.Item(i));
  KorvadenDemo.call(control, WScript.Arguments.Item(0), values, function(answer) {
    WScript.Echo("version=" + control.GetAPIVersion());
    WScript.Echo("result=" + answer.code + " (" + answer.meaning + ")");
    WScript.Echo("TrnsMsg=" + answer.message);
  });
}
