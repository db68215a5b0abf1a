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

  // The result codes by their names in the control's code, put in at build time.
  const ResultCode = "@RESULT_CODES@";

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
