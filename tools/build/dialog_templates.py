#!/usr/bin/env python3
"""Writes the dialog templates and strings of resources/dialogs.rc, once the C
preprocessor has expanded its macros and names, as a C++ table for the views
that have no resource compiler (the GTK windows): each dialog's size, caption
and font, and its controls in template order with their kinds, Big5 texts,
positions and sizes in dialog units, and styles.

    dialog_templates.py PREPROCESSED_RC OUTPUT_CPP
"""
import re
import sys

TOKEN = re.compile(r'"(?:[^"\\]|\\.)*"|0x[0-9A-Fa-f]+|\d+|[A-Za-z_]\w*|[-+*|,()]')
STATEMENTS = {"PUSHBUTTON", "DEFPUSHBUTTON", "LTEXT", "RTEXT", "CTEXT", "EDITTEXT", "CONTROL"}


def big5_literal(text):
    out = []
    for byte in text.encode("cp950"):
        if 32 <= byte < 127 and chr(byte) not in '"\\?':
            out.append(chr(byte))
        else:
            out.append("\\%03o" % byte)
    return '"' + "".join(out) + '"'


def unquote(token):
    return token[1:-1].replace("\\n", "\n").replace('\\"', '"').replace("\\\\", "\\")


def split_fields(tokens):
    fields, current = [], []
    for token in tokens:
        if token == ",":
            fields.append(current)
            current = []
        else:
            current.append(token)
    fields.append(current)
    return fields


def number(field):
    expression = " ".join(field)
    if not re.fullmatch(r"[-+*() 0-9]+", expression):
        raise SystemExit("not a number: " + expression)
    return int(eval(expression))  # digits and operators only, checked above


def styles(field):
    """The style names set and the ones taken away with NOT."""
    on, off, negate = set(), set(), False
    for token in field or []:
        if token == "NOT":
            negate = True
        elif re.fullmatch(r"[A-Z_]+", token):
            (off if negate else on).add(token)
            negate = False
    return on, off


def control(keyword, fields):
    if keyword == "CONTROL":
        text, ident, klass, style = fields[0], fields[1], fields[2], fields[3]
        geometry, rest = fields[4:8], fields[8:]
        klass = unquote(klass[0])
        on, off = styles(style)
    else:
        text = [] if keyword == "EDITTEXT" else fields[0]
        ident = fields[0] if keyword == "EDITTEXT" else fields[1]
        geometry = fields[1:5] if keyword == "EDITTEXT" else fields[2:6]
        rest = fields[5:] if keyword == "EDITTEXT" else fields[6:]
        klass = {"EDITTEXT": "Edit", "PUSHBUTTON": "Button", "DEFPUSHBUTTON": "Button"}.get(keyword, "Static")
        on, off = styles(rest[0] if rest else None)
    x, y, cx, cy = (number(f) for f in geometry)
    if klass == "Button":
        kind = "DrawnButton" if "BS_OWNERDRAW" in on else "PushButton"
        tab_default = True
    elif klass == "Edit":
        kind, tab_default = "Edit", True
    elif "SS_BITMAP" in on:
        kind, tab_default = "Picture", False
    elif "SS_BLACKFRAME" in on:
        kind, tab_default = "Frame", False
    else:
        kind, tab_default = "Label", False
    align = {"RTEXT": "Right", "CTEXT": "Center"}.get(keyword, "Left")
    return {
        "id": number(ident),
        "kind": kind,
        "text": unquote(text[0]) if text else "",
        "rect": (x, y, cx, cy),
        "align": align,
        "visible": "WS_VISIBLE" not in off,
        "tabStop": ("WS_TABSTOP" in on or tab_default) and "WS_TABSTOP" not in off,
        "notify": "SS_NOTIFY" in on,
        "sunken": "SS_SUNKEN" in on or "WS_EX_STATICEDGE" in {t for f in rest for t in f},
        "multiline": "ES_MULTILINE" in on or (kind == "Label" and "\n" in (unquote(text[0]) if text else "")),
    }


def parse(source):
    dialogs, strings = [], {}
    lines = iter(source.splitlines())
    for line in lines:
        if line.strip() == "STRINGTABLE":
            for line in lines:
                entry = re.match(r'\s*(\d+)\s+("(?:[^"\\]|\\.)*")', line)
                if entry:
                    strings[int(entry.group(1))] = unquote(entry.group(2))
                elif line.strip() == "END":
                    break
        header = re.match(r"\s*(\d+)\s+DIALOGEX\s+(.*)", line)
        if not header:
            continue
        dialog = {"id": int(header.group(1)), "caption": None, "controls": []}
        dialog["size"] = [number(f) for f in split_fields(TOKEN.findall(header.group(2)))][2:4]
        header_tokens = []
        for line in lines:
            if line.strip() == "BEGIN":
                break
            header_tokens += TOKEN.findall(line)
        for part in re.split(r"\b(?=STYLE|EXSTYLE|CAPTION|FONT)\b", " ".join(header_tokens)):
            tokens = TOKEN.findall(part)
            if not tokens:
                continue
            if tokens[0] == "CAPTION":
                dialog["caption"] = unquote(tokens[1])
            elif tokens[0] == "STYLE":
                dialog["titled"] = "WS_CAPTION" in tokens
            elif tokens[0] == "FONT":
                fields = split_fields(tokens[1:])
                dialog["font"] = (number(fields[0]), unquote(fields[1][0]))
        body = []
        for line in lines:
            if line.strip() == "END":
                break
            body += TOKEN.findall(line)
        statement = None
        for token in body + ["END"]:
            if token in STATEMENTS or token == "END":
                if statement:
                    dialog["controls"].append(control(statement[0], split_fields(statement[1:])))
                statement = [token]
            else:
                statement.append(token)
        dialogs.append(dialog)
    return dialogs, strings


def write(dialogs, strings, path):
    out = [
        "// Generated by tools/build/dialog_templates.py from resources/dialogs.rc.",
        '#include "ui/dialog_templates.h"',
        "",
        "namespace korvaden {",
        "namespace {",
        "",
    ]
    for d in dialogs:
        out.append("constexpr ControlTemplate kControls%d[] = {" % d["id"])
        for c in d["controls"]:
            x, y, cx, cy = c["rect"]
            out.append(
                "    {%d, ControlKind::%s, %s, {%d, %d, %d, %d}, TextAlign::%s, %s, %s, %s, %s, %s},"
                % (
                    c["id"],
                    c["kind"],
                    big5_literal(c["text"]),
                    x,
                    y,
                    cx,
                    cy,
                    c["align"],
                    *("true" if c[k] else "false" for k in ("visible", "tabStop", "notify", "sunken", "multiline")),
                )
            )
        out.append("};")
    out += ["", "constexpr DialogTemplate kDialogs[] = {"]
    for d in dialogs:
        caption = big5_literal(d["caption"]) if d["caption"] is not None else '""'
        out.append(
            "    {%d, %d, %d, %s, %s, %d, %s, kControls%d},"
            % (
                d["id"],
                d["size"][0],
                d["size"][1],
                caption,
                "true" if d.get("titled") else "false",
                d["font"][0],
                big5_literal(d["font"][1]),
                d["id"],
            )
        )
    out += [
        "};",
        "",
        "}  // namespace",
        "",
        "const DialogTemplate* FindDialogTemplate(int id) {",
        "  for (const DialogTemplate& dialog : kDialogs) {",
        "    if (dialog.id == id) return &dialog;",
        "  }",
        "  return nullptr;",
        "}",
        "",
        "const char* FindStringResource(int id) {",
        "  switch (id) {",
    ]
    out += ["    case %d:\n      return %s;" % (k, big5_literal(v)) for k, v in sorted(strings.items())]
    out += ["  }", '  return "";', "}", "", "}  // namespace korvaden", ""]
    with open(path, "w", encoding="ascii") as f:
        f.write("\n".join(out))


if __name__ == "__main__":
    with open(sys.argv[1], encoding="utf-8") as f:
        write(*parse(f.read()), sys.argv[2])
