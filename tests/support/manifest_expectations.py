"""What the event query path of an analysed drive must make of the records of manifest-based
providers, derived from the sample machine's description (its providers, their events and message
identifiers, and which of their files the drive holds with which messages) by the lookup rules of
Windows, independently of the program's code: the publisher by the record's provider GUID, the
manifest in the binary or its .mun, the event's definition by identifier and version, the message
in the .mui of the install language, then en-US, then the binary, then the .mun; FormatMessageW's
formatting and "%%n" parameters.
"""
import re

import sample_expectations as expect

CULTURES = {0x0407: "de-DE", 0x0409: "en-US", 0x040C: "fr-FR"}
# How far a lookup got, in the order the statistics rank them.
BUCKETS = ["messageFile", "manifest", "noRegistry", "notRegistered", "filesMissing", "noMessage",
           "formattingFailed"]


def _split(path):
    folder, _, name = path.rpartition("\\")
    return folder, name


def manifest_text(description, event):
    """(ErrorText or None, bucket) of an event through its provider's manifest."""
    guid = (event.get("providerGuid") or "").lower()
    provider = next((p for p in description["manifestProviders"] if p["guid"].lower() == guid),
                    None)
    if provider is None:
        return None, "notRegistered"
    files = {f["path"].lower(): f for f in provider["files"]}
    binary = provider["binary"].replace("%SystemRoot%", "C:\\Windows")
    folder, name = _split(binary)
    mun = "C:\\Windows\\SystemResources\\" + name + ".mun"
    holders = [files.get(p.lower()) for p in (binary, mun)]
    if not any(holders):
        return None, "filesMissing"
    definition = next((e for e in provider["events"]
                       if e["id"] == event["eventId"] and e["version"] == event["version"]), None)
    if not any(h and h["manifest"] for h in holders) or definition is None:
        return None, "noMessage"
    install = CULTURES.get(int(description["installLanguage"], 16))
    cultures = list(dict.fromkeys(c for c in (install, "en-US") if c))
    candidates = [folder + "\\" + c + "\\" + name + ".mui" for c in cultures] + [binary, mun]
    table = next((files[c.lower()]["messages"] for c in candidates
                  if c.lower() in files and files[c.lower()]["language"]), None)
    if table is None:
        return None, "filesMissing"
    message = table.get(str(definition["messageId"]))
    if message is None:
        return None, "noMessage"
    text = expect.format_message(message, event["strings"])
    text = re.sub(r"%%(\d+)", lambda m: (expect.format_message(table[m.group(1)], None)
                                         if m.group(1) in table else m.group(0)), text)
    return expect.normalise_line_ends(text), "manifest"


def message_stats(sample, hives=True):
    """{source: {bucket: count, "errors": n}} and the total, as --message-stats must count the
    error records of both logs; without hives nothing can be registered, and says so."""
    description = sample.description
    registered = {(s["log"], s["source"]) for s in description["sources"]}
    providers, total = {}, {"errors": 0}
    for event in description["events"]:
        if event["level"] not in (1, 2):
            continue
        classic = "notRegistered"
        if hives and (event["log"], event["source"]) in registered:
            texts = expect.resolve_message(sample.messages, event)
            classic = "messageFile" if texts.text is not None else "noMessage"
        _, modern = manifest_text(description, event) if hives else (None, "notRegistered")
        bucket = classic if classic == "messageFile" else (
            modern if modern == "manifest" else max(classic, modern, key=BUCKETS.index))
        if not hives:
            bucket = "noRegistry"
        for counts in (providers.setdefault(event["source"], {"errors": 0}), total):
            counts["errors"] += 1
            counts[bucket] = counts.get(bucket, 0) + 1
    return providers, total
