#!/usr/bin/env python3
"""Writes veltrano-scan's manual page and its bash completion from the program's own --help.

  scan_docs.py --scan PROGRAM --version VERSION --datadir DIR
               --manual docs/veltrano-scan.1.md --man-out veltrano-scan.1.gz
               --completion tools/package/veltrano-scan.bash.in --completion-out veltrano-scan.bash

The usage text is the one list of options: the manual's SYNOPSIS and OPTIONS and the completion's
options and their values are taken from it, so an option added to the program appears in both at
the next build. Options the usage names without a line of their own (--help, --version) are
described in the manual's source; one described nowhere stops the build.

The manual's source is a small Markdown: a title line "name(1) -- summary" underlined with "=",
"## SECTION" headings, paragraphs with `literal` and *variable* words, items (a line, then its text
indented by two spaces), blocks of lines indented by four spaces shown as they are, and the
lines {{synopsis}} and {{options}} where the usage text goes.
"""
import argparse
import gzip
import re
import subprocess
import sys


def fail(message):
    sys.exit("scan_docs.py: " + message)


class Usage:
    """The usage text parsed: the synopsis' groups and the described options."""

    def __init__(self, text):
        blocks = text.split("\n\n")
        head = " ".join(blocks[0].split())
        if not head.startswith("Usage: "):
            fail("the usage text does not start with 'Usage: '")
        words = head[len("Usage: "):].split(" ", 1)
        self.program = words[0]
        # [--root DIR]... -> ("--root", "DIR", True)
        self.synopsis = []
        for group, repeats in re.findall(r"\[([^\]]+)\](\.\.\.)?", words[1]):
            name, _, argument = group.partition(" ")
            self.synopsis.append((name, argument, bool(repeats)))
        if not self.synopsis:
            fail("no options in the usage line")
        # The options block: "  --name ARG   text" with its continuation lines, up to a block of
        # text that is not indented (the exit statuses).
        option_blocks = []
        for block in blocks[2:]:
            if not block.startswith("  "):
                break
            option_blocks.append(block)
        self.options = []
        for line in "\n\n".join(option_blocks).splitlines():
            entry = re.match(r"  (--[\w-]+)(?: (\S+))?  +(\S.*)$", line)
            more = re.match(r" {5,}(\S.*)$", line)
            if entry:
                self.options.append([entry.group(1), entry.group(2) or "", entry.group(3)])
            elif more and self.options:
                self.options[-1][2] += " " + more.group(1)
            elif line.strip():
                fail("cannot read this line of the usage text: " + line)
        if not self.options:
            fail("no described options in the usage text")

    def argument(self, name):
        """The synopsis' argument of an option (its values where it lists them)."""
        for option, argument, _ in self.synopsis:
            if option == name:
                return argument
        for option, argument, _ in self.options:
            if option == name:
                return argument
        return ""

    def names(self):
        seen = [name for name, _, _ in self.synopsis]
        return seen + [name for name, _, _ in self.options if name not in seen]


# Roff.

def escape(text):
    return text.replace("\\", "\\e").replace("-", "\\-")


def text_line(line):
    """A line of text that roff cannot take for a request."""
    return "\\&" + line if line[:1] in (".", "'") else line


def inline(text):
    """Escapes a line of the source and turns `literal` bold and *variable* italic."""
    out = []
    for part in re.split(r"(`[^`]+`|\*[^*\s][^*]*\*)", text):
        if len(part) > 1 and part[0] == part[-1] == "`":  # a name or a path: not hyphenated
            out.append("\\fB\\%" + escape(part[1:-1]) + "\\fR")
        elif len(part) > 1 and part[0] == part[-1] == "*":
            out.append("\\fI" + escape(part[1:-1]) + "\\fR")
        else:
            out.append(escape(part))
    return text_line("".join(out))


def argument_roff(argument):
    """DIR in italic; literal values (en|de) in bold."""
    if not argument:
        return ""
    if argument.isupper():
        return " \\fI" + escape(argument) + "\\fR"
    return " " + "|".join("\\fB" + escape(v) + "\\fR" for v in argument.split("|"))


def synopsis_roff(usage):
    lines = [".SY " + escape(usage.program)]
    for name, argument, repeats in usage.synopsis:
        # One group is not broken across lines; "..." ends no sentence.
        group = "\\fB" + escape(name) + "\\fR" + argument_roff(argument)
        lines.append("[" + group.replace(" ", "\\ ") + "]" + ("...\\&" if repeats else ""))
    lines.append(".YS")
    return lines


def options_roff(usage):
    lines = []
    for name, argument, text in usage.options:
        lines += [".TP", "\\fB" + escape(name) + "\\fR" + argument_roff(argument),
                  text_line(escape(text))]
    return lines


def manual_roff(source, usage, version, datadir):
    source = source.replace("@DATADIR@", datadir)
    blocks = [b for b in re.split(r"\n\s*\n", source.strip("\n")) if b.strip()]
    title = re.match(r"([\w.-]+)\((\d)\) -- (.+)\n=+$", blocks[0])
    if not title:
        fail("the manual's source does not start with 'name(1) -- summary' underlined")
    name, section, summary = title.groups()
    out = ['.TH "%s" "%s" "" "Veltrano %s" "User Commands"' % (escape(name.upper()), section,
                                                              version),
           ".ad l", ".SH NAME", escape(name) + " \\- " + escape(summary)]
    described = set(n for n, _, _ in usage.options)
    section_name = None
    for block in blocks[1:]:
        lines = block.split("\n")
        if lines[0].startswith("## "):
            section_name = lines[0][3:].strip()
            out.append('.SH "%s"' % section_name)
            lines = lines[1:]
            if not lines:
                continue
        if lines == ["{{synopsis}}"]:
            out += synopsis_roff(usage)
        elif lines == ["{{options}}"]:
            out += options_roff(usage)
        elif all(line.startswith("    ") for line in lines):
            out += [".PP", ".RS 4", ".nf"]
            out += [text_line(escape(line[4:])) for line in lines] + [".fi", ".RE"]
        elif len(lines) > 1 and not lines[0].startswith(" ") and all(
                line.startswith("  ") for line in lines[1:]):
            out += [".TP", inline(lines[0])] + [inline(line.strip()) for line in lines[1:]]
            if section_name == "OPTIONS":
                described.add(re.match(r"`(--[\w-]+)", lines[0]).group(1))
        else:
            out += [".PP"] + [inline(line.strip()) for line in lines]
    missing = [n for n in usage.names() if n not in described]
    if missing:
        fail("the manual describes no " + ", ".join(missing) +
             ": add it to the usage text's options or to the manual's OPTIONS")
    return "\n".join(out) + "\n"


# Bash completion.

def completion(template, usage):
    """Fills the template's option list and the case arms naming what each option takes."""
    arms = []
    for name in usage.names():
        argument = usage.argument(name)
        if not argument:
            continue
        if "|" in argument:
            kind = "'words " + " ".join(argument.split("|")) + "'"
        elif argument == "DIR":
            kind = "dirs"
        elif argument == "FILE":
            kind = "files"
        else:
            kind = "none"  # a number, a time: nothing to offer
        arms.append("        %s) kind=%s ;;" % (name, kind))
    filled = template.replace("@OPTIONS@", " ".join(usage.names()))
    filled = filled.replace("@ARGUMENT_KINDS@\n", "\n".join(arms) + "\n")
    if re.search(r"@[A-Z_]+@", filled):
        fail("the completion template has a placeholder left")
    return filled


def main():
    parser = argparse.ArgumentParser()
    for option in ("scan", "version", "datadir", "manual", "man-out", "completion",
                   "completion-out"):
        parser.add_argument("--" + option, required=True)
    args = parser.parse_args()
    help_text = subprocess.run([args.scan, "--help"], check=True, capture_output=True,
                               text=True).stdout
    usage = Usage(help_text)
    with open(args.manual, encoding="utf-8") as f:
        roff = manual_roff(f.read(), usage, args.version, args.datadir)
    # Debian's way: best compression, no name and no time in the header.
    with open(args.man_out, "wb") as raw:
        with gzip.GzipFile(filename="", mode="wb", compresslevel=9, fileobj=raw, mtime=0) as z:
            z.write(roff.encode("utf-8"))
    with open(args.completion, encoding="utf-8") as f:
        script = completion(f.read(), usage)
    with open(args.completion_out, "w", encoding="utf-8") as f:
        f.write(script)


if __name__ == "__main__":
    main()
