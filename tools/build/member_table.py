#!/usr/bin/env python3
"""The control's member table, read from src/control/members.h, where each
member is described once. browser_extension.py makes the page API's member
list from it; run, this writes the demo page's list (web/demo.js). With
--check, changes nothing and fails when the demo's list differs."""
import json
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]
HEADER = ROOT / "src/control/members.h"
DEMO = ROOT / "web/demo.js"
DEMO_BEGIN, DEMO_END = "// members: begin", "// members: end"
PARAMETER_LIST = re.compile(r"inline constexpr Parameter (k\w+)\[\] = \{(.*?)\n\};", re.S)
PARAMETER = re.compile(r'\{"(\w+)", (Text|SecretText|Integer)\}')
MEMBER = re.compile(r'\{Member::(\w+), "(\w+)", member_table::(k\w+)\}')


def members(header=HEADER):
    """Each member's name and its parameters as (name, kind) in their order."""
    text = header.read_text()
    lists = {name: PARAMETER.findall(body) for name, body in PARAMETER_LIST.findall(text)}
    table = {}
    for enumerator, name, parameters in MEMBER.findall(text):
        if enumerator != name or parameters not in lists:
            sys.exit(f"{header}: the member {name} is not in the table's form")
        table[name] = lists[parameters]
    if not table:
        sys.exit(f"{header}: no member table found")
    return table


def demo_list():
    lines = [f"    {name}: {json.dumps([p for p, _ in parameters])}" for name, parameters in members().items()]
    return f"{DEMO_BEGIN}\n  members: {{\n" + ",\n".join(lines) + f"\n  }},\n  {DEMO_END}"


def main():
    text = DEMO.read_text()
    if DEMO_BEGIN not in text:
        sys.exit(f"{DEMO}: no {DEMO_BEGIN!r} marker")
    made = re.sub(re.escape(DEMO_BEGIN) + ".*?" + re.escape(DEMO_END), lambda _: demo_list(), text, flags=re.S)
    if made != text and "--check" in sys.argv:
        sys.exit(f"the member list is out of date in: {DEMO} (run tools/build/member_table.py)")
    if made != text:
        DEMO.write_text(made)
    return 0


if __name__ == "__main__":
    sys.exit(main())
