#!/usr/bin/env python3
"""Writes string resources 102 and 103 from the build template constants, so both builds hold one text."""
import re
import sys

EXPECTED = {"kBuildTemplate102": (102, 1022), "kBuildTemplate103": (103, 598)}
ESCAPES = {"n": "\n", "r": "\r", "t": "\t", "\\": "\\", '"': '"'}


def c_literal(body):
    out, i = [], 0
    while i < len(body):
        if body[i] == "\\":
            if body[i + 1] not in ESCAPES:
                sys.exit(f"build_template_rc: unsupported escape \\{body[i + 1]}")
            out.append(ESCAPES[body[i + 1]])
            i += 2
        else:
            out.append(body[i])
            i += 1
    return "".join(out)


def constant(source, name):
    match = re.search(name + r"\s*=\s*((?:\s*\"(?:[^\"\\]|\\.)*\")+)\s*;", source)
    if not match:
        sys.exit(f"build_template_rc: {name} not found")
    return "".join(c_literal(part) for part in re.findall(r"\"((?:[^\"\\]|\\.)*)\"", match.group(1)))


def rc_literal(text):
    # Resource compiler strings: a quote is doubled; line ends and backslashes are escaped.
    if any(ord(c) > 126 or (ord(c) < 32 and c != "\n") for c in text):
        sys.exit("build_template_rc: the template must stay printable ASCII with LF line ends")
    return '"' + text.replace("\\", "\\\\").replace('"', '""').replace("\n", "\\n") + '"'


def main():
    header, output = sys.argv[1], sys.argv[2]
    with open(header, encoding="utf-8") as f:
        source = f.read()
    lines = ["STRINGTABLE", "BEGIN"]
    for name, (ident, length) in EXPECTED.items():
        text = constant(source, name)
        if len(text) != length:
            sys.exit(f"build_template_rc: {name} has {len(text)} characters, not {length}")
        lines.append(f"    {ident} {rc_literal(text)}")
    lines.append("END")
    with open(output, "w", encoding="ascii", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
