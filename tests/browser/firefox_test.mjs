// The same road in Debian's Firefox ESR, the extension installed for the
// session over WebDriver BiDi: FidoVerify, and an account service through the
// host's PIN pad and confirmation, each message opened by the bank.
import path from "node:path";

import {everyCallEnds} from "./every_call_ends.mjs";
import * as road from "./road.mjs";

const {check} = road;
// Firefox resolves every name here, so the page keeps the server's port,
// which the test deployment allows.
const demo = `${road.bankOrigin}:${road.pagePort}/demo.html`;

const server = await road.startPageServer();
const browser = await road.launchFirefox({home: path.join(road.work, "firefox-home")});
await road.runSteps(browser, server, async () => {
  console.log(`The extension loaded from ${road.extensionSource}`);
  const page = await road.openPage(browser, demo);
  await page.waitForFunction(() => window.korvaden !== undefined, {timeout: 10000});
  const installed = await page.evaluate(() => window.korvaden.GetInstallation());
  check(
      "GetInstallation: the extension and the host",
      installed.retVal === 0 && installed.extension === road.extensionVersion && installed.host !== "",
      JSON.stringify(installed));

  const [fidoCode, fidoMessage] = await road.pageCall(page, "FidoVerify", road.fido("P611AE", "FIREFOX-FIDO"));
  check("FidoVerify: 0", fidoCode === 0, String(fidoCode));
  check("and the bank opens its message", (await road.opened(fidoMessage)).includes("FIREFOX-FIDO"));

  const args = await road.blocks("FIREFOX-REISSUE", "Reissue_iVeskAppCert");
  const reissued = road.pageCall(page, "Reissue_iVeskAppCert", args);
  await road.customer(
      "wait", 230, "click", 231, "keys", 135790, "click", 233, "keys", 135790, "click", 235, "code", "shot",
      "firefox_pin_pad", "click", 228, "gone", "wait", 239, "click", 228, "gone");
  const [code, message, , asked] = await reissued;
  check("Reissue_iVeskAppCert through the pad and the confirmation: 0", code === 0, String(code));
  check("the page was told of the pad, then of the confirmation", asked === "pad,nothing,confirm,nothing", asked);
  check("the bank reads the password", (await road.reason(message)) === "135790");
  await page.close();
  await everyCallEnds(browser, {
    demo,
    otherOrigin: `https://other.korvaden.test:${road.pagePort}/demo.html`,
    removeExtension: () => browser.uninstallExtension(road.firefoxExtensionId),
  });
});
