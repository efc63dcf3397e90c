"""What Veltrano must find on the sample machine, derived from the machine's description.

The sample builder (veltrano-sample-machine --describe FILE) writes every event record and report
file of the machine as JSON; the messages of its event sources come from the message file's
source (tools/writers/messages/event_messages.mc). From these two this module derives, by the
rules the program follows and independently of its code, the distinct errors the program must
list: names, categories, counts, paths, summaries, detail texts, and which report files it joins
to which crash events.
"""
import datetime
import json
import re

import manifest_expectations

CATEGORY_TEXTS = {1: "WER", 2: "Event Log", 3: "Application Hang", 4: "Application Error"}

APP_STOPPED = "The application encountered an error and stopped working."
LOGGED_BY_WER = "The application encountered an error that was logged by Windows Error Reporting."
EXCEPTION_CODE = "Exception Code returned was "
# The sample has no native-API message table (no ntdll.dll of its own) and Wine's tables name
# none of its codes: only the program's own name for access violations is given.
EXCEPTION_NAMES = {0xC0000005: "Memory Access Violation"}
SEPARATOR = "----------------------------\r\n"

TICKS_PER_SECOND = 10_000_000
TICKS_PER_DAY = 86_400 * TICKS_PER_SECOND
EPOCH_1970 = 116_444_736_000_000_000


# --- Message file ---------------------------------------------------------------------------

def read_message_file(path):
    """{message id: text as the message table holds it (lines ending in CR LF)} of an .mc file."""
    names = {"SeverityNames": {}, "FacilityNames": {}}
    messages = {}
    severity = facility = 0
    with open(path, encoding="utf-8") as f:
        source = f.read()
    for header, body in re.findall(r"^(SeverityNames|FacilityNames)=\(([^)]*)\)", source, re.M):
        for name, value in re.findall(r"(\w+)=(0x[0-9a-fA-F]+|\d+)", body):
            names[header][name] = int(value, 0)
    lines = source.splitlines()
    i = 0
    while i < len(lines):
        line = lines[i]
        if line.startswith("MessageId="):
            number = int(line.split("=", 1)[1], 0)
            i += 1
            while not lines[i].startswith("Language="):
                key, _, value = lines[i].partition("=")
                if key == "Severity":
                    severity = names["SeverityNames"][value.strip()]
                elif key == "Facility":
                    facility = names["FacilityNames"][value.strip()]
                i += 1
            i += 1
            text = []
            while lines[i] != ".":
                text.append(lines[i] + "\r\n")
                i += 1
            messages[severity << 30 | facility << 16 | number] = "".join(text)
        i += 1
    return messages


def format_message(text, inserts):
    """FormatMessageW's formatting without a width limit; inserts None: inserts ignored."""
    out = []
    i = 0
    while i < len(text):
        c = text[i]
        if c in "\r\n":
            out.append("\r\n")
            i += 2 if text[i:i + 2] == "\r\n" else 1
            continue
        if c != "%" or i + 1 >= len(text):
            out.append(c)
            i += 1
            continue
        d = text[i + 1]
        if d == "0":
            break
        if d.isdigit():
            end = i + 2 if not text[i + 2:i + 3].isdigit() else i + 3
            number = int(text[i + 1:end])
            if inserts is not None and number <= len(inserts):
                out.append(inserts[number - 1])
            else:
                out.append(text[i:end])
            i = end
            continue
        escapes = {"n": "\r\n", "r": "\r", "t": "\t"}
        if d in escapes:
            out.append(escapes[d])
        else:
            out.append(text[i:i + 2] if inserts is None else d)
        i += 2
    return "".join(out)


def highest_insert(text):
    return max([int(n) for n in re.findall(r"%(\d+)", text)] + [0])


def normalise_line_ends(text):
    return re.sub(r"(?<!\r)\n", "\r\n", text)


class MessageTexts:
    def __init__(self, text=None, template=None, params=""):
        self.text, self.template, self.params = text, template, params


def resolve_message(messages, event):
    """ErrorText, MessageTemplate and ErrorTextParams of an event whose source is registered."""
    qualifiers = event["qualifiers"] or 0
    template = messages.get(qualifiers << 16 | event["eventId"])
    if template is None:
        return MessageTexts()
    bare = format_message(template, None)
    strings = event["strings"]
    inserts = highest_insert(bare)
    if inserts <= 0 or len(strings) < inserts:
        return MessageTexts(normalise_line_ends(bare), normalise_line_ends(bare))
    text = format_message(template, strings)
    parameters = re.findall(r"%(\d+)", text)
    if all(int(p) in messages for p in parameters):
        text = re.sub(r"%(\d+)", lambda m: format_message(messages[int(m.group(1))], None), text)
    return MessageTexts(normalise_line_ends(text), normalise_line_ends(bare), "|".join(strings))


# --- Lines and report files -----------------------------------------------------------------

def message_lines(text):
    """Lines cut at every run of CR and LF, trimmed, up to the first empty one."""
    lines = []
    for part in re.split(r"[\r\n]+", text):
        part = part.strip(" \t")
        if not part:
            break
        lines.append(part)
    return lines


def line_value(lines, count, number):
    if len(lines) != count:
        return ""
    line = lines[number - 1]
    return line.split(": ", 1)[1] if ": " in line else ""


def report_fields(text):
    fields = {"AppName": "", "FriendlyEventName": "", "EventTime": 0, "AppPath": "",
              "IntegratorReportIdentifier": "", "ReportDescription": ""}
    for line in message_lines(text):
        value = line.split("=", 1)[1] if "=" in line else ""
        for key in fields:
            if line.startswith(key):
                if key == "EventTime":
                    digits = re.match(r"\d*", value).group(0)
                    value = int(digits) if digits else 0
                fields[key] = value
                break
    return fields


def ui3_summary(report_text):
    start = report_text.find("UI[3]=")
    if start < 0:
        return ""
    end = report_text.find("\r\n", start + 6)
    return "" if end < 0 else report_text[start + 6:end]


# --- The catalogue --------------------------------------------------------------------------

class Expected:
    """One distinct error as the program must hold it."""

    def __init__(self, app, name, category):
        self.AppName, self.ErrorName, self.Category = app, name, category
        self.times = []  # every occurrence merged, newest first for events
        self.AppPath = ""
        self.ReportId = ""
        self.ExceptionCode = ""
        self.ErrorSummary = ""
        self.ErrorText = None  # for report entries: the text of one of their files
        self.text_choices = []  # every text ErrorText may be (report entries: one per file)
        self.MessageTemplate = None
        self.ErrorTextParams = ""
        self.Linked = False
        self.joined_with = None

    @property
    def key(self):
        return self.AppName + "_" + self.ErrorName

    @property
    def ErrorCount(self):
        # Every record counts once, however many share its second.
        return len(self.times)

    @property
    def LastErrorDateTime(self):
        return max(self.times)

    def count_since(self, start):
        return sum(1 for t in self.times if t >= start)

    def day_counts(self):
        """Records per UTC day, oldest day first, as (ISO date, count) pairs."""
        days = {}
        for t in self.times:
            day = filetime_iso(t)[:10]
            days[day] = days.get(day, 0) + 1
        return sorted(days.items())


def crash_or_hang(app):
    return app.startswith("Application Error"), app.startswith("Application Hang")


class Sample:
    def __init__(self, description_path, message_file):
        with open(description_path, encoding="utf-8") as f:
            self.description = json.load(f)
        self.messages = read_message_file(message_file)
        self.now = self.description["now"]
        registered = {(s["log"], s["source"]) for s in self.description["sources"]}
        self.entries = {}
        self._read_reports()
        self._read_events(registered)
        self._link()

    def _entry(self, app, name, category):
        key = app + "_" + name
        if key not in self.entries:
            self.entries[key] = Expected(app, name, category)
        return self.entries[key]

    def _read_reports(self):
        # Which file of an error comes first depends on the order the file system lists them;
        # the latest one (by EventTime) gives the report identifier.
        for report in self.description["reports"]:
            text = "\ufeff" + report["text"]
            f = report_fields(text)
            e = self._entry(f["AppName"][:127], f["FriendlyEventName"][:127], 1)
            e.text_choices.append(text)
            if not e.times or f["EventTime"] > max(e.times):
                e.ReportId = f["IntegratorReportIdentifier"]
                e.AppPath = f["AppPath"]
            e.times.append(f["EventTime"])
            e.ErrorSummary = f["ReportDescription"] or LOGGED_BY_WER
            e.ErrorText = e.text_choices[0]

    def _read_events(self, registered):
        for event in sorted(self.description["events"], key=lambda e: -e["time"]):
            if event["level"] not in (1, 2):
                continue
            app, category = event["source"], 2
            for source, limit, kind in (("Application Error", 108, 4),
                                        ("Application Hang", 109, 3)):
                if app == source:
                    program = event["strings"][0] if event["strings"] else ""
                    if program:
                        app = app + ": " + program[:limit]
                    category = kind
            t = (event["time"] // TICKS_PER_SECOND) * TICKS_PER_SECOND
            key = app + "_" + str(event["eventId"])
            if key in self.entries:
                self.entries[key].times.append(t)
                continue
            e = self._entry(app, str(event["eventId"]), category)
            e.times.append(t)
            texts = (resolve_message(self.messages, event)
                     if (event["log"], event["source"]) in registered else MessageTexts())
            if texts.text is None and event.get("providerGuid"):
                # The event query path: its text, without template or parameters.
                texts = MessageTexts(manifest_expectations.manifest_text(self.description,
                                                                         event)[0])
            e.ErrorText, e.MessageTemplate = texts.text, texts.template
            e.ErrorTextParams = texts.params
            self._describe(e)

    def _describe(self, e):
        crash, hang = crash_or_hang(e.AppName)
        lines = message_lines(e.ErrorText or "")
        if crash or hang:
            e.ReportId = line_value(lines, 9, 9) or line_value(lines, 6, 6)
        path = line_value(lines, 9, 7) if crash else ""
        if not path and hang:
            path = line_value(lines, 6, 5)
        if not path:
            for line in lines:
                for label in ("Faulting application path: ", "Application Path: "):
                    if line.startswith(label) and not path:
                        path = line[len(label):]
        e.AppPath = path
        first = lines[0] if lines else ""
        if crash and not hang:
            e.ErrorSummary = APP_STOPPED
            e.ExceptionCode = line_value(lines, 9, 3)
            if e.ExceptionCode:
                e.ErrorSummary += exception_line(e.ExceptionCode)
        else:
            e.ErrorSummary = first

    def _link(self):
        events = {e.ReportId: e for e in self.entries.values() if e.Category != 1 and e.ReportId}
        for report in [e for e in self.entries.values() if e.Category == 1 and e.ReportId]:
            event = events.get(report.ReportId)
            if event is None or event.ErrorText is None:
                if event is not None:
                    report.Linked = True
                continue
            report.Linked = True
            event.joined_with = report
            summary = ui3_summary(report.ErrorText)
            if summary:
                if event.Category == 4:
                    if event.ExceptionCode:
                        summary += exception_line(event.ExceptionCode)
                elif event.ErrorSummary:
                    summary += "\r\n\r\n" + event.ErrorSummary
                event.ErrorSummary = summary[:1023]
            event.text_choices = [joined_text(event.ErrorText, t) for t in report.text_choices]

    # --- views ---

    def listed(self):
        """The entries the list and the report show, newest first."""
        return sorted((e for e in self.entries.values() if not e.Linked),
                      key=lambda e: -e.LastErrorDateTime)

    def interval_starts(self, now=None):
        """WeekStart, MonthStart, HalfYearStart for now (UTC calendar)."""
        now = self.now if now is None else now
        week = now - 7 * TICKS_PER_DAY
        return week, months_before(now, 1), months_before(now, 6)


def exception_line(code):
    line = "\r\n" + EXCEPTION_CODE + code
    name = EXCEPTION_NAMES.get(int(code, 16)) if re.fullmatch(r"(0x)?[0-9a-fA-F]+", code) else None
    return line + (" (" + name + ")" if name else "")


def joined_text(event_text, report_text):
    return ("Details from the event log: \r\n" + SEPARATOR + event_text + SEPARATOR + "\r\n" +
            "Details from WER file: \r\n" + SEPARATOR + report_text + SEPARATOR)


def months_before(filetime, months):
    """The time so many calendar months earlier (UTC), the day lowered until it exists."""
    t = datetime.datetime(1601, 1, 1) + datetime.timedelta(microseconds=filetime // 10)
    year, month = t.year, t.month - months
    while month < 1:
        month += 12
        year -= 1
    day = t.day
    while True:
        try:
            moved = t.replace(year=year, month=month, day=day)
            break
        except ValueError:
            day -= 1
    return filetime - int((t - moved).total_seconds()) * TICKS_PER_SECOND


def filetime_iso(filetime):
    t = datetime.datetime(1601, 1, 1) + datetime.timedelta(seconds=filetime // TICKS_PER_SECOND)
    return t.strftime("%Y-%m-%dT%H:%M:%SZ")


def iso_filetime(text):
    t = datetime.datetime.strptime(text, "%Y-%m-%dT%H:%M:%SZ")
    return int((t - datetime.datetime(1601, 1, 1)).total_seconds()) * TICKS_PER_SECOND


# --- Masking of texts that leave the computer ------------------------------------------------

VARIABLE_ORDER = ["%ALLUSERSPROFILE%", "%PROGRAMDATA%", "%APPDATA%", "%LOCALAPPDATA%",
                  "%USERPROFILE%", "%COMPUTERNAME%", "%COMMONPROGRAMFILES%",
                  "%COMMONPROGRAMFILES(x86)%", "%ProgramFiles%", "%SystemRoot%", "%SystemDrive%",
                  "%USERNAME%"]

# The variables of an analysed drive (veltrano-scan --root): the machine-wide folders only.
DRIVE_VARIABLES = {"%ALLUSERSPROFILE%": "C:\\ProgramData", "%PROGRAMDATA%": "C:\\ProgramData",
                   "%COMMONPROGRAMFILES%": "C:\\Program Files\\Common Files",
                   "%COMMONPROGRAMFILES(x86)%": "C:\\Program Files (x86)\\Common Files",
                   "%ProgramFiles%": "C:\\Program Files", "%SystemRoot%": "C:\\Windows",
                   "%SystemDrive%": "C:"}


def _upper_ascii(text):
    return "".join(chr(ord(c) - 32) if "a" <= c <= "z" else c for c in text)


def _split_no_case(text, find):
    """The pieces of text around every occurrence of find (ASCII letters compared without case)."""
    shadow, pattern = _upper_ascii(text), _upper_ascii(find)
    pieces, copied = [], 0
    p = shadow.find(pattern)
    while p >= 0:
        pieces.append(text[copied:p])
        copied = p + len(find)
        p = shadow.find(pattern, copied)
    pieces.append(text[copied:])
    return pieces


def mask(text, variables, names_in_text=False):
    """The text with every variable's value replaced by its name, in the program's order; the
    names put in are not searched again. names_in_text: the text was masked before, and the
    variable names it holds stay as they are too."""
    pieces = [(text, False)]
    if names_in_text:
        for name in VARIABLE_ORDER:
            pieces = [part for piece, is_name in pieces for part in
                      ([(piece, True)] if is_name else
                       _interleave([(p, False) for p in piece.split(name)], (name, True)))]
    for name in VARIABLE_ORDER:
        value = variables.get(name)
        if not value:
            continue
        pieces = [part for piece, is_name in pieces for part in
                  ([(piece, True)] if is_name else
                   _interleave([(p, False) for p in _split_no_case(piece, value)], (name, True)))]
    return "".join(piece for piece, _ in pieces)


def _interleave(parts, separator):
    out = []
    for i, part in enumerate(parts):
        if i:
            out.append(separator)
        out.append(part)
    return out
