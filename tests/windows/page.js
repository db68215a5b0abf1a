// A page script, as the web ATM's page drives the control: run by cscript.
// Arguments: the reader name, and a session id for a transfer with the
// confirmation window. Prints what the page would see.
var control = new ActiveXObject("Korvaden.IveskCtrl");
var reader = WScript.Arguments.Item(0);
WScript.Echo("version=" + control.GetAPIVersion());
WScript.Echo("fresh=" + (control.TrnsMsg === ""));
var services = ["Reissue_iVeskAppCert", "CardLess_Apply", "CardLess_Reset"];
for (var i = 0; i < services.length; ++i) {
  WScript.Echo(services[i] + "=" + control[services[i]]("", "", "", "", "", "", "\u88dc\u767c"));
}
WScript.Echo("BondingDevice_Apply=" + control.BondingDevice_Apply("", "", "", "", "", "", "", ""));
WScript.Echo("TransIVESK=" + control.TransIVESK(reader, "123456", "251", "", "", "", "", "", "", "", "", "", 0, ""));
WScript.Echo(
    "FidoVerify=" +
    control.FidoVerify(
        reader, "PAGE-SESSION-0001", "1234567890123456", "20230731123456", "12345678", "WEBATM02", "P611AE", ""));
// Values no card can take: refused as values, not as script errors.
var refusals = [["2^40", Math.pow(2, 40)], ["1.5", 1.5], ["yes", "yes"]];
for (var r = 0; r < refusals.length; ++r) {
  try {
    WScript.Echo(
        "ShowVerifyDialog " + refusals[r][0] + "=" +
        control.TransIVESK(
            reader, "123456", "2510", "", "81200000", "1234567890123456", "12345678", "WEBATM02", "1", "123456789",
            "100", "20230731123456", refusals[r][1], "PAGE-SESSION-0003"));
  } catch (error) {
    WScript.Echo("ShowVerifyDialog " + refusals[r][0] + "=error " + error.number);
  }
}
WScript.Echo(
    "surrogate=" +
    control.FidoVerify(
        reader, "PAGE-SESSION-\ud800", "1234567890123456", "20230731123456", "12345678", "WEBATM02", "P611AE", ""));
WScript.Echo(
    "FidoVerifyOB=" +
    control.FidoVerifyOB(
        reader, "PAGE-SESSION-0002", "1234567890123456", "20230731123456", "12345678", "WEBATM02", "01", "02",
        "\u6e2c\u8a66ID", ""));
WScript.Echo("TrnsMsg=" + control.TrnsMsg);
if (WScript.Arguments.length > 1) {
  // With a session id: a transfer that the customer confirms in the control's window.
  WScript.Echo(
      "TransIVESK.confirmed=" +
      control.TransIVESK(
          reader, "123456", "2510", "", "81200000", "1234567890123456", "12345678", "WEBATM02", "1", "123456789", "100",
          "20230731123456", 1, WScript.Arguments.Item(1)));
}
