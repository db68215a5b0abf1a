// What the browser tests share: the bank's pages over HTTPS, the browsers with
// the extension and the host's manifest, the customer at the X display, the
// card in the virtual reader, the bank's tool, and counted checks. The shell
// wrapper (browser_test.sh) starts pcscd and the card and names everything in
// the environment.
import {execFile, execFileSync, spawn} from "node:child_process";
import {once} from "node:events";
import fs from "node:fs";
import https from "node:https";
import path from "node:path";
import {promisify} from "node:util";
import puppeteer from "puppeteer-core";

const run = promisify(execFile);
const env = process.env;
export const build = env.KORVADEN_BUILD;
export const source = env.KORVADEN_SOURCE;
export const work = env.KORVADEN_WORK;
export const reader = env.KORVADEN_READER;
const madeExtension = path.join(build, "web/extension");
export const extensionVersion = JSON.parse(fs.readFileSync(path.join(madeExtension, "manifest.json"))).version;
// The extension as the stores get it, where the build packed it (the linux
// preset), else the folder the build made.
const packed = (kind) => path.join(build, "package", `korvaden-extension-${extensionVersion}.${kind}`);
export const extensionSource = fs.existsSync(packed("zip")) ? "its packages" : "the folder the build made";
function chromiumExtension() {
  if (!fs.existsSync(packed("zip"))) return madeExtension;
  const folder = path.join(work, "extension-from-zip");
  execFileSync("python3", ["-m", "zipfile", "-e", packed("zip"), folder]);
  return folder;
}
const firefoxExtension = () => (fs.existsSync(packed("xpi")) ? packed("xpi") : madeExtension);
export const pagePort = 8443;
export const bankOrigin = "https://webatm.korvaden.test";

let passed = 0;
let failed = 0;
export function check(what, ok, detail = "") {
  if (ok) {
    passed += 1;
    console.log(`PASS ${what}`);
  } else {
    failed += 1;
    console.log(`FAIL ${what}${detail ? `: ${detail}` : ""}`);
  }
}
// A call the test left behind when it failed is settled by the browser's end.
process.on(
    "unhandledRejection", (error) => check("every call settled before the browser closed", false, error.message));
// Runs the test's steps in `browser`, closes it and the page server whatever
// happened, and ends the process with the checks' verdict.
export async function runSteps(browser, server, steps) {
  try {
    await steps();
  } catch (error) {
    check("the test ran to its end", false, error.stack);
  } finally {
    await browser.close();
    server.close();
  }
  console.log(`${passed} passed, ${failed} failed`);
  process.exit(failed === 0 ? 0 : 1);
}

export const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

// The demo page and its script, and the test's own pages, for every host name
// the browser sends here.
export async function startPageServer() {
  const files = {
    "/demo.html": path.join(source, "web/demo.html"),
    "/demo.js": path.join(source, "web/demo.js"),
    "/forge.html": path.join(source, "tests/browser/pages/forge.html"),
  };
  const server = https.createServer(
      {key: fs.readFileSync(path.join(work, "page.key")), cert: fs.readFileSync(path.join(work, "page.crt"))},
      (request, response) => {
        const file = files[new URL(request.url, "https://any").pathname];
        if (file === undefined) {
          response.writeHead(404).end();
          return;
        }
        const type = file.endsWith(".js") ? "text/javascript" : "text/html";
        response.writeHead(200, {"Content-Type": `${type}; charset=utf-8`}).end(fs.readFileSync(file));
      });
  server.listen(pagePort, "127.0.0.1");
  await once(server, "listening");
  return server;
}

// Chromium as a customer runs it, but with a profile of the test's own whose
// host manifest names the test build of the host.
// `headful`: in a window of its own on the display, 1024×740 at the top left,
// as on a desktop with a window manager.
export async function launchChromium({profile, hostEnv = {}, headful = false}) {
  fs.mkdirSync(path.join(profile, "NativeMessagingHosts"), {recursive: true});
  await run("python3", [
    path.join(source, "tools/build/browser_extension.py"), "host-manifest", "chromium", env.KORVADEN_DEPLOYMENT,
    env.KORVADEN_HOST, path.join(profile, "NativeMessagingHosts", `${env.KORVADEN_HOST_NAME}.json`)
  ]);
  const rules = ["webatm.korvaden.test:443", "webatm.korvaden.test:9443", "other.korvaden.test:443"]
                    .map((from) => `MAP ${from} 127.0.0.1:${pagePort}`)
                    .join(", ");
  const browser = await puppeteer.launch({
    executablePath: "/usr/bin/chromium",
    headless: !headful,
    defaultViewport: headful ? null : undefined,
    // The extension installed over a pipe, so that the test may remove it as
    // a customer would.
    pipe: true,
    enableExtensions: true,
    userDataDir: profile,
    env: {...process.env, ...hostEnv},
    args: [
      ...(process.getuid() === 0 ? ["--no-sandbox"] : []),
      `--host-resolver-rules=${rules}`,
      "--ignore-certificate-errors",
      "--disable-background-networking",
      "--disable-component-update",
      "--disable-sync",
      "--no-first-run",
      "--disable-quic",
      "--disable-gpu",
      ...(headful ? ["--window-position=0,0", "--window-size=1024,740", "--password-store=basic"] : []),
      // On a Wayland desktop, a Wayland client, as the customer's browser there.
      ...(headful && env.WAYLAND_DISPLAY ? ["--ozone-platform=wayland"] : []),
    ],
  });
  await browser.installExtension(chromiumExtension());
  return browser;
}

// The extension's ID as the browser made it from the manifest's key.
export async function chromiumExtensionId(browser) {
  const worker = await browser.waitForTarget(
      (target) => target.type() === "service_worker" && target.url().endsWith("/background.js"), {timeout: 10000});
  return new URL(worker.url()).host;
}

// Firefox ESR with the extension installed for the session over WebDriver
// BiDi, every host name resolved here, and the host manifest in a HOME of the
// test's own.
export async function launchFirefox({home}) {
  const manifests = path.join(home, ".mozilla/native-messaging-hosts");
  fs.mkdirSync(manifests, {recursive: true});
  await run("python3", [
    path.join(source, "tools/build/browser_extension.py"), "host-manifest", "firefox", env.KORVADEN_DEPLOYMENT,
    env.KORVADEN_HOST, path.join(manifests, `${env.KORVADEN_HOST_NAME}.json`)
  ]);
  const browser = await puppeteer.launch({
    browser: "firefox",
    executablePath: "/usr/bin/firefox-esr",
    headless: true,
    acceptInsecureCerts: true,
    env: {...process.env, HOME: home},
    extraPrefsFirefox: {"network.dns.forceResolve": "127.0.0.1"},
  });
  firefoxExtensionId = await browser.installExtension(firefoxExtension());
  return browser;
}
export let firefoxExtensionId = "";

export async function openPage(browser, url) {
  const page = await browser.newPage();
  await page.goto(url, {waitUntil: "load"});
  return page;
}

// A member called by the page, its promise settled: [retVal, TrnsMsg, ms,
// what the page was told the customer is asked meanwhile ("card-out,…")].
export function pageCall(page, member, args) {
  return page.evaluate(async (member, args) => {
    const asked = [];
    const listener = (event) => event.detail.member === member && asked.push(event.detail.asking);
    window.korvaden.addEventListener("asking", listener);
    const started = performance.now();
    const retVal = await window.korvaden[member](...args);
    window.korvaden.removeEventListener("asking", listener);
    return [retVal, window.korvaden.TrnsMsg, performance.now() - started, asked.join(",")];
  }, member, args);
}

// A request the page writes into the channel itself, as a page without the
// page API (or one that goes around it) would: the extension's answer, or
// null when none came within `ms`.
export function channelRequest(page, request, ms = 1500) {
  return page.evaluate(
      (request, ms) => new Promise((settle) => {
        window.addEventListener("message", (event) => {
          if (event.data.to === "page" && event.data.call === request.call && !event.data.taken) settle(event.data);
        });
        window.postMessage({korvaden: 1, to: "extension", args: [], ...request}, "*");
        setTimeout(() => settle(null), ms);
      }),
      request, ms);
}

export async function customer(...steps) {
  const {stdout} = await run(
      "bash", [path.join(source, "tests/browser/customer.sh"), ...steps.map(String)],
      {env: {...process.env, KORVADEN_SCREENS: env.KORVADEN_SCREENS}});
  return stdout;
}

// The bank's tool; `input` is its standard input, none when it reads none
// (a tool that exits before it read its input is no failure of the test).
export async function bank(args, input = null) {
  const child = spawn(
      path.join(build, "tools/bank/korvaden-bank"), args,
      {stdio: [input === null ? "ignore" : "pipe", "pipe", "inherit"]});
  let out = "";
  child.stdout.on("data", (chunk) => (out += chunk));
  if (input !== null) {
    child.stdin.on("error", () => {});
    child.stdin.end(input);
  }
  await once(child, "close");
  return out;
}
export const opened = (trnsMsg) => bank(["unseal"], trnsMsg);
export const reason = async (trnsMsg) =>
    ((await opened(trnsMsg)).replace(/\n/g, "").match(/<reason>(.*)<\/reason>/) || [, ""])[1];

// The bank's parameter blocks for the default card, in a service member's order.
export async function blocks(session, member) {
  const out = await bank([
    "blocks", "--d1", `2812000001234567890123456${reader}`, "--d2", session, "--d3",
    "ATM0000187654321XXXXXXXX20231201093000", "--d4", "654321", "--d11", "2571", "--d12", "A123456789"
  ]);
  const value = (name) => (out.match(new RegExp(`^${name}=(.*)$`, "m")) || [, ""])[1];
  const names = ["BHO_D5", "BHO_D1", "BHO_D2", "BHO_D3", "BHO_D4", "BHO_D11"];
  if (member === "BondingDevice_Apply") names.push("BHO_D12");
  return [...names.map(value), "Activity"];
}

export const fido = (pin, session = "SESSION0123456789ABCDEF") =>
    [reader, session, "1234567890123456", "20230731123456", "12345678", "WEBATM01", pin, ""];

export const cardLogSize = () => fs.statSync(path.join(work, "card.log")).size;

// The card taken out of the reader, and a card put back in (the virtual
// card's process ends and a new one starts).
let card = Number(env.KORVADEN_CARD_PID);
export function removeCard() {
  process.kill(card);
}
export function insertCard() {
  const child = spawn(
      path.join(build, "tools/card/korvaden-card"),
      ["--port", env.KORVADEN_CARD_PORT, "--log", path.join(work, "card.log")], {stdio: "ignore"});
  card = child.pid;
  process.on("exit", () => child.kill());
}

// The host processes of the test build that run now.
export async function hostProcesses() {
  try {
    const {stdout} = await run("pgrep", ["-f", `^${env.KORVADEN_HOST}`]);
    return stdout.split("\n").filter(Boolean).map(Number);
  } catch {
    return [];
  }
}

export async function until(what, test, seconds = 20) {
  const deadline = Date.now() + seconds * 1000;
  while (!(await test())) {
    if (Date.now() > deadline) throw new Error(`gave up waiting for ${what}`);
    await sleep(20);
  }
}
