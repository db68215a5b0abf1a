#!/usr/bin/env python3
"""Makes the browser extension and the native host's manifests for one
deployment (its folder holds deployment.txt and extension-public.pem).

  browser_extension.py extension SOURCE DEPLOYMENT VERSION OUT
      the extension's folder: SOURCE's scripts, each with the preamble of
      deployment.js.in where it says "@DEPLOYMENT@"; (the deployment's
      origins, the version and the control's result codes), the native
      host's name, and the members' parameters from the member table; and
      manifest.json with the content scripts' matches and the key that fixes
      the extension's ID
  browser_extension.py host-manifest chromium|firefox DEPLOYMENT HOST_PATH OUT
      the native host's manifest, naming only the deployment's extension
  browser_extension.py id DEPLOYMENT
      the extension's ID in Chromium-based browsers
  browser_extension.py package EXTENSION_DIR OUT
      the made extension's files in one archive (a zip for the Chromium
      stores, an .xpi for Firefox), at its root, in name order, with no
      times or owners of this build: the same files give the same bytes
"""
import base64
import hashlib
import json
import pathlib
import re
import subprocess
import sys
import zipfile

import member_table
import result_codes as result_code_table

HOST_NAME = re.compile(r"^[a-z0-9_]+(\.[a-z0-9_]+)*$")
FIREFOX_ID = re.compile(r"^[A-Za-z0-9._-]+@[a-z0-9.-]+$")


def deployment_values(folder):
    values = {}
    for line in (folder / "deployment.txt").read_text().splitlines():
        if line and not line.startswith("#") and "=" in line:
            name, value = line.split("=", 1)
            values[name.strip()] = value.strip()
    for name, pattern in (("native_host_name", HOST_NAME), ("firefox_extension_id", FIREFOX_ID)):
        if not pattern.match(values.get(name, "")):
            sys.exit(f"{folder}/deployment.txt: {name} is missing or not of the form the browsers take")
    return values


def public_key_der(folder):
    return subprocess.run(
        ["openssl", "pkey", "-pubin", "-in", str(folder / "extension-public.pem"), "-outform", "DER"],
        check=True,
        capture_output=True,
    ).stdout


def chromium_id(folder):
    """The first 32 hexadecimal digits of the key's SHA-256, each written a to p."""
    digest = hashlib.sha256(public_key_der(folder)).hexdigest()[:32]
    return "".join(chr(ord("a") + int(digit, 16)) for digit in digest)


def content_matches(origins):
    """Match patterns cannot hold a port: the scripts check the exact origin themselves."""
    patterns = []
    for origin in origins:
        scheme, host = re.match(r"^(https?)://([^:/]+)", origin).groups()
        pattern = f"{scheme}://{host}/*"
        if pattern not in patterns:
            patterns.append(pattern)
    return patterns


def result_codes():
    names, _ = result_code_table.parsed()
    return "Object.freeze({" + ", ".join(f"{name}: {code}" for name, code in names.items()) + "})"


def page_members():
    """Each member's parameters in their order, as the page API checks them."""
    entries = []
    for name, parameters in member_table.members().items():
        listed = ", ".join(f'{{name: "{p}", integer: {str(kind == "Integer").lower()}}}' for p, kind in parameters)
        entries.append(f"{name}: Object.freeze([{listed}])")
    return "Object.freeze({" + ", ".join(entries) + "})"


def make_extension(source, folder, version, out):
    values = deployment_values(folder)
    origins = values["allowed_origins"].split()
    substitutions = {
        '"@ALLOWED_ORIGINS@"': json.dumps(origins),
        "@NATIVE_HOST_NAME@": values["native_host_name"],
        "@VERSION@": version,
        '"@RESULT_CODES@"': result_codes(),
        '"@MEMBERS@"': page_members(),
    }
    preamble = (source / "deployment.js.in").read_text().splitlines()
    out.mkdir(parents=True, exist_ok=True)
    for script in sorted(source.glob("*.js")):
        lines = []
        for line in script.read_text().splitlines():
            marker = line.lstrip()
            indent = line[: len(line) - len(marker)]
            lines += [indent + part if part else part for part in preamble] if marker == '"@DEPLOYMENT@";' else [line]
        text = "\n".join(lines) + "\n"
        for placeholder, value in substitutions.items():
            text = text.replace(placeholder, value)
        write_if_changed(out / script.name, text)
    manifest = json.loads((source / "manifest.json").read_text())
    manifest["version"] = version
    manifest["key"] = base64.b64encode(public_key_der(folder)).decode()
    manifest["browser_specific_settings"]["gecko"]["id"] = values["firefox_extension_id"]
    for script in manifest["content_scripts"]:
        script["matches"] = content_matches(origins)
    write_if_changed(out / "manifest.json", json.dumps(manifest, indent=2, ensure_ascii=False) + "\n")


def make_host_manifest(browser, folder, host_path, out):
    values = deployment_values(folder)
    manifest = {
        "name": values["native_host_name"],
        "description": "Korvaden card control for the web ATM",
        "path": host_path,
        "type": "stdio",
    }
    if browser == "chromium":
        manifest["allowed_origins"] = [f"chrome-extension://{chromium_id(folder)}/"]
    else:
        manifest["allowed_extensions"] = [values["firefox_extension_id"]]
    out.parent.mkdir(parents=True, exist_ok=True)
    write_if_changed(out, json.dumps(manifest, indent=2) + "\n")


def make_package(extension, out):
    out.parent.mkdir(parents=True, exist_ok=True)
    with zipfile.ZipFile(out.with_suffix(out.suffix + ".tmp"), "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
        for path in sorted(extension.iterdir()):
            entry = zipfile.ZipInfo(path.name, date_time=(1980, 1, 1, 0, 0, 0))
            entry.external_attr = 0o100644 << 16
            entry.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(entry, path.read_bytes())
    out.with_suffix(out.suffix + ".tmp").replace(out)


def write_if_changed(path, text):
    if not path.exists() or path.read_text() != text:
        path.write_text(text)


def main(argv):
    if len(argv) == 5 and argv[0] == "extension":
        make_extension(pathlib.Path(argv[1]), pathlib.Path(argv[2]), argv[3], pathlib.Path(argv[4]))
    elif len(argv) == 5 and argv[0] == "host-manifest" and argv[1] in ("chromium", "firefox"):
        make_host_manifest(argv[1], pathlib.Path(argv[2]), argv[3], pathlib.Path(argv[4]))
    elif len(argv) == 3 and argv[0] == "package":
        make_package(pathlib.Path(argv[1]), pathlib.Path(argv[2]))
    elif len(argv) == 2 and argv[0] == "id":
        print(chromium_id(pathlib.Path(argv[1])))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
