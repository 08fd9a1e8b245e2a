#!/usr/bin/env python3
"""ktcat's manual page says what ktcat's help says: rendered by groff without a warning, it holds every
paragraph of `ktcat --help` (but the list of commands, which the page gives as sections) and of each
command's help, word for word (line breaks and spacing aside).

usage: check_ktcat_man_page.py KTCAT MAN_PAGE       (exit 77, skipped, without groff)
"""
import re
import shutil
import subprocess
import sys


def words(text):
    """The text with its white space runs as single spaces, and groff's typographic signs as ASCII."""
    for sign, ascii in (("\u2212", "-"), ("\u2010", "-"), ("\u2018", "'"), ("\u2019", "'"), ("\u201C", '"'),
                        ("\u201D", '"')):
        text = text.replace(sign, ascii)
    return " ".join(text.split())


def main():
    ktcat, page = sys.argv[1:]
    if shutil.which("groff") is None:
        print("groff not found")
        return 77
    # UTF-8 in and out (-k), no bold or underline, no hyphenation, long lines.
    rendered = subprocess.run(["groff", "-k", "-man", "-Tutf8", "-P-cbou", "-rHY=0", "-rLL=250n", "-ww", page],
                              capture_output=True, text=True, check=True)
    if rendered.stderr:
        print("groff warns:\n" + rendered.stderr)
        return 1
    text = words(rendered.stdout)

    def help_of(*arguments):
        return subprocess.run([ktcat, *arguments], capture_output=True, text=True, check=True).stdout

    # The first line "ktcat: what it does." is the page's NAME, "ktcat - what it does".
    general = re.sub(r"^(\S+): (.*?)\.?\n", r"\1 - \2\n", help_of("--help"))
    commands = re.findall(r"^  (\S+) ", general.split("\nCommands:\n")[1].split("\n\n")[0], re.M)
    missing = []
    for help_text in [general] + [help_of("help", command) for command in commands]:
        for paragraph in help_text.strip().split("\n\n"):
            lines = paragraph.split("\n")
            if lines[0] == "Commands:":
                continue
            if re.fullmatch(r"[A-Z][A-Za-z ]*:", lines[0]):
                lines = lines[1:]  # a heading: the page has its own
            pieces = [re.sub(r"^\s*usage:", "", line) for line in lines] if "usage:" in lines[0] else [
                "\n".join(lines)]
            missing += [piece for piece in pieces if words(piece) not in text]
    for piece in missing:
        print("not in the manual page:\n" + piece + "\n")
    print(f"{len(commands)} commands; {len(missing)} pieces of help missing from the page")
    return 1 if missing or not commands else 0


if __name__ == "__main__":
    sys.exit(main())
