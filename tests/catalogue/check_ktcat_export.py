#!/usr/bin/env python3
"""Reads one of ktcat's exports of the built module back with the format's own tools and compares it with
the module's entries as 'ktcat show' prints them.

usage: check_ktcat_export.py KTCAT json|po|pot|xml WORKDIR
Exit code 77 (skipped) when a tool the check needs is missing.
"""
import json
import os
import re
import shutil
import subprocess
import sys
import xml.etree.ElementTree as ElementTree

SKIP = 77


def run(*command, check=True, env=None):
    result = subprocess.run(command, capture_output=True, env=env)
    if check and result.returncode != 0:
        sys.exit(f"{' '.join(command)}: exit code {result.returncode}\n{result.stderr.decode(errors='replace')}")
    return result


def unescape_show(text):
    """The text of a 'ktcat show CATALOGUE' line: \\n, \\r, \\t and \\\\ stand for one character each."""
    return re.sub(r"\\(.)", lambda m: {"n": "\n", "r": "\r", "t": "\t", "\\": "\\"}[m.group(1)], text)


def module_entries(ktcat):
    """{catalogue: [(key, text), ...]} in chain order and index order."""
    catalogues = {}
    for line in run(ktcat, "list").stdout.decode("utf-8").splitlines():
        name, count = line.split("\t")
        entries = []
        for entry in run(ktcat, "show", name).stdout.decode("utf-8").split("\n")[:-1]:
            index, key, text = entry.split("\t")
            assert int(index) == len(entries), entry
            entries.append((key, unescape_show(text)))
        assert len(entries) == int(count), name
        catalogues[name] = entries
    return catalogues


def compare(label, got, expected):
    if got != expected:
        for name in expected:
            if got.get(name) != expected[name]:
                sys.exit(f"{label}: catalogue {name} differs:\n  got      {got.get(name)}\n  expected {expected[name]}")
        sys.exit(f"{label}: the catalogues differ: got {list(got)}, expected {list(expected)}")


def check_json(ktcat, expected, workdir):
    def pairs(items):
        return items  # keeps order and repeated keys

    document = json.loads(run(ktcat, "export", "--format", "json").stdout.decode("utf-8"), object_pairs_hook=pairs)
    compare("json", {name: entries for name, entries in document}, expected)
    if [name for name, _ in document] != list(expected):
        sys.exit("json: catalogues are not in chain order")
    # Named catalogues come in the order named, each once.
    chosen = json.loads(run(ktcat, "export", "--format=json", "res", "core", "res").stdout.decode("utf-8"),
                        object_pairs_hook=pairs)
    compare("json res core", {name: entries for name, entries in chosen},
            {"res": expected["res"], "core": expected["core"]})
    if [name for name, _ in chosen] != ["res", "core"]:
        sys.exit("json: named catalogues are not in the order named")


def parse_po(text):
    """{catalogue: {key: text}} and the header of a PO file (msgctxt/msgid/msgstr with continuation lines)."""
    catalogues, header, message, field = {}, None, {}, None

    def finish():
        nonlocal header
        if not message:
            return
        if message.get("msgid", "") == "" and "msgctxt" not in message:
            header = message["msgstr"]
        else:
            entries = catalogues.setdefault(message["msgctxt"], {})
            if message["msgid"] in entries:
                sys.exit(f"po: {message['msgctxt']} {message['msgid']} twice")
            entries[message["msgid"]] = message["msgstr"]
        message.clear()

    escapes = {"n": "\n", "r": "\r", "t": "\t", '"': '"', "\\": "\\"}
    for line in text.splitlines() + [""]:
        if not line.strip():
            finish()
            continue
        if line.startswith("#"):
            continue
        match = re.match(r'^(msgctxt|msgid|msgstr)?\s*"(.*)"$', line)
        if not match:
            sys.exit(f"po: unexpected line {line!r}")
        if match.group(1):
            field = match.group(1)
            if field == "msgctxt" and "msgstr" in message:
                finish()
            message[field] = ""
        message[field] += re.sub(r"\\(.)", lambda m: escapes[m.group(1)], match.group(2))
    return catalogues, header


def check_po(ktcat, expected, workdir):
    for tool in ("msgfmt", "msgunfmt"):
        if shutil.which(tool) is None:
            print(f"{tool} is not installed (gettext): the PO export is not checked")
            sys.exit(SKIP)
    po_path, mo_path = os.path.join(workdir, "de.po"), os.path.join(workdir, "de.mo")
    # Dated as a reproducible build dates it, so that msgfmt finds every header field it checks.
    exported = run(ktcat, "export", "--format", "po", env=dict(os.environ, SOURCE_DATE_EPOCH="1700000000")).stdout
    with open(po_path, "wb") as po:
        po.write(exported)
    checked = run("msgfmt", "--check-format", "--check-header", "-o", mo_path, po_path)
    if checked.stderr:
        sys.exit(f"msgfmt warns:\n{checked.stderr.decode(errors='replace')}")
    want = {name: dict(entries) for name, entries in expected.items()}
    for label, text in (("po", exported.decode("utf-8")), ("mo", run("msgunfmt", mo_path).stdout.decode("utf-8"))):
        catalogues, header = parse_po(text)
        compare(label, catalogues, want)
        if "Content-Type: text/plain; charset=UTF-8\n" not in (header or ""):
            sys.exit(f"{label}: the header does not declare UTF-8:\n{header}")


def check_pot(ktcat, expected, workdir):
    """The template through gettext's own tools: msgmerge fills it from the PO export without a fuzzy or
    missing entry, and every entry's comments name its placeholders and its catalogue and index."""
    for tool in ("msgmerge", "msgfmt"):
        if shutil.which(tool) is None:
            print(f"{tool} is not installed (gettext): the POT export is not checked")
            sys.exit(SKIP)
    pot_path, po_path = os.path.join(workdir, "de.pot"), os.path.join(workdir, "de.po")
    merged_path = os.path.join(workdir, "merged.po")
    template = run(ktcat, "export", "--format", "pot").stdout.decode("utf-8")
    with open(pot_path, "w", encoding="utf-8") as pot:
        pot.write(template)
    with open(po_path, "wb") as po:
        po.write(run(ktcat, "export", "--format", "po").stdout)
    catalogues, _ = parse_po(template)
    compare("pot", {name: {key for key in entries} for name, entries in catalogues.items()},
            {name: {key for key, _ in entries} for name, entries in expected.items()})
    if any(text for entries in catalogues.values() for text in entries.values()):
        sys.exit("pot: a template entry has a text")
    # The comments before each msgctxt: placeholders in order of first use, and CATALOGUE:INDEX.
    blocks = template.split("\n\n")[1:]
    for block, (name, index, text) in zip(blocks, [(name, i, text) for name, entries in expected.items()
                                                    for i, (_, text) in enumerate(entries)]):
        names = list(dict.fromkeys(re.findall(r"(?<!\\)\{([A-Za-z0-9_.]+)\}", text)))
        want = (f"#. placeholders: {', '.join('{' + n + '}' for n in names)}\n" if names else "") + f"#: {name}:{index}\n"
        if not block.startswith(want):
            sys.exit(f"pot: the entry {name}:{index} starts\n{block}\nnot\n{want}")
    merged = run("msgmerge", "--quiet", "-o", merged_path, po_path, pot_path)
    with open(merged_path, encoding="utf-8") as merged_file:
        merged_text = merged_file.read()
    # One text of "Scintilla" holds a CR LF on purpose; msgmerge advises against '\r' and is right in general.
    warnings = [line for line in merged.stderr.decode(errors="replace").splitlines() if "'\\r' escape" not in line]
    if "#, fuzzy" in merged_text or warnings:
        sys.exit("msgmerge left fuzzy entries or warned:\n" + "\n".join(warnings))
    catalogues, _ = parse_po(merged_text)
    compare("msgmerge", catalogues, {name: dict(entries) for name, entries in expected.items()})
    run("msgfmt", "--check-format", "-o", os.path.join(workdir, "merged.mo"), merged_path)


def read_resource_text(text):
    """The text of a resource-string element: \\n is a line break, \\\\ a backslash, others stay."""
    return re.sub(r"\\([n\\])", lambda m: "\n" if m.group(1) == "n" else "\\", text)


def check_xml(ktcat, expected, workdir):
    exported = run(ktcat, "export", "--format", "xml").stdout
    path = os.path.join(workdir, "de.xml")
    with open(path, "wb") as xml:
        xml.write(exported)
    if shutil.which("xmllint"):
        run("xmllint", "--noout", path)
    else:
        print("xmllint is not installed: checking well-formedness with Python's parser only")
    root = ElementTree.fromstring(exported)
    if root.tag != "resources":
        sys.exit(f"xml: root element {root.tag}")
    got = {}
    for module in root:
        if module.tag != "module" or set(module.attrib) != {"name"}:
            sys.exit(f"xml: unexpected element {module.tag} {module.attrib}")
        entries = got.setdefault(module.get("name"), [])
        for string in module:
            if string.tag != "string" or set(string.attrib) != {"name"} or len(string):
                sys.exit(f"xml: unexpected element {string.tag} {string.attrib}")
            if "\n" in (string.text or ""):
                sys.exit(f"xml: a line break stands as a character in {string.get('name')}")
            entries.append((string.get("name"), read_resource_text(string.text or "")))
    compare("xml", got, expected)


def main():
    if len(sys.argv) != 4 or sys.argv[2] not in ("json", "po", "pot", "xml"):
        sys.exit(__doc__)
    ktcat, export_format, workdir = sys.argv[1:]
    os.makedirs(workdir, exist_ok=True)
    expected = module_entries(ktcat)
    {"json": check_json, "po": check_po, "pot": check_pot, "xml": check_xml}[export_format](ktcat, expected, workdir)
    print(f"{export_format}: every entry of {len(expected)} catalogues read back unchanged")


if __name__ == "__main__":
    main()
