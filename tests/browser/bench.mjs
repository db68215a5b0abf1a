// What the browser and the extension add to a call: FidoVerify without windows
// from the page's call to its answer in Chromium, next to the same request to
// korvaden-native alone (through korvaden-native-driver, as a browser frames
// it) and to korvaden-host on the command line, taken in turns in one run.
// Each host process starts anew, as the extension starts one per call.
import {spawn} from "node:child_process";
import {once} from "node:events";
import path from "node:path";

import * as road from "./road.mjs";

const rounds = 15;
const args = road.fido("P611XX");
// No display for any of the hosts: a call that needed a window would end at
// once instead of waiting.
const hostEnv = {
  DISPLAY: "",
  WAYLAND_DISPLAY: ""
};

// From the start of the process to the first byte of its answer.
async function timed(command, commandArgs, input) {
  const started = performance.now();
  const child = spawn(command, commandArgs, {stdio: ["pipe", "pipe", "ignore"], env: {...process.env, ...hostEnv}});
  child.stdin.end(input);
  await once(child.stdout, "data");
  const took = performance.now() - started;
  child.stdout.resume();
  const [status] = await once(child, "close");
  if (status !== 0) console.log(`  ${path.basename(command)} ended with ${status}`);
  return took;
}

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

const server = await road.startPageServer();
const browser = await road.launchChromium({profile: path.join(road.work, "bench-profile"), hostEnv});
const figures = {
  page: [],
  native: [],
  host: []
};
try {
  const page = await road.openPage(browser, `${road.bankOrigin}/demo.html`);
  const request = JSON.stringify({id: 1, origin: road.bankOrigin, member: "FidoVerify", args}) + "\n";
  for (let round = 0; round < rounds; ++round) {
    const [code, , ms] = await road.pageCall(page, "FidoVerify", args);
    if (code !== 0) console.log(`  the page's call answered ${code}`);
    figures.page.push(ms);
    figures.native.push(await timed(
        path.join(road.build, "tools/native_driver/korvaden-native-driver"),
        [path.join(road.build, "src/native/korvaden-native"), "chrome-extension://bench/"], request));
    figures.host.push(await timed(path.join(road.build, "tools/host/korvaden-host"), ["FidoVerify", ...args], ""));
  }
} finally {
  await browser.close();
  server.close();
}
const page = median(figures.page);
const native = median(figures.native);
console.log(`FidoVerify without windows, median of ${rounds}:`);
console.log(`  the page's call in Chromium, through the extension: ${page.toFixed(1)} ms`);
console.log(`  korvaden-native alone:                             ${native.toFixed(1)} ms`);
console.log(`  korvaden-host:                                     ${median(figures.host).toFixed(1)} ms`);
console.log(`  the browser and the extension add ${(page - native).toFixed(1)} ms (goal: at most 50 ms)`);
