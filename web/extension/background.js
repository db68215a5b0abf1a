// The extension's background (a service worker on Chromium, a background
// script on Firefox). Each page call comes as its own port from the content
// script and gets its own native port to the host; both close when the call
// ends or the page goes away, and the host then exits. The origin the host is
// given is the one the browser reports for the port's sender.
const browserApi = globalThis.browser || globalThis.chrome;
"@DEPLOYMENT@";
const hostName = "@NATIVE_HOST_NAME@";
const hostProtocol = 1;


// Versions fit when their first numbers are the same.
const major = (text) => String(text).split(".")[0];

// Firefox names a sender's origin since version 80; its URL tells it too.
function senderOrigin(sender) {
  if (typeof sender.origin === "string") return sender.origin;
  try {
    return new URL(sender.url).origin;
  } catch {
    return "";
  }
}

// One page call over a fresh host: the host's hello first (its protocol and
// version must fit), then the request; "hello" alone asks only that.
function run(page, origin, request) {
  let stage = "hello";
  let host = null;
  const finish = (answer) => {
    if (stage === "done") return;
    stage = "done";
    if (host !== null) host.disconnect();
    try {
      page.postMessage(answer);
      page.disconnect();
    } catch {
      // The page went first; nobody waits for the answer.
    }
  };
  page.onDisconnect.addListener(() => {
    stage = "done";
    if (host !== null) host.disconnect();
  });
  try {
    host = browserApi.runtime.connectNative(hostName);
  } catch {
    return finish({retVal: ResultCode.NoNativeHost});
  }
  host.onDisconnect.addListener(() => {
    void browserApi.runtime.lastError;  // read, so that the browser does not log it as unchecked
    finish({retVal: stage === "hello" ? ResultCode.NoNativeHost : ResultCode.NativeHostEnded});
  });
  host.onMessage.addListener((message) => {
    // A request the host could not take at all (its id unread) ends the call.
    if (typeof message.error === "string" && message.id === null) return finish({retVal: ResultCode.RoadMismatch});
    if (stage === "hello" && message.id === 1) {
      if (message.protocol !== hostProtocol || major(message.host) !== major(version)) {
        return finish({retVal: ResultCode.RoadMismatch, host: String(message.host)});
      }
      if (request.member === "hello") return finish({retVal: ResultCode.Success, host: message.host});
      stage = "member";
      host.postMessage({id: 2, origin, member: request.member, args: request.args});
    } else if (stage === "member" && message.id === 2) {
      if (typeof message.asking === "string" && !("retVal" in message)) {
        // What the host's windows ask now: passed on, the call goes on.
        page.postMessage({asking: message.asking});
      } else if (Number.isInteger(message.retVal)) {
        finish({retVal: message.retVal, TrnsMsg: String(message.TrnsMsg || "")});
      } else if (typeof message.version === "string") {
        finish({retVal: ResultCode.Success, version: message.version});
      } else {
        finish({retVal: message.error === "origin_refused" ? ResultCode.PageRefused : ResultCode.RoadMismatch});
      }
    }
  });
  host.postMessage({id: 1, member: "hello"});
}

browserApi.runtime.onConnect.addListener((page) => {
  const sender = page.sender || {};
  const origin = senderOrigin(sender);
  // Only the extension's own content script, in a tab's top frame, on an
  // allowed origin: anything else is closed unanswered.
  if (page.name !== "korvaden-call" || sender.id !== browserApi.runtime.id || !sender.tab || sender.frameId !== 0 ||
      !allowedOrigins.includes(origin)) {
    page.disconnect();
    return;
  }
  let taken = false;
  page.onMessage.addListener((request) => {
    if (taken || request === null || typeof request !== "object") return;
    taken = true;
    if (typeof request.member !== "string" || !Array.isArray(request.args)) {
      page.postMessage({retVal: ResultCode.RoadMismatch});
      return page.disconnect();
    }
    run(page, origin, request);
  });
});
