#!/usr/bin/env python3
"""Makes every text resource of both deliverables from one place.

From resources/strings.txt (the built-in Chinese texts), the dialogs of the .rc files that each
deliverable's top .rc includes, and resources/english.txt (their English), it writes:
  builtin_strings_table.cpp              the native lookup table of the built-in texts
  kubext_strings.rc, uninstall_strings.rc the built-in string tables of each deliverable
  kublng.rc (+ kublng_strings.rc, kublng_dialogs.rc)
                                         the English language module: every string id and every
                                         dialog of both deliverables
  kubext.lng, uninstall.lng              the English language files (UTF-16LE), keyed by the
                                         built-in texts as the programs look them up
It fails, naming the line, when a string id or a dialog text has no English, when an English
entry matches nothing built in, or when a translation drops a "%s".

usage: generate-texts.py STRINGS ENGLISH GENERATED_DIR LANGUAGE_DIR [kubext=TOP.rc] [uninstall=TOP.rc]
(a deliverable without its top .rc file gets no dialogs)
"""
import os
import re
import sys
import zlib

DELIVERABLES = ("kubext", "uninstall")
# Keys hash at most this many bytes of a text's ANSI form.
KEY_TEXT_MAX_BYTES = 4095
# The programs run on a Simplified-Chinese system: keys are made over code page 936.
ANSI_CODEC = "gbk"

TEXT_CONTROLS = {"LTEXT", "RTEXT", "CTEXT", "GROUPBOX", "PUSHBUTTON", "DEFPUSHBUTTON", "PUSHBOX",
                 "CHECKBOX", "AUTOCHECKBOX", "RADIOBUTTON", "AUTORADIOBUTTON", "STATE3",
                 "AUTO3STATE", "CONTROL"}
TEXTLESS_CONTROLS = {"EDITTEXT", "COMBOBOX", "LISTBOX", "SCROLLBAR"}


class Failure(Exception):
    pass


def fail(where, message):
    raise Failure(f"{where}: {message}")


# --- texts ------------------------------------------------------------------------------------

C_ESCAPES = {"n": "\n", "t": "\t", "r": "\r", "\\": "\\", '"': '"'}


def c_unescape(text, where):
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c == "\\":
            if i + 1 >= len(text) or text[i + 1] not in C_ESCAPES:
                fail(where, f"unknown escape in {text!r}")
            out.append(C_ESCAPES[text[i + 1]])
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def rc_unescape(literal):
    """The text a dialog shows for a resource-compiler string literal (without its quotes)."""
    out, i = [], 0
    while i < len(literal):
        c = literal[i]
        if c == "\\" and i + 1 < len(literal) and literal[i + 1] in C_ESCAPES:
            out.append(C_ESCAPES[literal[i + 1]])
            i += 2
        elif c == '"' and literal[i + 1:i + 2] == '"':
            out.append('"')
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def rc_literal(text):
    """A resource-compiler string literal (with quotes) that gives `text`."""
    text = text.replace("\\", "\\\\").replace('"', '""')
    return '"' + text.replace("\n", "\\n").replace("\t", "\\t").replace("\r", "\\r") + '"'


def lng_escape(text):
    text = text.replace("\\", "\\\\").replace('"', '\\"')
    return text.replace("\n", "\\n").replace("\t", "\\t").replace("\r", "\\r")


def cpp_literal_body(text):
    out = []
    for c in text:
        if c in '\\"':
            out.append("\\" + c)
        elif c == "\n":
            out.append("\\n")
        elif c == "\t":
            out.append("\\t")
        elif c == "\r":
            out.append("\\r")
        else:
            out.append(c)
    return "".join(out)


def language_key(kind, context, text):
    data = kind.encode("ascii") + context.encode(ANSI_CODEC, "replace")
    data += text.encode(ANSI_CODEC, "replace")[:KEY_TEXT_MAX_BYTES]
    return f"{zlib.crc32(data) & 0xFFFFFFFF:08x}"


# --- strings.txt ------------------------------------------------------------------------------

STRING_LINE = re.compile(r'^(\d+)[ \t]+(kubext|uninstall|common)[ \t]+"(.*)"[ \t]*$')


def read_builtin_strings(path):
    strings, previous = [], -1
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if re.match(r"^[ \t]*(#|$)", line):
                continue
            where = f"{path}:{number}"
            m = STRING_LINE.match(line)
            if not m:
                fail(where, f"cannot read: {line}")
            string_id = int(m.group(1))
            if string_id <= previous:
                fail(where, f"id {string_id} out of order")
            previous = string_id
            strings.append({"id": string_id, "scope": m.group(2), "source": m.group(3),
                            "text": c_unescape(m.group(3), where), "where": where})
    return strings


# --- english.txt ------------------------------------------------------------------------------

ENGLISH_STRING = re.compile(r'^(\d+)[ \t]+"(.*)"[ \t]*$')
DIALOG_OPEN = re.compile(r"^dialog[ \t]+([A-Za-z0-9_]+)(?:[ \t]+size[ \t]+(\d+)[ \t]+(\d+))?[ \t]*$")
RECT = r"[ \t]+at[ \t]+(-?\d+)[ \t]+(-?\d+)[ \t]+(\d+)[ \t]+(\d+)"
DIALOG_TEXT = re.compile(r'^"((?:[^"\\]|\\.)*)"[ \t]*=[ \t]*"((?:[^"\\]|\\.)*)"(?:' + RECT + r")?[ \t]*$")
DIALOG_CONTROL = re.compile(r"^control[ \t]+(\S+)" + RECT + r"[ \t]*$")
FONT_LINE = re.compile(r'^font[ \t]+(\d+)[ \t]+"([^"]+)"[ \t]*$')


def read_english(path):
    english = {"strings": {}, "dialogs": {}, "font": None}
    dialog = None
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.strip()
            where = f"{path}:{number}"
            if not line or line.startswith("#"):
                continue
            if dialog is not None:
                if line == "end":
                    dialog = None
                    continue
                m = DIALOG_TEXT.match(line)
                if m:
                    built_in = c_unescape(m.group(1), where)
                    if built_in in dialog["texts"]:
                        fail(where, f"{built_in!r} twice in dialog {dialog['name']}")
                    rect = tuple(int(v) for v in m.group(3, 4, 5, 6)) if m.group(3) else None
                    dialog["texts"][built_in] = {"text": c_unescape(m.group(2), where),
                                                 "rect": rect, "where": where, "used": False}
                    continue
                m = DIALOG_CONTROL.match(line)
                if m:
                    dialog["controls"][m.group(1)] = {
                        "rect": tuple(int(v) for v in m.group(2, 3, 4, 5)), "where": where,
                        "used": False}
                    continue
                fail(where, f"cannot read in dialog {dialog['name']}: {line}")
            m = FONT_LINE.match(line)
            if m:
                english["font"] = (int(m.group(1)), m.group(2))
                continue
            m = DIALOG_OPEN.match(line)
            if m:
                if m.group(1) in english["dialogs"]:
                    fail(where, f"dialog {m.group(1)} twice")
                size = (int(m.group(2)), int(m.group(3))) if m.group(2) else None
                dialog = {"name": m.group(1), "size": size, "texts": {}, "controls": {},
                          "where": where, "used": False}
                english["dialogs"][dialog["name"]] = dialog
                continue
            m = ENGLISH_STRING.match(line)
            if m:
                string_id = int(m.group(1))
                if string_id in english["strings"]:
                    fail(where, f"id {string_id} twice")
                english["strings"][string_id] = {"source": m.group(2),
                                                 "text": c_unescape(m.group(2), where),
                                                 "where": where}
                continue
            fail(where, f"cannot read: {line}")
    if dialog is not None:
        fail(path, f"dialog {dialog['name']} has no end")
    if english["font"] is None:
        fail(path, "no font line")
    return english


# --- dialogs in .rc files ---------------------------------------------------------------------

def split_arguments(text):
    """Splits at commas outside string literals; each part stripped."""
    parts, current, quoted, i = [], [], False, 0
    while i < len(text):
        c = text[i]
        if c == '"':
            if quoted and text[i + 1:i + 2] == '"':
                current.append('""')
                i += 2
                continue
            quoted = not quoted
        if c == "," and not quoted:
            parts.append("".join(current).strip())
            current = []
        else:
            current.append(c)
        i += 1
    parts.append("".join(current).strip())
    return parts


def string_literal(token, where):
    if len(token) < 2 or not token.startswith('"') or not token.endswith('"'):
        fail(where, f"expected a string literal, found {token}")
    return rc_unescape(token[1:-1])


def rc_includes(path):
    """The .rc files `path` includes from its own folder (generated ones are not there)."""
    folder = os.path.dirname(path)
    found = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            m = re.match(r'^\s*#include\s+"([^"]+\.rc)"', line)
            if m and os.path.exists(os.path.join(folder, m.group(1))):
                found.append(os.path.join(folder, m.group(1)))
    return found


class Statement:
    """One line of a dialog template, read into its keyword and arguments."""

    def __init__(self, keyword, arguments, where):
        self.keyword, self.arguments, self.where = keyword, arguments, where
        self.text_index = None   # argument holding the text
        self.rect_index = None   # first of the four rectangle arguments
        if keyword in TEXT_CONTROLS:
            self.id = arguments[1] if len(arguments) > 1 else None
            # CONTROL "text", id, class, style, x, y, w, h; the others "text", id, x, y, w, h.
            self.rect_index = 4 if keyword == "CONTROL" else 2
            image = keyword == "CONTROL" and re.search(r"\bSS_(ICON|BITMAP)\b", arguments[3])
            if not image:
                self.text_index = 0
        elif keyword == "ICON":
            # ICON "resource", id, x, y[, cx, cy, ...]: a picture, not a text; its size may be left
            # out, so it is not moved.
            self.id = arguments[1] if len(arguments) > 1 else None
            self.rect_index = 2
            if len(arguments) < 4:
                fail(where, "ICON has too few arguments")
            return
        elif keyword in TEXTLESS_CONTROLS:
            self.id = arguments[0]
            self.rect_index = 1
        else:
            fail(where, f"control {keyword} not known to the generator")
        if len(arguments) < self.rect_index + 4:
            fail(where, f"{keyword} has too few arguments")

    def text(self):
        if self.text_index is None:
            return ""
        return string_literal(self.arguments[self.text_index], self.where)

    def render(self):
        return f"    {self.keyword:<16}" + ", ".join(self.arguments)


def read_dialog_file(path):
    """Returns (preamble lines, dialogs), each dialog with its header lines and statements."""
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    preamble, dialogs, i = [], [], 0
    while i < len(lines):
        line = lines[i]
        m = re.match(r"^([A-Za-z0-9_]+)\s+DIALOG(EX)?\s+(.*)$", line)
        if not m:
            if line.startswith("#"):
                preamble.append(line)
            i += 1
            continue
        dialog = {"name": m.group(1), "header": line, "options": [], "statements": [],
                  "where": f"{path}:{i + 1}"}
        i += 1
        while i < len(lines) and lines[i].strip() != "BEGIN":
            dialog["options"].append(lines[i])
            i += 1
        i += 1
        while i < len(lines) and lines[i].strip() != "END":
            where = f"{path}:{i + 1}"
            text = lines[i].strip()
            i += 1
            if not text or text.startswith("//"):
                continue
            while text.endswith((",", "|")) and i < len(lines):
                text += " " + lines[i].strip()
                i += 1
            keyword, _, rest = text.partition(" ")
            dialog["statements"].append(Statement(keyword, split_arguments(rest.strip()), where))
        if i >= len(lines):
            fail(dialog["where"], f"dialog {dialog['name']} has no END")
        i += 1
        dialogs.append(dialog)
    return preamble, dialogs


def dialog_texts(dialog):
    """(text, where) of the caption and of every control that shows a text."""
    texts = []
    for option in dialog["options"]:
        m = re.match(r"^\s*CAPTION\s+(.*)$", option)
        if m:
            texts.append((string_literal(m.group(1).strip(), dialog["where"]), dialog["where"]))
    for statement in dialog["statements"]:
        if statement.text():
            texts.append((statement.text(), statement.where))
    return texts


def english_text(dialog, text, english_dialog, where):
    entry = english_dialog["texts"].get(text)
    if entry is not None:
        entry["used"] = True
        if entry["text"].count("%s") != text.count("%s"):
            fail(entry["where"], f"the English of {text!r} must keep its \"%s\"")
        return entry
    if text.isascii():
        return None
    fail(where, f"dialog {dialog['name']}: no English for {text!r} in english.txt")


def english_dialog_lines(dialog, english_dialog, font):
    """The dialog template again, in English, laid out as english.txt asks."""
    header = dialog["header"]
    if english_dialog["size"]:
        m = re.match(r"^(\S+\s+DIALOG(?:EX)?\s+)(.*)$", header)
        coordinates = [v.strip() for v in m.group(2).split(",")]
        coordinates[2:4] = [str(v) for v in english_dialog["size"]]
        header = m.group(1) + ", ".join(coordinates)
    out = [header]
    for option in dialog["options"]:
        m = re.match(r"^(\s*)CAPTION\s+(.*)$", option)
        if m:
            caption = string_literal(m.group(2).strip(), dialog["where"])
            entry = english_text(dialog, caption, english_dialog, dialog["where"])
            out.append(f"{m.group(1)}CAPTION {rc_literal(entry['text'] if entry else caption)}")
        elif re.match(r"^\s*FONT\s", option):
            out.append(f'FONT {font[0]}, "{font[1]}"')
        else:
            out.append(option)
    out.append("BEGIN")
    for statement in dialog["statements"]:
        arguments = list(statement.arguments)
        rect = None
        if statement.text():
            entry = english_text(dialog, statement.text(), english_dialog, statement.where)
            if entry:
                arguments[statement.text_index] = rc_literal(entry["text"])
                rect = entry["rect"]
        moved = english_dialog["controls"].get(statement.id)
        if moved and statement.keyword == "ICON":
            fail(moved["where"], "an ICON keeps its place")
        if moved:
            moved["used"] = True
            rect = moved["rect"]
        if rect:
            arguments[statement.rect_index:statement.rect_index + 4] = [str(v) for v in rect]
        out.append(f"    {statement.keyword:<16}" + ", ".join(arguments))
    out.append("END")
    return out


# --- outputs ----------------------------------------------------------------------------------

def write_if_changed(path, content, encoding="utf-8"):
    data = content.encode(encoding) if isinstance(content, str) else content
    if os.path.exists(path):
        with open(path, "rb") as f:
            if f.read() == data:
                return
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


GENERATED = "// Generated by cmake/generate-texts.py; do not edit.\n"


def string_table(entries):
    lines = [GENERATED + "#pragma code_page(65001)", "STRINGTABLE", "BEGIN"]
    # Narrow strings: windres converts them through the code page pragma, while L"..." strings
    # would take each UTF-8 byte as a character of its own.
    lines += [f"    {string_id}, {rc_literal(text)}" for string_id, text in entries]
    lines.append("END")
    return "\n".join(lines) + "\n"


def builtin_table(strings):
    rows = "".join(f'    {{{s["id"]}, u"{cpp_literal_body(s["text"])}"}},\n' for s in strings)
    return (GENERATED + '#include "resources/builtin_strings.h"\n\nnamespace kub {\nnamespace {\n'
            "constexpr BuiltinString kTable[] = {\n" + rows + "};\n}  // namespace\n\n"
            "std::span<const BuiltinString> builtin_strings() { return kTable; }\n\n"
            "}  // namespace kub\n")


def language_file(deliverable, lines):
    head = (f"; Korvex {deliverable}: English.\r\n"
            "; Lines below the marker are key=\"text\", the key made from the built-in text.\r\n"
            "***messages***\r\n")
    body = "".join(f'{key}="{lng_escape(value)}"\r\n' for key, value in lines)
    return ("\ufeff" + head + body).encode("utf-16-le")


def add_line(lines, seen, key, value, where):
    if key in seen:
        if seen[key] != value:
            fail(where, f"two English texts for one built-in text ({seen[key]!r}, {value!r})")
        return
    seen[key] = value
    lines.append((key, value))


def main(argv):
    if len(argv) < 5:
        sys.exit(__doc__)
    strings_path, english_path, generated_dir, language_dir = argv[1:5]
    tops = [a.split("=", 1) for a in argv[5:]]
    if any(len(top) != 2 or top[0] not in DELIVERABLES for top in tops):
        sys.exit(__doc__)
    os.makedirs(generated_dir, exist_ok=True)
    os.makedirs(language_dir, exist_ok=True)

    strings = read_builtin_strings(strings_path)
    english = read_english(english_path)

    # Strings: every id has its English, and every English names an id.
    for s in strings:
        entry = english["strings"].get(s["id"])
        if entry is None:
            fail(s["where"], f"id {s['id']} has no English in {english_path}")
        if entry["text"].count("%s") != s["text"].count("%s"):
            fail(entry["where"], f"the English of id {s['id']} must keep its \"%s\"")
        s["english"] = entry["text"]
    known_ids = {s["id"] for s in strings}
    for string_id, entry in english["strings"].items():
        if string_id not in known_ids:
            fail(entry["where"], f"id {string_id} is not in {strings_path}")

    # Dialogs, by deliverable, in the order the top .rc files include them.
    dialog_files, owner = [], {}
    for deliverable, top in tops:
        for path in rc_includes(top):
            preamble, dialogs = read_dialog_file(path)
            if not dialogs:
                continue
            if path not in (p for p, _, _ in dialog_files):
                dialog_files.append((path, preamble, dialogs))
            for dialog in dialogs:
                owner.setdefault(dialog["name"], set()).add(deliverable)

    english_rc = [GENERATED + "#pragma code_page(65001)"]
    lng = {deliverable: ([], {}) for deliverable in DELIVERABLES}
    for path, preamble, dialogs in dialog_files:
        english_rc += [line for line in preamble if not line.startswith("#pragma code_page")]
        for dialog in dialogs:
            english_dialog = english["dialogs"].get(dialog["name"])
            if english_dialog is None:
                fail(dialog["where"], f"dialog {dialog['name']} has no block in {english_path}")
            english_dialog["used"] = True
            english_rc.append("")
            english_rc += english_dialog_lines(dialog, english_dialog, english["font"])
            for deliverable in owner[dialog["name"]]:
                lines, seen = lng[deliverable]
                for text, where in dialog_texts(dialog):
                    entry = english_text(dialog, text, english_dialog, where)
                    if entry:
                        add_line(lines, seen, language_key("$", dialog["name"], text),
                                 entry["text"], entry["where"])
    for name, english_dialog in english["dialogs"].items():
        if not english_dialog["used"]:
            fail(english_dialog["where"], f"no dialog {name} in the resources")
        for text, entry in english_dialog["texts"].items():
            if not entry["used"]:
                fail(entry["where"], f"dialog {name} shows no {text!r}")
        for control, entry in english_dialog["controls"].items():
            if not entry["used"]:
                fail(entry["where"], f"dialog {name} has no control {control}")

    for deliverable in DELIVERABLES:
        lines, seen = lng[deliverable]
        for s in strings:
            if s["scope"] in (deliverable, "common") and s["english"] != s["text"]:
                add_line(lines, seen, language_key("s", "", s["text"]), s["english"],
                         english["strings"][s["id"]]["where"])
        write_if_changed(os.path.join(language_dir, f"{deliverable}.lng"),
                         language_file(deliverable, lines))

    write_if_changed(os.path.join(generated_dir, "builtin_strings_table.cpp"), builtin_table(strings))
    for deliverable in DELIVERABLES:
        write_if_changed(os.path.join(generated_dir, f"{deliverable}_strings.rc"), string_table(
            [(s["id"], s["text"]) for s in strings if s["scope"] in (deliverable, "common")]))
    write_if_changed(os.path.join(generated_dir, "kublng_strings.rc"),
                     string_table([(s["id"], s["english"]) for s in strings]))
    write_if_changed(os.path.join(generated_dir, "kublng_dialogs.rc"), "\n".join(english_rc) + "\n")


if __name__ == "__main__":
    try:
        main(sys.argv)
    except Failure as failure:
        sys.exit(f"generate-texts.py: {failure}")
