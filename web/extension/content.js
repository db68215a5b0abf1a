// The content script, between the page API and the background: it takes a
// call only from the page's own window, on the bank's exact origins, and
// opens one port to the background for it. What the page says of its origin,
// frame or tab is never passed on: the background asks the browser.
(() => {
  const browserApi = globalThis.browser || globalThis.chrome;
  const allowedOrigins = "@ALLOWED_ORIGINS@";
  const version = "@VERSION@";
  const origin = window.location.origin;
  if (window.top !== window || !allowedOrigins.includes(origin)) return;

  // result code names: begin
  const ResultCode = Object.freeze({
    Success: 0,
    DialogOk: 1,
    NoSelectionAnswer: 7900,
    CardUnreadable: 8800,
    TacFailed: 8900,
    SealFailed: 8950,
    PageRefused: 8960,
    InvalidArgument: 8970,
    Busy: 8980,
    Cancelled: 8990,
    NoNativeHost: 8991,
    NativeHostEnded: 8992,
    RoadMismatch: 8993,
    BlockD5Refused: 9810,
    BlockD1Refused: 9811,
    BlockD2Refused: 9812,
    BlockD3Refused: 9813,
    BlockD4Refused: 9814,
    BlockD11Refused: 9821,
    BlockD12Refused: 9822,
    ParametersUnsplittable: 9899,
    WrongCard: 9940,
    TimedOut: 9950,
    PinPadCard6620: 26144,
  });
  // result code names: end

  const answer = (call, fields) => window.postMessage({...fields, korvaden: 1, to: "page", call}, origin);

  window.addEventListener("message", (event) => {
    const request = event.data;
    if (event.source !== window || event.origin !== origin) return;
    if (request === null || typeof request !== "object" || request.korvaden !== 1 || request.to !== "extension") return;
    if (!Number.isInteger(request.call) || typeof request.member !== "string" || !Array.isArray(request.args)) return;
    answer(request.call, {taken: true});
    // The page API of another version (a page left open across an update).
    if (request.version !== version) return answer(request.call, {retVal: ResultCode.RoadMismatch});
    let port;
    try {
      port = browserApi.runtime.connect({name: "korvaden-call"});
    } catch {
      return answer(request.call, {retVal: ResultCode.NoNativeHost});  // the extension was removed or updated under the page
    }
    let answered = false;
    port.onMessage.addListener((message) => {
      answered = true;
      port.disconnect();
      answer(request.call, message);
    });
    port.onDisconnect.addListener(() => {
      if (!answered) answer(request.call, {retVal: ResultCode.NativeHostEnded});
    });
    port.postMessage({member: request.member, args: request.args});
  });
})();
