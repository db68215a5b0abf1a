#!/usr/bin/env python3
"""Writes the result-code tables of README.md and docs/integration.md from
src/base/result_codes.h, where each code has its meaning in the comment above
it. With --check, changes nothing and fails when a table differs."""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]
BEGIN, END = "<!-- result codes: begin -->", "<!-- result codes: end -->"


def table():
    rows, comment = [], []
    for line in (ROOT / "src/base/result_codes.h").read_text().splitlines():
        if line.startswith("// Table: "):
            rows.append(tuple(part.strip() for part in line[len("// Table: "):].split("|", 1)))
        elif line.startswith("//"):
            comment.append(line[2:].strip())
            continue
        else:
            code = re.match(r"inline constexpr ResultCode k\w+\{(\d+)\};", line)
            if code:
                rows.insert(len(rows) - sum(1 for r in rows if not r[0].isdigit()), (code.group(1), " ".join(comment)))
        comment = []
    codes = [r for r in rows if r[0].isdigit()]
    others = [r for r in rows if not r[0].isdigit()]
    lines = ["| code | meaning |", "|---|---|"] + [f"| {c} | {m} |" for c, m in codes + others]
    return "\n".join(lines)


def main():
    check = "--check" in sys.argv
    wanted = f"{BEGIN}\n{table()}\n{END}"
    stale = []
    for name in ("README.md", "docs/integration.md"):
        path = ROOT / name
        text = path.read_text()
        made = re.sub(re.escape(BEGIN) + ".*?" + re.escape(END), lambda _: wanted, text, flags=re.S)
        if BEGIN not in text or made != text:
            stale.append(name)
            if not check and BEGIN in text:
                path.write_text(made)
    if check and stale:
        print("result-code table out of date in: " + ", ".join(stale) + " (run tools/build/result-codes.py)")
        return 1
    return 0


sys.exit(main())
