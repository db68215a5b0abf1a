// What both browsers must do with a call that the page does not wait for in
// the usual way: a page left while a PIN pad is open (to its own origin and
// to another) and brought back from the back/forward cache, a page whose
// thread is busy right after its call, values no card can take, and the
// extension removed under an open page.
import * as road from "./road.mjs";

const {check} = road;
// A page left ends its call within 1 s. The sanitizers' build spends more of
// its own at the host's exit (the leak check), so it is held to 3 s.
const exitLimitMs = process.env.KORVADEN_SANITIZED === "ON" ? 3000 : 1000;

// The customer's windows of the test build that are on screen now.
async function windowsShown() {
  try {
    return (await road.customer("count")).trim();
  } catch {
    return "unknown";
  }
}

// The PIN pad of the call the page just made; when none comes, a failure
// that says what the page and the desktop had instead.
async function padOf(page) {
  try {
    await road.customer("wait", 230);
  } catch (error) {
    const trail = await page.evaluate(() => window.trail).catch(() => null);
    const hosts = await road.hostProcesses();
    throw new Error(`${error.message.trim()}; the call: ${JSON.stringify(trail)}, windows shown: ${
        await windowsShown()}, hosts running: ${hosts.length}`);
  }
}

// A page left while the PIN pad of CardLess_Apply is open, then Back.
async function leaveAndComeBack(browser, demo, away, what) {
  const page = await road.openPage(browser, demo);
  const args = await road.blocks(`LEFT-${what.toUpperCase().replace(/ /g, "-")}`, "CardLess_Apply");
  await page.evaluate((args) => {
    window.trail = {result: "pending", restored: null, asked: []};
    window.korvaden.addEventListener("asking", (event) => window.trail.asked.push(event.detail.asking));
    window.addEventListener("pageshow", (event) => (window.trail.restored = event.persisted));
    window.trail.called = performance.now();
    window.korvaden.CardLess_Apply(...args).then((code) => {
      window.trail.result = code;
      window.trail.settled = performance.now();
    });
  }, args);
  await padOf(page);
  const [host] = await road.hostProcesses();
  // From the moment the page is left, not from when the next page has loaded.
  const left = Date.now();
  const navigated = page.goto(away, {waitUntil: "load"});
  await road.until("the host's exit", async () => (await road.hostProcesses()).length === 0, 5);
  const took = Date.now() - left;
  await navigated;
  check(
      `the page left to ${what}: the host ${host} ended ${took} ms after (at most ${exitLimitMs})`,
      took <= exitLimitMs);
  check(`and no window of it is left`, (await windowsShown()) === "0");
  // A page brought back from the cache fires no load event to wait for.
  await page.evaluate(() => history.back()).catch(() => {});
  await road.until("the page back", async () => {
    try {
      return await page.evaluate((url) => location.href === url && document.readyState === "complete", demo);
    } catch {
      return false;  // between two documents
    }
  }, 10);
  const trail = await page.evaluate(() => window.trail || null);
  check(
      `Back from ${what}: the page came from the back/forward cache`, trail?.restored === true, JSON.stringify(trail));
  check(`and its promise had settled with 8990`, trail?.result === 8990, JSON.stringify(trail));
  const [code] = await road.pageCall(page, "FidoVerify", road.fido("P611AE", "BACK-AGAIN"));
  check(`and its next call gives 0`, code === 0, String(code));
  await page.close();
}

export async function everyCallEnds(browser, {demo, otherOrigin, removeExtension}) {
  console.log("== A page left while a PIN pad is open, and brought back");
  await leaveAndComeBack(browser, demo, `${demo}?elsewhere`, "its own origin");
  await leaveAndComeBack(browser, demo, otherOrigin, "another origin");

  console.log("== A page busy right after its call");
  const page = await road.openPage(browser, demo);
  for (const [what, later] of [["at once", false], ["in its next task", true]]) {
    const [busyCode] = await page.evaluate((args, later) => {
      const call = window.korvaden.FidoVerify(...args);
      const busy = () => {
        const until = Date.now() + 4000;
        while (Date.now() < until)
          ;
      };
      if (later)
        setTimeout(busy, 0);
      else
        busy();
      return call.then((code) => [code]);
    }, road.fido("P611AE", "BUSY-PAGE"), later);
    check(`a page busy for 4 s ${what} after FidoVerify still gets its answer: 0`, busyCode === 0, String(busyCode));
  }

  // Each check of "no host started" below begins with none running: the
  // last call's host may still be on its way out (slower in the sanitizers' build).
  const noHostLeft = () => road.until("the last host's exit", async () => (await road.hostProcesses()).length === 0, 5);
  await noHostLeft();
  console.log("== Values no card can take");
  const refused = [
    ["an unpaired surrogate", road.fido("P611AE", "\uD800")],
    ["a text over 64 KB", road.fido("P611AE", "S".repeat(70 * 1024))],
    ["a value whose conversion throws", road.fido("P611AE", "THROWS")],
  ];
  for (const [what, args] of refused) {
    const code = await page.evaluate(async (args, throws) => {
      if (throws)
        args[1] = {
          toString() {
            throw new Error("no text");
          }
        };
      return window.korvaden.FidoVerify(...args);
    }, args, what.includes("throws"));
    check(
        `${what}: 8970 at once, no host started`, code === 8970 && (await road.hostProcesses()).length === 0,
        String(code));
  }
  const transfer = [
    road.reader, "123456", "2510", "", "81200000", "1234567890123456", "12345678", "WEBATM01", "1", "123456789", "100",
    "20230731123456", 2 ** 40, "LARGE"
  ];
  for (const [what, value] of [["2^40", 2 ** 40], ["1.5", 1.5], ["\"yes\"", "yes"]]) {
    transfer[12] = value;
    const [code] = await road.pageCall(page, "TransIVESK", transfer);
    check(`ShowVerifyDialog ${what}: 8970`, code === 8970, String(code));
  }
  const [nextCode] = await road.pageCall(page, "FidoVerify", road.fido("P611AE", "AFTER-REFUSALS"));
  check("the next call works: 0", nextCode === 0, String(nextCode));

  console.log("== The extension removed under an open page");
  await noHostLeft();
  await removeExtension();
  const removed = await Promise.race(
      [road.pageCall(page, "FidoVerify", road.fido("P611AE")), road.sleep(10000).then(() => ["still waiting"])]);
  check("a call gives 8994 (reload the page), not a promise that hangs", removed[0] === 8994, JSON.stringify(removed));
  check("and no host started", (await road.hostProcesses()).length === 0);
  await page.close();
}
