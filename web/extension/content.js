// The content script, between the page API and the background: it takes a
// call only from the page's own window, on the bank's exact origins, and
// opens one port to the background for it. What the page says of its origin,
// frame or tab is never passed on: the background asks the browser.
(() => {
  const browserApi = globalThis.browser || globalThis.chrome;
  "@DEPLOYMENT@";
  const origin = window.location.origin;
  if (window.top !== window || !allowedOrigins.includes(origin)) return;

  const answer = (call, fields) => window.postMessage({...fields, korvaden: 1, to: "page", call}, origin);
  // The ports of the calls that run, each with a way to end it unanswered.
  const open = new Set();

  // The page API asks, in its own dispatch, whether the extension listens.
  window.addEventListener("korvaden-listening", (event) => event.preventDefault());
  // A page that is left ends its calls: Firefox keeps a port of a page in the
  // back/forward cache open, and with it the host and its windows.
  window.addEventListener("pagehide", () => {
    for (const end of open) end();
    open.clear();
  });

  window.addEventListener("message", (event) => {
    const request = event.data;
    if (event.source !== window || event.origin !== origin) return;
    if (request === null || typeof request !== "object" || request.korvaden !== 1 || request.to !== "extension") return;
    if (!Number.isInteger(request.call) || typeof request.member !== "string" || !Array.isArray(request.args)) return;
    // The page API of another version: a page left open across an update.
    if (request.version !== version) return answer(request.call, {retVal: ResultCode.ExtensionChanged});
    let port;
    try {
      port = browserApi.runtime.connect({name: "korvaden-call"});
    } catch {
      return answer(request.call, {retVal: ResultCode.ExtensionChanged});  // removed or updated under the page
    }
    let answered = false;
    const end = () => {
      answered = true;
      port.disconnect();
    };
    open.add(end);
    port.onMessage.addListener((message) => {
      // What the host's windows ask, before the answer: passed on alone.
      if (typeof message.asking === "string" && !("retVal" in message)) {
        return answer(request.call, {asking: message.asking});
      }
      open.delete(end);
      end();
      answer(request.call, message);
    });
    port.onDisconnect.addListener(() => {
      open.delete(end);
      if (!answered) answer(request.call, {retVal: ResultCode.NativeHostEnded});
    });
    port.postMessage({member: request.member, args: request.args});
  });
})();
