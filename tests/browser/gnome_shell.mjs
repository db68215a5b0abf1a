// GNOME Shell on Wayland as the desktop test works it: the shell's own Eval
// (the test session's shell runs in unsafe mode) tells its windows, their
// stacking and which has the focus, and drives a virtual keyboard and
// pointer, which the shell takes as a person's input. Screenshots come from
// the shell's screenshot service.
import {execFile} from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import {promisify} from "node:util";

const run = promisify(execFile);
const answers = fs.mkdtempSync(path.join(os.tmpdir(), "korvaden-shell-"));
let evaluated = 0;

async function call(destination, objectPath, method, ...args) {
  const {stdout} = await run("gdbus", [
    "call", "--session", "--dest", destination, "--object-path", objectPath, "--method", method, ...args.map(String)
  ]);
  return stdout.trim();
}

// Runs `code` (JavaScript whose last expression is the answer) in the shell;
// the answer comes back through a file, as JSON, which keeps every text whole.
export async function shellEval(code) {
  const file = path.join(answers, `${++evaluated}.json`);
  const wrapped = `imports.gi.GLib.file_set_contents(${JSON.stringify(file)}, JSON.stringify((() => { ${code} })()));`;
  const out = await call("org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell.Eval", wrapped);
  if (!out.startsWith("(true,")) throw new Error(`the shell refused ${code}: ${out}`);
  const answer = JSON.parse(fs.readFileSync(file, "utf8"));
  fs.rmSync(file);
  return answer;
}

// The shell's windows, bottom to top: id, title, process, whether it is
// shown yet (the shell decides its place and focus as it shows it), focus,
// frame, and whether the frame lies wholly in the monitor's work area.
export function windows() {
  return shellEval(`
    const area = Main.layoutManager.getWorkAreaForMonitor(0);
    const all = global.display.sort_windows_by_stacking(global.display.list_all_windows());
    return all.map((w) => {
      const r = w.get_frame_rect();
      const actor = w.get_compositor_private();
      return {id: w.get_id(), title: w.get_title(), pid: w.get_pid(), shown: actor !== null && actor.visible,
              focused: w.has_focus(),
              x: r.x, y: r.y, width: r.width, height: r.height,
              onscreen: r.x >= area.x && r.y >= area.y && r.x + r.width <= area.x + area.width &&
                        r.y + r.height <= area.y + area.height};
    });`);
}

// The virtual devices, made once for the whole test: a device made and
// dropped for each key loses keys, and its window sees the focus go.
const devices = `
  const C = imports.gi.Clutter;
  if (!global.korvadenKeyboard) {
    const seat = C.get_default_backend().get_default_seat();
    global.korvadenKeyboard = seat.create_virtual_device(C.InputDeviceType.KEYBOARD_DEVICE);
    global.korvadenPointer = seat.create_virtual_device(C.InputDeviceType.POINTER_DEVICE);
  }
  let t = imports.gi.GLib.get_monotonic_time();`;

// Keys by their names in Clutter (KEY_Escape, KEY_h…), pressed and released
// in turn, to the window that has the focus.
export function typeKeys(...names) {
  return shellEval(`${devices}
    for (const name of ${JSON.stringify(names)}) {
      global.korvadenKeyboard.notify_keyval(t += 20000, C[name], C.KeyState.PRESSED);
      global.korvadenKeyboard.notify_keyval(t += 20000, C[name], C.KeyState.RELEASED);
    }
    return true;`);
}

export function click(x, y) {
  return shellEval(`${devices}
    global.korvadenPointer.notify_absolute_motion(t, ${x}, ${y});
    global.korvadenPointer.notify_button(t += 20000, C.BUTTON_PRIMARY, C.ButtonState.PRESSED);
    global.korvadenPointer.notify_button(t += 20000, C.BUTTON_PRIMARY, C.ButtonState.RELEASED);
    return true;`);
}

export async function screenshot(file) {
  await call(
      "org.gnome.Shell.Screenshot", "/org/gnome/Shell/Screenshot", "org.gnome.Shell.Screenshot.Screenshot", false,
      false, file);
}
