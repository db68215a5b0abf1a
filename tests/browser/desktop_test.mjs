// The customer's desktop: Chromium in a window of its own under a real window
// manager on X11 (KORVADEN_WINDOW_MANAGER names it: GNOME's, or a light one)
// on a 1024×768 screen, or under GNOME Shell on Wayland ("gnome_wayland"),
// with a customer who clicked and typed into the page before calling. Each of
// the host's windows must open on top of the browser with the keyboard (the
// keys typed next reach it), lie wholly on the screen, and name the page's
// origin in its title; on X11 it must also stay above the browser after a
// click into it. The page hears what the customer is asked, in order.
import {execFile} from "node:child_process";
import path from "node:path";
import {promisify} from "node:util";

import * as shell from "./gnome_shell.mjs";
import * as road from "./road.mjs";

const {check} = road;
const run = promisify(execFile);
// The desktop, and GTK's scale when it is not 1 (GDK_SCALE).
const scale = process.env.GDK_SCALE || "1";
const wm = process.env.KORVADEN_WINDOW_MANAGER + (scale === "1" ? "" : `_scale${scale}`);
const demo = `${road.bankOrigin}/demo.html`;
const screenshotOf = (name) => path.join(process.env.KORVADEN_SCREENS, `${name}.png`);

// What the customer sees of a window: {focused, above (the browser),
// onscreen, title, seen (all of it, for a failure's detail)}.

// An X11 desktop: the host's windows found by their controls, through the
// customer at the X display.
async function x11Desktop() {
  const xdotool = async (...args) => (await run("xdotool", args.map(String))).stdout.trim();
  const browserWindow = (await xdotool("search", "--sync", "--onlyvisible", "--class", "chromium")).split("\n")[0];
  const seen = (out) => ({
    focused: out.includes("active=1"),
    above: out.includes("above=1"),
    onscreen: out.includes("onscreen=1"),
    title: (out.match(/^title: (.*)$/m) || [, ""])[1],
    seen: out,
  });
  return {
    pressesControls: true,
    keepsAboveAfterAClick: true,
    async clickAndTypeIntoThePage() {
      await xdotool("mousemove", "--window", browserWindow, 500, 400, "click", 1);
      await xdotool("type", "--delay", 20, "hello");
    },
    clickIntoTheBrowserBeside: () => xdotool("mousemove", "--window", browserWindow, 40, 700, "click", 1),
    window: async (id) => seen(await road.customer("wait", id, "desk", browserWindow, "title")),
    box: async () => seen(await road.customer("waitbox", "desk", browserWindow, "title")),
    type: (id, key) => road.customer("wait", id, "typed", key, "gone"),
    shot: (name) => run("import", ["-window", "root", screenshotOf(name)]),
  };
}

// GNOME Shell on Wayland: each window the host shows is a new window of the
// shell (a window shown again too), found by the service's name in its title.
async function gnomeWaylandDesktop() {
  await road.until(
      "the browser's window", async () => (await shell.windows()).some((w) => w.title.includes("Chromium")));
  let lastSeen = 0;
  const keys = {Escape: "KEY_Escape", Return: "KEY_Return"};
  return {
    pressesControls: false,
    keepsAboveAfterAClick: false,
    async clickAndTypeIntoThePage() {
      const browser = (await shell.windows()).find((w) => w.title.includes("Chromium"));
      await shell.click(browser.x + 500, browser.y + 400);
      await shell.typeKeys("KEY_h", "KEY_e", "KEY_l", "KEY_l", "KEY_o");
    },
    async window() {
      let all = [];
      // A new window of the host, once the shell has shown it.
      const host = () => all.find((w) => w.id > lastSeen && w.shown && w.title.includes("DrommelWebATM"));
      await road.until("a new window of the host", async () => {
        all = await shell.windows();
        return host() !== undefined;
      });
      const shown = host();
      lastSeen = shown.id;
      const browser = all.findIndex((w) => w.title.includes("Chromium"));
      return {...shown, above: all.indexOf(shown) > browser, seen: JSON.stringify(all)};
    },
    type: (id, key) => shell.typeKeys(keys[key]),
    shot: (name) => shell.screenshot(screenshotOf(name)),
  };
}

// The checks of a window that has just opened.
function onTop(what, window) {
  check(
      `${wm}: ${what} is on top of the browser with the keyboard, wholly on the screen`,
      window.focused && window.above && window.onscreen, window.seen);
  check(
      `${wm}: ${what}'s title names the service and the page's origin`,
      window.title.endsWith(`DrommelWebATM - ${road.bankOrigin}`), window.title);
}

const server = await road.startPageServer();
const browser = await road.launchChromium({profile: path.join(road.work, "desktop-profile"), headful: true});
await road.runSteps(browser, server, async () => {
  const page = await road.openPage(browser, demo);
  // What the page has heard so far, as the test waits on it.
  await page.evaluate(() => {
    window.heard = [];
    window.korvaden.addEventListener("asking", (event) => window.heard.push(event.detail.asking));
  });
  const heardLast = () => page.evaluate(() => window.heard.at(-1));
  const desktop = wm === "gnome_wayland" ? await gnomeWaylandDesktop() : await x11Desktop();
  await desktop.clickAndTypeIntoThePage();

  console.log(`== ${wm}: TransIVESK with the PIN: the card prompt, then the confirmation`);
  const transfer = [
    road.reader, "123456", "2510", "123456", "81200000", "1234567890123456", "12345678", "WEBATM01", "1", "123456789",
    "100", "20230731123456", 1, "DESKTOP-TRANSFER"
  ];
  const transferred = road.pageCall(page, "TransIVESK", transfer);
  onTop("the card prompt", await desktop.window(217));
  await desktop.shot(`desktop_${wm}_card_prompt`);
  if (desktop.keepsAboveAfterAClick) {
    // A click into the browser, beside the prompt: the prompt stays above it.
    await desktop.clickIntoTheBrowserBeside();
    const after = await desktop.window(217);
    check(`${wm}: after a click into the browser the card prompt is still above it`, after.above, after.seen);
  }
  road.removeCard();
  await road.until("the prompt to put the card back", async () => (await heardLast()) === "card-in");
  road.insertCard();
  onTop("the transfer confirmation", await desktop.window(214));
  await desktop.shot(`desktop_${wm}_transfer_confirmation`);
  await desktop.type(214, "Escape");
  const [transferCode, , , transferAsked] = await transferred;
  check(`${wm}: Esc typed next reached the confirmation: 8990`, transferCode === 8990, String(transferCode));
  check(
      `${wm}: the page heard the card out, back in, then the confirmation`,
      transferAsked === "card-out,card-in,nothing,confirm,nothing", transferAsked);

  await desktop.clickAndTypeIntoThePage();
  const args = await road.blocks("DESKTOP-CARDLESS", "CardLess_Apply");
  const applied = road.pageCall(page, "CardLess_Apply", args);
  if (desktop.pressesControls) {
    console.log(`== ${wm}: CardLess_Apply with a wrong verification code: the pad, a box, the pad again`);
    onTop("the PIN pad", await desktop.window(230));
    await desktop.shot(`desktop_${wm}_pin_pad`);
    await road.customer(
        "wait", 230, "click", 254, "keys", 97531086, "click", 255, "keys", 97531086, "click", 235, "wrongcode", "click",
        228);
    const box = await desktop.box();
    check(`${wm}: the pad's box is on top with the keyboard`, box.focused && box.above, box.seen);
    await road.customer("waitbox", "typed", "Return", "gone");
    onTop("the PIN pad after its box", await desktop.window(230));
  } else {
    console.log(`== ${wm}: CardLess_Apply: the pad`);
    onTop("the PIN pad", await desktop.window(230));
    await desktop.shot(`desktop_${wm}_pin_pad`);
  }
  await desktop.type(230, "Escape");
  const [cardlessCode, , , cardlessAsked] = await applied;
  check(`${wm}: Esc typed next reached the pad: 8990`, cardlessCode === 8990, String(cardlessCode));
  const heard = desktop.pressesControls ? "pad,message,pad,nothing" : "pad,nothing";
  check(
      `${wm}: the page heard the pad${desktop.pressesControls ? ", its box, the pad again" : ""}`,
      cardlessAsked === heard, cardlessAsked);
  await page.close();
});
