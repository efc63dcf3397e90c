#!/usr/bin/python3
"""A crash's joined dump and a blue screen in the report page's details, rendered by headless
Chromium: the dump's exception, fault, both faults where the record and the dump differ, the
signature, the frames one per line with how each was found, the module list behind its link;
the stop error's bug check, parameters, driver and kernel dump; in English and German.

  crash_details_test.py CRASH_PAGE WORK_DIR [unittest arguments]
"""
import json
import os
import shutil
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
from headless_chromium import HeadlessChromium  # noqa: E402

WRITER, WORK = sys.argv[1:3]

# Selects the entry of an application and returns the details' rendered text, with the module
# list's visibility before and after a click on its link.
OPEN_DETAILS = """(() => {
  const row = [...document.querySelectorAll(".row")].find(
      (r) => r.querySelector(".app").textContent === %s);
  row.click();
  const d = document.getElementById("details");
  const list = d.querySelector("table.modules");
  const shown = () => list !== null && list.getClientRects().length > 0;
  const result = {text: d.innerText, frames: d.querySelector("pre.frames") &&
                  d.querySelector("pre.frames").innerText, listBefore: shown()};
  const link = d.querySelector(".modules-link");
  result.link = link && link.textContent;
  if (link) link.click();
  result.listAfter = shown();
  result.modules = list ? [...list.querySelectorAll("tr")].map(
      (tr) => [...tr.children].map((c) => c.innerText)) : [];
  result.textAfter = d.innerText;
  return result; })()"""

CRASH = "Application Error: lumen.exe"


class CrashDetails(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        shutil.rmtree(WORK, ignore_errors=True)
        os.makedirs(WORK)
        cls.pages = {}
        for lang in ("en", "de"):
            cls.pages[lang] = os.path.join(WORK, "crash_%s.html" % lang)
            subprocess.run([WRITER, cls.pages[lang]] + (["de"] if lang == "de" else []),
                           check=True, timeout=60)
        cls.browser = HeadlessChromium(window=(1280, 900)).__enter__()

    @classmethod
    def tearDownClass(cls):
        cls.browser.__exit__(None, None, None)

    def details(self, lang, app):
        self.browser.open(self.pages[lang])
        self.assertEqual(self.browser.evaluate("document.body.dataset.ready"), "1")
        return self.browser.evaluate(OPEN_DETAILS % json.dumps(app))

    def test_a_crash_shows_its_dump_and_the_modules_behind_their_link(self):
        d = self.details("en", CRASH)
        self.assertEqual(d["frames"].splitlines(), [
            "lumen.dll+0x1a2b  (registers)", "lumen.exe+0xf10  (unwind data)",
            "0x00007ff6a1b2c3d4  (stack scan)", "ntdll.dll+0xa0c4  (stack scan)"])
        text = d["text"]
        self.assertIn("0xc0000005 STATUS_ACCESS_VIOLATION", text)
        self.assertIn("Record and dump\tdiffer", text)
        # Where they differ both faults are shown: the record's and the dump's.
        self.assertIn("The record says\tlumen.exe+0x00000000000001f0", text)
        self.assertIn("The dump says\tlumen.dll+0x1a2b", text)
        self.assertIn("Signature\tlumen.dll|1.2.0.0|0x1a2b (%08x)"
                      % fnv1a("lumen.dll|1.2.0.0|0x1a2b"), text)
        self.assertIn("File\tC:\\ProgramData\\Microsoft\\Windows\\WER\\ReportArchive\\"
                      "AppCrash_lumen\\memory.hdmp", text)
        self.assertEqual(d["link"], "Modules (3)")
        self.assertFalse(d["listBefore"])
        self.assertNotIn("lumen_core.pdb", text)
        self.assertTrue(d["listAfter"])
        self.assertEqual(d["modules"], [
            ["Module", "Version", "PDB", "PDB identifier"],
            ["lumen.exe", "1.2.0.0", "lumen.pdb", "3F2A9C0E5B7D4E1F8A6B2C9D0E1F2A3B1"],
            ["lumen.dll", "1.2.0.0", "lumen_core.pdb", "0A1B2C3D4E5F60718293A4B5C6D7E8F92"],
            ["ntdll.dll", "10.0.19041.3636", "ntdll.pdb", "B7A3D1E0C5F24A6B9E8D7C6B5A493827"]])
        self.assertIn("lumen_core.pdb", d["textAfter"])

    def test_a_blue_screen_shows_its_bug_check(self):
        d = self.details("en", "BugCheck")
        text = d["text"]
        self.assertIn("Bug check\tIRQL_NOT_LESS_OR_EQUAL (0x0000000a)", text)
        self.assertIn("Parameters\t0xfffff80012345678 0x0000000000000002 "
                      "0x0000000000000000 0xfffff8001c0a1a2b", text)
        self.assertIn("Driver\tnvlddmkm.sys+0x1a2b", text)
        self.assertIn("Kernel dump\tC:\\Windows\\Minidump\\120826-7203-01.dmp", text)
        self.assertIsNone(d["link"])
        self.assertNotIn("Crash dump", text)

    def test_german_texts(self):
        d = self.details("de", CRASH)
        self.assertIn("Eintrag und Abbild\tweichen ab", d["text"])
        self.assertEqual(d["frames"].splitlines()[0], "lumen.dll+0x1a2b  (Register)")
        self.assertEqual(d["link"], "Module (3)")
        self.assertIn("Stoppfehler", self.details("de", "BugCheck")["text"])


def fnv1a(text):
    h = 0x811C9DC5
    for byte in text.encode():
        h = ((h ^ byte) * 0x01000193) & 0xFFFFFFFF
    return h


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:], verbosity=2)
