#!/usr/bin/env python3
"""The control's member table, read from src/control/members.h, where each
member is described once. Prints it as JSON (name: [[parameter, kind], ...]
in the table's order) when run; browser_extension.py makes the page API's
member list from it."""
import json
import pathlib
import re
import sys

HEADER = pathlib.Path(__file__).resolve().parents[2] / "src/control/members.h"
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


def main():
    print(json.dumps(members(), indent=1))


if __name__ == "__main__":
    main()
