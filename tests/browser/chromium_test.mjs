// The whole road in Debian's Chromium: the bank's page calls window.korvaden,
// the extension starts the test build of the host, the customer presses its
// GTK windows, and the bank opens every message. Then pages that may not use
// the card, a frame that forges the page's channel, a customer who closes the
// tab, and a road with a piece missing or broken.
import {execFileSync} from "node:child_process";
import fs from "node:fs";
import path from "node:path";

import {everyCallEnds} from "./every_call_ends.mjs";
import * as road from "./road.mjs";

const {check} = road;
const apiVersion = (version) => version.replace(/^(\d+\.\d+)\.(\d+)\.(\d+)$/, "$1.$2$3");
const demo = `${road.bankOrigin}/demo.html`;
const profile = path.join(road.work, "chromium-profile");
const hostManifest = path.join(profile, "NativeMessagingHosts", `${process.env.KORVADEN_HOST_NAME}.json`);

// Settles within `ms`, or tells that it did not.
const within = (promise, ms) => Promise.race([promise, road.sleep(ms).then(() => "still waiting")]);

async function theBankPage(browser) {
  console.log("== The page API on the bank's page");
  const made = execFileSync(
                   "python3",
                   [path.join(road.source, "tools/build/browser_extension.py"), "id", process.env.KORVADEN_DEPLOYMENT])
                   .toString()
                   .trim();
  check("the extension's ID is the one its key fixes", (await road.chromiumExtensionId(browser)) === made, made);
  const page = await road.openPage(browser, demo);
  const shape = await page.evaluate(() => ({
                                      members: Object.keys(window.korvaden).sort().join(" "),
                                      frozen: Object.isFrozen(window.korvaden),
                                    }));
  check(
      "window.korvaden has the nine members, TrnsMsg and the asking events' listeners",
      shape.members ===
          "BondingDevice_Apply CardLess_Apply CardLess_Reset FidoVerify FidoVerifyOB GetAPIVersion GetInstallation " +
              "Reissue_iVeskAppCert TransIVESK TrnsMsg addEventListener removeEventListener",
      shape.members);
  check("and cannot be changed by the page", shape.frozen);
  const cardLog = road.cardLogSize();
  const installed = await page.evaluate(() => window.korvaden.GetInstallation());
  check(
      "GetInstallation: the extension and the host",
      installed.retVal === 0 && installed.extension === road.extensionVersion &&
          installed.host === apiVersion(road.extensionVersion),
      JSON.stringify(installed));
  const version = await page.evaluate(() => window.korvaden.GetAPIVersion());
  check("GetAPIVersion gives the control's version text", version === apiVersion(road.extensionVersion), version);
  check("neither touched the card", road.cardLogSize() === cardLog);
  // The page writes another origin into a request of its own making: the
  // host is given the page's real one, which the deployment allows.
  const answer = await road.channelRequest(
      page, {call: 77, version: road.extensionVersion, member: "GetAPIVersion", origin: "https://other.korvaden.test"});
  check(
      "an origin the page writes into its request is not the one checked", answer?.version === version,
      JSON.stringify(answer));
  const stale = await road.channelRequest(page, {call: 78, version: "0.9", member: "GetAPIVersion"});
  check(
      "a page API of another version than the extension: 8994 (reload)", stale?.retVal === 8994, JSON.stringify(stale));
  return page;
}

async function theDemoPage(page) {
  console.log("== The demo page's own script calls FidoVerify");
  await page.select("#member", "FidoVerify");
  const values = road.fido("P611AE", "CHROMIUM-DEMO");
  for (let i = 0; i < values.length; ++i) {
    await page.$eval(`#field-${i}`, (input, value) => (input.value = value), values[i]);
  }
  await page.click("#call");
  await page.waitForFunction(() => document.getElementById("result").innerText !== "", {timeout: 20000});
  const result = await page.$eval("#result", (element) => element.innerText);
  const message = await page.$eval("#message", (element) => element.innerText);
  check("the demo page shows 0 and its meaning", result.startsWith("0: success"), result);
  check("and the message the bank opens", (await road.opened(message)).includes("CHROMIUM-DEMO"));
  check(
      "the demo page tells the host's version",
      (await page.$eval("#version", (element) => element.innerText)) === apiVersion(road.extensionVersion));
}

async function theMembers(page) {
  console.log("== FidoVerify, TransIVESK with a PIN and the confirmation, CardLess_Apply");
  const [fidoCode, fidoMessage] = await road.pageCall(page, "FidoVerify", road.fido("P611AE", "CHROMIUM-FIDO"));
  check("FidoVerify: 0", fidoCode === 0, String(fidoCode));
  check("and the bank opens its message", (await road.opened(fidoMessage)).includes("CHROMIUM-FIDO"));

  const transfer = [
    road.reader, "123456", "2510", "123456", "81200000", "1234567890123456", "12345678", "WEBATM01", "1", "123456789",
    "100", "20230731123456", 1, "CHROMIUM-TRANSFER"
  ];
  const transferred = road.pageCall(page, "TransIVESK", transfer);
  await road.customer("wait", 217, "pause", 300);
  road.removeCard();
  await road.customer("wait", 217, "pause", 800);
  road.insertCard();
  await road.customer("wait", 214, "shot", "chromium_transfer_confirmation", "click", 2, "gone");
  const [transferCode, transferMessage, , transferAsked] = await transferred;
  check("TransIVESK: the card out and back, 確定 (Y) pressed: 0", transferCode === 0, String(transferCode));
  check(
      "the page was told each thing the customer was asked, in order",
      transferAsked === "card-out,card-in,nothing,confirm,nothing", transferAsked);
  check(
      "and the bank opens its message",
      (await road.opened(transferMessage))
          .includes("<tx_code>2510</tx_code><session_id>CHROMIUM-TRANSFER</session_id>"));

  const args = await road.blocks("CHROMIUM-CARDLESS", "CardLess_Apply");
  const applied = road.pageCall(page, "CardLess_Apply", args);
  await road.customer("wait", 230);
  const [busyCode, busyMessage] = await road.pageCall(page, "FidoVerify", road.fido("P611AE"));
  check(
      "a second call while the pad is open: 8980 at once, TrnsMsg empty", busyCode === 8980 && busyMessage === "",
      String(busyCode));
  await road.customer(
      "wait", 230, "click", 254, "keys", 97531086, "click", 255, "keys", 97531086, "click", 235, "code", "shot",
      "chromium_pin_pad", "click", 228, "gone", "wait", 239, "click", 228, "gone");
  const [cardlessCode, cardlessMessage] = await applied;
  check("CardLess_Apply through the pad and the confirmation: 0", cardlessCode === 0, String(cardlessCode));
  const password = await road.bank(["pinblock", "--cardless", "345678012345"], await road.reason(cardlessMessage));
  check("the bank recovers the password from its PIN block", password.trim() === "97531086", password);
}

async function hostilePages(browser) {
  console.log("== Pages that may not use the card");
  for (const [what, url] of [
           ["another host name", "https://other.korvaden.test/demo.html"],
           ["the bank's host on another port", "https://webatm.korvaden.test:9443/demo.html"]]) {
    const cardLog = road.cardLogSize();
    const page = await road.openPage(browser, url);
    check(`${what}: no window.korvaden`, await page.evaluate(() => window.korvaden === undefined));
    // The page writes the bank's origin into a request of its own making.
    const answer = await road.channelRequest(page, {
      call: 1,
      version: road.extensionVersion,
      member: "FidoVerify",
      args: road.fido("P611AE"),
      origin: road.bankOrigin
    });
    check(`${what}: a request written into the channel gets no answer`, answer === null, JSON.stringify(answer));
    check(
        `${what}: no host started, no card command`,
        (await road.hostProcesses()).length === 0 && road.cardLogSize() === cardLog);
    await page.close();
  }

  // A frame of the bank's own origin fails only the check of the message's
  // window, one of another origin both checks.
  for (const [what, frameOrigin] of [
           ["another origin", "https://other.korvaden.test"], ["the bank's origin", road.bankOrigin]]) {
    console.log(`== A frame of ${what} forges the page's channel`);
    const page = await road.openPage(browser, demo);
    await page.evaluate(
        (url) => new Promise((loaded) => {
          const frame = document.createElement("iframe");
          frame.src = url;
          frame.onload = loaded;
          document.body.appendChild(frame);
        }),
        `${frameOrigin}/forge.html`);
    const frame = page.frames().find((f) => f.url() === `${frameOrigin}/forge.html`);
    check(`the frame of ${what} has no window.korvaden`, await frame.evaluate(() => window.korvaden === undefined));
    await page.evaluate(() => {
      window.forgedAnswers = 0;
      // The content script's answers to the page come from the page's own window.
      window.addEventListener("message", (event) => {
        if (event.source === window && event.data?.to === "page" && event.data.call === 1000) window.forgedAnswers += 1;
      });
    });
    await frame.evaluate((version) => window.forge(version), road.extensionVersion);
    // The content script takes requests in order: once the page's own call
    // after the forged one is answered and its host is gone, a forged one
    // taken would have been answered too.
    await road.pageCall(page, "GetAPIVersion", []);
    await road.until("the hosts' end", async () => (await road.hostProcesses()).length === 0, 5);
    await road.pageCall(page, "GetAPIVersion", []);
    check("its forged request was not taken", (await page.evaluate(() => window.forgedAnswers)) === 0);
    const args = await road.blocks("CHROMIUM-FORGED", "CardLess_Apply");
    const call = road.pageCall(page, "CardLess_Apply", args);
    await road.customer("wait", 230);
    await frame.evaluate((version) => window.forge(version), road.extensionVersion);
    check("a forged answer is not taken: the call still waits", (await within(call, 700)) === "still waiting");
    check("and no second host was started", (await road.hostProcesses()).length === 1);
    await road.customer("wait", 230, "key", "Escape", "gone");
    const [code, message] = await call;
    check(
        "the real answer comes when the customer cancels: 8990, TrnsMsg empty", code === 8990 && message === "",
        String(code));
    await page.close();
  }
}

async function theCustomerLeaves(browser) {
  console.log("== The customer closes the tab while a PIN pad is open");
  const page = await road.openPage(browser, demo);
  const args = await road.blocks("CHROMIUM-LEFT", "CardLess_Apply");
  road.pageCall(page, "CardLess_Apply", args).catch(() => {});
  await road.customer("wait", 230);
  const [host] = await road.hostProcesses();
  const closed = Date.now();
  await page.close();
  await road.until("the host's exit", async () => !fs.existsSync(`/proc/${host}`), 5);
  const took = Date.now() - closed;
  check(`the host exited ${took} ms after the tab closed (at most 1000)`, took <= 1000);
  const next = await road.openPage(browser, demo);
  const [code] = await road.pageCall(next, "FidoVerify", road.fido("P611AE", "CHROMIUM-NEXT"));
  check("a call from a new page works at once: the card was released", code === 0, String(code));
  await next.close();
}

// The host's manifest pointing at a stand-in that breaks the road in one way.
async function brokenRoads(browser) {
  console.log("== A road with a piece missing or broken");
  const real = fs.readFileSync(hostManifest, "utf8");
  const page = await road.openPage(browser, demo);
  const standIn = (name, python) => {
    const file = path.join(road.work, name);
    fs.writeFileSync(file, `#!/usr/bin/python3\nimport json, struct, sys\n${python}\n`, {mode: 0o755});
    fs.writeFileSync(hostManifest, JSON.stringify({...JSON.parse(real), path: file}));
  };
  const reply =
      "def reply(m):\n  b = json.dumps(m).encode()\n  sys.stdout.buffer.write(struct.pack('=I', len(b)) + b)\n" +
      "  sys.stdout.buffer.flush()\nsys.stdin.buffer.read(4)\n";
  const cases = [
    ["no host installed", () => fs.rmSync(hostManifest), 8991],
    ["a host that ends at once", () => standIn("ends.py", "sys.exit(3)"), 8991],
    [
      "a host that ends before it answers the member",
      () => standIn("crashes.py", `${reply}reply({'id': 1, 'protocol': 1, 'host': '1.0'})\nsys.exit(3)`), 8992
    ],
    [
      "a host of another protocol", () => standIn("other.py", `${reply}reply({'id': 1, 'protocol': 2, 'host': '1.0'})`),
      8993
    ],
    [
      "a host of another major version",
      () => standIn("major.py", `${reply}reply({'id': 1, 'protocol': 1, 'host': '2.0'})`), 8993
    ],
  ];
  for (const [what, breakRoad, expected] of cases) {
    breakRoad();
    const answer = await within(road.pageCall(page, "FidoVerify", road.fido("P611AE")), 10000);
    check(
        `${what}: ${expected}, not a promise that hangs`, Array.isArray(answer) && answer[0] === expected,
        JSON.stringify(answer));
  }
  fs.writeFileSync(hostManifest, real);
  const [code] = await road.pageCall(page, "FidoVerify", road.fido("P611AE"));
  check("the host back in place: 0", code === 0, String(code));
  await page.close();
}

const server = await road.startPageServer();
const browser = await road.launchChromium({profile});
await road.runSteps(browser, server, async () => {
  console.log(`The extension loaded from ${road.extensionSource}`);
  const page = await theBankPage(browser);
  await theDemoPage(page);
  await theMembers(page);
  await page.close();
  await hostilePages(browser);
  await theCustomerLeaves(browser);
  await brokenRoads(browser);
  await everyCallEnds(browser, {
    demo,
    otherOrigin: "https://other.korvaden.test/demo.html",
    removeExtension: async () => browser.uninstallExtension(await road.chromiumExtensionId(browser)),
  });
});
