// The page API, in the page's own world from before its first script, on the
// bank's origins only: window.korvaden has the control's members under their
// names and argument orders, each giving a promise of retVal, and TrnsMsg
// after. Calls travel by window.postMessage to the extension's content
// script; answers from any other window or frame are not answers.
(() => {
  const allowedOrigins = "@ALLOWED_ORIGINS@";
  // Match patterns cannot tell ports apart: the exact origin decides.
  if (window.top !== window || !allowedOrigins.includes(window.location.origin)) return;

  // The result codes by their names in the control's code, put in at build time.
  const ResultCode = "@RESULT_CODES@";

  const version = "@VERSION@";
  // How long the content script may take to take a call before the page is
  // told that the extension is not there to answer.
  const takeLimitMs = 3000;
  // Each member's parameter count, and which parameter is an integer.
  const members = {
    TransIVESK: {count: 14, integerAt: 12},
    FidoVerify: {count: 8},
    FidoVerifyOB: {count: 10},
    Reissue_iVeskAppCert: {count: 7},
    CardLess_Apply: {count: 7},
    CardLess_Reset: {count: 7},
    BondingDevice_Apply: {count: 8},
  };

  const waiting = new Map();  // call number -> {timer, settle}
  let lastCall = 0;
  let running = false;
  let trnsMsg = "";

  window.addEventListener("message", (event) => {
    const answer = event.data;
    if (event.source !== window || event.origin !== window.location.origin) return;
    if (answer === null || typeof answer !== "object" || answer.korvaden !== 1 || answer.to !== "page") return;
    const call = waiting.get(answer.call);
    if (call === undefined) return;
    if (answer.taken === true) {
      clearTimeout(call.timer);
      return;
    }
    waiting.delete(answer.call);
    clearTimeout(call.timer);
    call.settle(answer);
  });

  // One request to the extension; always settles, with the extension's answer
  // or with the code of the road that broke.
  function send(member, args) {
    return new Promise((settle) => {
      const call = ++lastCall;
      const timer = setTimeout(() => {
        waiting.delete(call);
        settle({retVal: ResultCode.NoNativeHost});
      }, takeLimitMs);
      waiting.set(call, {timer, settle});
      window.postMessage({korvaden: 1, to: "extension", call, version, member, args}, window.location.origin);
    });
  }

  // A value as the control takes a script's: null and undefined are empty
  // (or 0); anything else becomes a text, or an integer where one is wanted.
  function argument(value, integer) {
    if (value === null || value === undefined) return null;
    if (!integer) return String(value);
    const number = Number(value);
    return Number.isInteger(number) ? number : undefined;
  }

  const korvaden = {};
  for (const [name, {count, integerAt}] of Object.entries(members)) {
    korvaden[name] = (...values) => {
      trnsMsg = "";
      if (running) return Promise.resolve(ResultCode.Busy);
      const args = [];
      for (let i = 0; i < count; ++i) args.push(argument(values[i], i === integerAt));
      if (args.includes(undefined)) return Promise.resolve(ResultCode.InvalidArgument);
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
  Object.defineProperty(korvaden, "TrnsMsg", {get: () => trnsMsg, enumerable: true});
  Object.defineProperty(window, "korvaden", {value: Object.freeze(korvaden), enumerable: true});
})();
