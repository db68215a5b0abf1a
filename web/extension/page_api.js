// The page API, in the page's own world from before its first script, on the
// bank's origins only: window.korvaden has the control's members under their
// names and argument orders, each giving a promise of retVal, and TrnsMsg
// after. Calls travel by window.postMessage to the extension's content
// script; answers from any other window or frame are not answers.
(() => {
  "@DEPLOYMENT@";
  // Match patterns cannot tell ports apart: the exact origin decides.
  if (window.top !== window || !allowedOrigins.includes(window.location.origin)) return;

  // The request must fit the host's frame of 64 KiB with its id, origin and
  // member name: longer arguments are refused as values, like the control's.
  const argumentsLimit = 60 * 1024;
  // Each member's parameters in their order, from the control's member table
  // at build time: {name, integer}.
  const members = "@MEMBERS@";

  const waiting = new Map();  // call number -> {member, settle}
  let lastCall = 0;
  // What the control's windows ask the customer while a member runs; see
  // korvaden.addEventListener.
  const askings = ["nothing", "card-out", "card-in", "confirm", "pad", "message"];
  const events = new EventTarget();
  let running = false;
  let trnsMsg = "";

  window.addEventListener("message", (event) => {
    const answer = event.data;
    if (event.source !== window || event.origin !== window.location.origin) return;
    if (answer === null || typeof answer !== "object" || answer.korvaden !== 1 || answer.to !== "page") return;
    const call = waiting.get(answer.call);
    if (call === undefined) return;
    if (typeof answer.asking === "string" && !("retVal" in answer)) {
      if (!askings.includes(answer.asking)) return;
      const detail = Object.freeze({member: call.member, asking: answer.asking});
      return events.dispatchEvent(new CustomEvent("asking", {detail}));
    }
    waiting.delete(answer.call);
    call.settle(answer);
  });

  // A page that is left (another page, the back/forward cache, a closed tab)
  // ends its calls: the content script closes their ports, which ends the
  // host, and the promises settle now, so that a page brought back from the
  // cache finds them settled and can call again.
  window.addEventListener("pagehide", () => {
    for (const call of waiting.values()) call.settle({retVal: ResultCode.Cancelled});
    waiting.clear();
  });

  // The content script takes a call in the page's own dispatch of this event
  // by cancelling it; nobody cancels it once the extension was removed,
  // disabled or updated under the page. So no timer decides: a page whose
  // thread is busy after the call still gets the member's own answer.
  const extensionListens = () => !window.dispatchEvent(new CustomEvent("korvaden-listening", {cancelable: true}));

  // One request to the extension; always settles, with the extension's answer
  // or with the code of the road that broke.
  function send(member, args) {
    if (!extensionListens()) return Promise.resolve({retVal: ResultCode.ExtensionChanged});
    return new Promise((settle) => {
      const call = ++lastCall;
      waiting.set(call, {member, settle});
      window.postMessage({korvaden: 1, to: "extension", call, version, member, args}, window.location.origin);
    });
  }

  // A value as the control takes a script's: null and undefined are empty
  // (or 0); anything else becomes a text, or a 32-bit integer where one is
  // wanted. Undefined for a value that cannot reach the card: a text with an
  // unpaired surrogate, a number that is not a 32-bit integer, a value that
  // cannot be converted at all.
  function argument(value, integer) {
    if (value === null || value === undefined) return null;
    try {
      if (!integer) {
        const text = String(value);
        return text.isWellFormed() ? text : undefined;
      }
      const number = Number(value);
      return Number.isInteger(number) && number >= -(2 ** 31) && number < 2 ** 31 ? number : undefined;
    } catch {
      return undefined;
    }
  }
  const tooLong = (args) => new TextEncoder().encode(JSON.stringify(args)).length > argumentsLimit;

  const korvaden = {};
  for (const [name, parameters] of Object.entries(members)) {
    korvaden[name] = (...values) => {
      trnsMsg = "";
      if (running) return Promise.resolve(ResultCode.Busy);
      const args = parameters.map(({integer}, i) => argument(values[i], integer));
      if (args.includes(undefined) || tooLong(args)) return Promise.resolve(ResultCode.InvalidArgument);
      running = true;
      return send(name, args).then((answer) => {
        running = false;
        trnsMsg = answer.retVal === ResultCode.Success && typeof answer.TrnsMsg === "string" ? answer.TrnsMsg : "";
        return answer.retVal;
      });
    };
  }
  // The host's version, without the card; empty when the host cannot be reached.
  korvaden.GetAPIVersion = () => send("GetAPIVersion", []).then((answer) => answer.version || "");
  // Whether the host is installed and fits this extension, without the card.
  korvaden.GetInstallation = () =>
      send("hello", []).then((answer) => ({retVal: answer.retVal, extension: version, host: answer.host || ""}));
  // "asking" events while a member runs: event.detail is {member, asking},
  // asking one of "card-out" (take the card out), "card-in" (put it back),
  // "confirm", "pad" (type on a pad), "message" (answer a message box) and
  // "nothing" (no window open). They carry nothing typed and nothing of the card.
  korvaden.addEventListener = (type, listener, options) => events.addEventListener(type, listener, options);
  korvaden.removeEventListener = (type, listener, options) => events.removeEventListener(type, listener, options);
  Object.defineProperty(korvaden, "TrnsMsg", {get: () => trnsMsg, enumerable: true});
  Object.defineProperty(window, "korvaden", {value: Object.freeze(korvaden), enumerable: true});
})();
