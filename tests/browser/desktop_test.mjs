// The customer's desktop: Chromium in a window of its own under a real window
// manager (KORVADEN_WINDOW_MANAGER names it), on a 1024×768 screen, with a
// customer who clicked and typed into the page before calling. Each of the
// host's windows must open on top of the browser with the keyboard (the keys
// typed next reach it), stay above the browser after a click into it, lie
// wholly on the screen, and name the page's origin in its title; the page
// hears what the customer is asked, in order.
import {execFile} from "node:child_process";
import path from "node:path";
import {promisify} from "node:util";

import * as road from "./road.mjs";

const {check} = road;
const run = promisify(execFile);
// The window manager, and GTK's scale when it is not 1 (GDK_SCALE).
const scale = process.env.GDK_SCALE || "1";
const wm = process.env.KORVADEN_WINDOW_MANAGER + (scale === "1" ? "" : `_scale${scale}`);
const demo = `${road.bankOrigin}/demo.html`;
const shot = (name) => run("import", ["-window", "root", path.join(process.env.KORVADEN_SCREENS, `${name}.png`)]);
const xdotool = async (...args) => (await run("xdotool", args.map(String))).stdout.trim();

// The customer clicks into the page and types there, as before any call.
async function clickAndTypeIntoThePage(browserWindow) {
  await xdotool("mousemove", "--window", browserWindow, 500, 400, "click", 1);
  await xdotool("type", "--delay", 20, "hello");
}

// What the customer sees of the window with control `id`: on top, focused,
// on the screen, and its title.
async function desk(id, what, browserWindow, ...more) {
  const out = await road.customer("wait", id, "desk", browserWindow, "title", ...more);
  check(
      `${wm}: ${what} is on top of the browser with the keyboard, wholly on the screen`,
      out.includes("desk: active=1 above=1 onscreen=1"), out);
  check(
      `${wm}: ${what}'s title names the service and the page's origin`,
      out.includes(`DrommelWebATM - ${road.bankOrigin}`), out);
  return out;
}

const server = await road.startPageServer();
const browser = await road.launchChromium({profile: path.join(road.work, "desktop-profile"), headful: true});
await road.runSteps(browser, server, async () => {
  const page = await road.openPage(browser, demo);
  const browserWindow = (await xdotool("search", "--sync", "--onlyvisible", "--class", "chromium")).split("\n")[0];
  await clickAndTypeIntoThePage(browserWindow);

  console.log(`== ${wm}: TransIVESK with the PIN: the card prompt, then the confirmation`);
  const transfer = [
    road.reader, "123456", "2510", "123456", "81200000", "1234567890123456", "12345678", "WEBATM01", "1", "123456789",
    "100", "20230731123456", 1, "DESKTOP-TRANSFER"
  ];
  const transferred = road.pageCall(page, "TransIVESK", transfer);
  await desk(217, "the card prompt", browserWindow);
  await shot(`desktop_${wm}_card_prompt`);
  // A click into the browser, beside the prompt: the prompt stays above it.
  await xdotool("mousemove", "--window", browserWindow, 40, 700, "click", 1);
  const after = await road.customer("wait", 217, "desk", browserWindow);
  check(`${wm}: after a click into the browser the card prompt is still above it`, after.includes("above=1"), after);
  road.removeCard();
  await road.customer("wait", 217, "pause", 800);
  road.insertCard();
  await desk(214, "the transfer confirmation", browserWindow, "shot", `desktop_${wm}_transfer_confirmation_window`);
  await shot(`desktop_${wm}_transfer_confirmation`);
  await road.customer("wait", 214, "typed", "Escape", "gone");
  const [transferCode, , , transferAsked] = await transferred;
  check(`${wm}: Esc typed next reached the confirmation: 8990`, transferCode === 8990, String(transferCode));
  check(
      `${wm}: the page heard the card out, back in, then the confirmation`,
      transferAsked === "card-out,card-in,nothing,confirm,nothing", transferAsked);

  console.log(`== ${wm}: CardLess_Apply with a wrong verification code: the pad, a box, the pad again`);
  await clickAndTypeIntoThePage(browserWindow);
  const args = await road.blocks("DESKTOP-CARDLESS", "CardLess_Apply");
  const applied = road.pageCall(page, "CardLess_Apply", args);
  await desk(230, "the PIN pad", browserWindow);
  await shot(`desktop_${wm}_pin_pad`);
  await road.customer(
      "wait", 230, "click", 254, "keys", 97531086, "click", 255, "keys", 97531086, "click", 235, "wrongcode", "click",
      228);
  const box = await road.customer("waitbox", "desk", browserWindow, "title");
  check(`${wm}: the pad's box is on top with the keyboard`, box.includes("desk: active=1 above=1"), box);
  await road.customer("waitbox", "typed", "Return", "gone");
  await desk(230, "the PIN pad after its box", browserWindow);
  await road.customer("wait", 230, "typed", "Escape", "gone");
  const [cardlessCode, , , cardlessAsked] = await applied;
  check(`${wm}: Esc typed next reached the pad: 8990`, cardlessCode === 8990, String(cardlessCode));
  check(
      `${wm}: the page heard the pad, its box, the pad again`, cardlessAsked === "pad,message,pad,nothing",
      cardlessAsked);
  await page.close();
});
