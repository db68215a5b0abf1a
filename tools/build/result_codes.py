#!/usr/bin/env python3
"""Writes the result-code tables of README.md and docs/integration.md, and the
meanings the demo page shows (web/demo.js), from src/base/result_codes.h,
where each code has its meaning in the comment above it and, on a line
"Customer: ...", what the page tells the customer. With --check, changes
nothing and fails when one of them differs."""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]
BEGIN, END = "<!-- result codes: begin -->", "<!-- result codes: end -->"
JS_BEGIN, JS_END = "// result codes: begin", "// result codes: end"
HEADER = ROOT / "src/base/result_codes.h"


def parsed():
    """The header read once: (names, rows). `names` maps each code's name (the
    constant without its kResult prefix) to its number; `rows` are (code,
    meaning, what the customer is told), the codes first, then the header's
    "Table:" rows."""
    names, codes, others, comment, customer = {}, [], [], [], ""
    for line in HEADER.read_text().splitlines():
        if line.startswith("// Table: "):
            others.append(tuple(part.strip() for part in line[len("// Table: ") :].split("|", 2)))
        elif line.startswith("// Customer: "):
            customer = line[len("// Customer: ") :].strip()
            continue
        elif line.startswith("//"):
            comment.append(line[2:].strip())
            continue
        else:
            code = re.match(r"inline constexpr ResultCode kResult(\w+)\{(\d+)\};", line)
            if code:
                names[code.group(1)] = int(code.group(2))
                codes.append((code.group(2), " ".join(comment), customer))
        comment, customer = [], ""
    return names, codes + others


def rows():
    return parsed()[1]


def table():
    lines = ["| code | meaning | the page tells the customer |", "|---|---|---|"] + [
        f"| {c} | {m} | {t} |" for c, m, t in rows()
    ]
    return f"{BEGIN}\n" + "\n".join(lines) + f"\n{END}"


def script():
    pairs = [f'    "{c}": "{m.replace("`", "")}"' for c, m, _ in rows() if c.isdigit()]
    return f"{JS_BEGIN}\n  meanings: {{\n" + ",\n".join(pairs) + f"\n  }},\n  {JS_END}"


def main():
    check = "--check" in sys.argv
    stale = []
    for name, begin, end, wanted in (
        ("README.md", BEGIN, END, table()),
        ("docs/integration.md", BEGIN, END, table()),
        ("web/demo.js", JS_BEGIN, JS_END, script()),
    ):
        path = ROOT / name
        text = path.read_text()
        made = re.sub(re.escape(begin) + ".*?" + re.escape(end), lambda _: wanted, text, flags=re.S)
        if begin not in text or made != text:
            stale.append(name)
            if not check and begin in text:
                path.write_text(made)
    if check and stale:
        print("result-code table out of date in: " + ", ".join(stale) + " (run tools/build/result_codes.py)")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
