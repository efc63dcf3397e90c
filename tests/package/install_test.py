#!/usr/bin/env python3
"""install_test.py CMAKE BUILD SOURCE: installs the build with DESTDIR into a temporary folder and
checks what came out: the files and only those, a manual page whose options are the --help's, and
a bash completion that offers the options and their values."""
import glob
import gzip
import os
import re
import subprocess
import sys
import tempfile
import unittest

CMAKE, BUILD, SOURCE = sys.argv[1:4]
PREFIX = "/opt/veltrano-test"


def help_options(help_text):
    """{name: "ARG text"} of the usage text's options, and every option its synopsis names."""
    described = {}
    # The options' blocks, up to the text that is not indented (the exit statuses).
    blocks = help_text.split("\n\n")[2:]
    options = []
    for block in blocks:
        if not block.startswith("  "):
            break
        options.append(block)
    for line in "\n\n".join(options).splitlines():
        entry = re.match(r"  (--[\w-]+)((?: \S+)?)  +(\S.*)", line)
        if entry:
            name = entry.group(1)
            described[name] = entry.group(2) + " " + entry.group(3)
        elif line.strip():
            described[name] += " " + line.strip()
    named = set(re.findall(r"\[(--[\w-]+)", help_text.split("\n\n")[0]))
    return {n: " ".join(v.split()) for n, v in described.items()}, named | set(described)


def manual_options(roff):
    """{name: "ARG text"} of the rendered manual's OPTIONS section."""
    rendered = subprocess.run(["groff", "-man", "-ww", "-Tascii", "-P-cbou", "-rLL=1000n",
                               "-rHY=0"], input=roff, capture_output=True, text=True, check=True)
    assert rendered.stderr == "", rendered.stderr
    section = rendered.stdout.split("\nOPTIONS\n", 1)[1]
    section = re.split(r"\n[A-Z]", section, maxsplit=1)[0]
    options, name = {}, None
    for line in section.splitlines():
        if line.startswith("       --"):
            tag, text = line[7:14].strip(), line[14:].strip()
            if not (line[13:14] == " " and text):  # the tag on a line of its own
                tag, text = line.strip(), ""
            name, _, argument = tag.partition(" ")
            options[name] = argument + " " + text
        elif line.startswith(" " * 14) and name:
            options[name] += " " + line.strip()
        elif line.strip():
            name = None
    return {n: " ".join(v.split()) for n, v in options.items()}


class Installed(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.root = cls.tmp.name + "/destdir"
        subprocess.run([CMAKE, "--install", BUILD, "--prefix", PREFIX], check=True,
                       env=dict(os.environ, DESTDIR=cls.root), stdout=subprocess.DEVNULL)
        cls.top = cls.root + PREFIX
        cls.help = subprocess.run([cls.top + "/bin/veltrano-scan", "--help"], check=True,
                                  capture_output=True, text=True).stdout

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def test_installs_the_program_its_pages_and_the_fleet_files_and_nothing_else(self):
        found = set()
        for folder, _, files in os.walk(self.root):
            found |= {os.path.relpath(os.path.join(folder, f), self.top) for f in files}
        sql = {"share/veltrano/clickhouse/" + os.path.basename(f)
               for f in glob.glob(SOURCE + "/tools/fleet/clickhouse/*.sql")}
        self.assertTrue(sql)
        self.assertEqual(found, sql | {
            "bin/veltrano-scan", "share/man/man1/veltrano-scan.1.gz",
            "share/bash-completion/completions/veltrano-scan", "share/veltrano/load.sh",
            "share/veltrano/fleet-schema.md", "share/veltrano/fleet-schema.json",
            "share/doc/veltrano-scan/copyright", "share/doc/veltrano-scan/changelog.Debian.gz"})
        self.assertTrue(os.access(self.top + "/share/veltrano/load.sh", os.X_OK))

    def test_the_manual_page_has_the_options_of_help_with_their_texts(self):
        with open(self.top + "/share/man/man1/veltrano-scan.1.gz", "rb") as f:
            packed = f.read()
        self.assertEqual(packed[4:8], b"\0\0\0\0", "gzip header with a time")
        roff = gzip.decompress(packed).decode("utf-8")
        for heading in ("NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "EXIT STATUS", "EXAMPLES",
                        "FILES"):
            self.assertIn('\n.SH "%s"' % heading if heading != "NAME" else "\n.SH NAME", roff)
        described, named = help_options(self.help)
        manual = manual_options(roff)
        self.assertEqual(set(manual), named)
        for name, text in described.items():
            self.assertEqual(manual[name], text, name)

    def complete(self, *words, cwd=None):
        script = ('source "$1"; shift; registered=$(complete -p veltrano-scan) || exit 3\n'
                  'fn=${registered#*-F }; fn=${fn%% *}; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))\n'
                  '"$fn" veltrano-scan "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"\n'
                  'printf "%s\\n" "${COMPREPLY[@]}"')
        out = subprocess.run(
            ["bash", "--norc", "--noprofile", "-c", script, "bash",
             self.top + "/share/bash-completion/completions/veltrano-scan", "veltrano-scan",
             *words], check=True, capture_output=True, text=True, cwd=cwd).stdout
        return set(out.split())

    def test_the_completion_offers_every_option_and_the_fixed_values(self):
        self.assertEqual(self.complete("--"), help_options(self.help)[1])
        self.assertEqual(self.complete("--format", ""), {"table", "csv", "json", "ndjson"})
        self.assertEqual(self.complete("--format", "n"), {"ndjson"})
        self.assertEqual(self.complete("--interval", "=", ""), {"week", "month", "6months", "all"})
        self.assertEqual(self.complete("--lang", ""), {"en", "de"})

    def test_the_completion_offers_folders_for_a_root_and_files_for_an_output(self):
        with tempfile.TemporaryDirectory() as work:
            os.mkdir(work + "/machines")
            open(work + "/machines.xml", "w").close()
            self.assertEqual(self.complete("--root", "mach", cwd=work), {"machines"})
            self.assertEqual(self.complete("--fleet", "mach", cwd=work), {"machines"})
            self.assertEqual(self.complete("--xml", "mach", cwd=work), {"machines", "machines.xml"})


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
