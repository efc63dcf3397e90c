#!/usr/bin/python3
"""Independent decodings of event log files for the interoperability tests.

  event_log_peer.py evtx FILE       records of an .evtx file as python-evtx reads them
  event_log_peer.py reference FILE  records of a reference decoding (.records.jsonl)

One line per record, tab-separated, with backslash escapes for backslash, tab, CR and LF:
  R  id  intact  created  level  event-id  qualifiers  provider  source-name  computer  channel
     n  s1 .. sn
  E  id  message                      (a record the reader could not decode)
"intact" is 1 when the record's sizes and its chunk's signature and header checksum hold.
"created" is the FILETIME of TimeCreated (evtx) or seconds since 1970 (reference).

python-evtx decodes the file (chunks, templates, substitution values); this script only turns
the decoded values into the texts Windows shows (0x-hex, {GUID}, ISO times, upper-case hex for
binary data) and applies the two rules of Windows' XML rendering that python-evtx leaves out: an
optional substitution without a value removes its element, and an array in an element's text
repeats the element once per item.
"""
import binascii
import json
import struct
import sys


def escape(text):
    return (text.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n")
            .replace("\r", "\\r"))


def emit(fields):
    sys.stdout.write("\t".join(escape(str(f)) for f in fields) + "\n")


def iso(filetime):
    import datetime
    seconds, fraction = divmod(filetime, 10_000_000)
    t = datetime.datetime(1601, 1, 1) + datetime.timedelta(seconds=seconds)
    return t.strftime("%Y-%m-%dT%H:%M:%S") + ".%07dZ" % fraction


def shortest_float32(value):
    for precision in range(1, 18):
        text = "%.*g" % (precision, value)
        if struct.unpack("<f", struct.pack("<f", float(text)))[0] == value:
            return text
    return repr(value)


class Renderer:
    def __init__(self, nodes):
        self.n = nodes

    def text(self, v):
        n = self.n
        if isinstance(v, n.NullTypeNode):
            return ""
        if isinstance(v, (n.Hex32TypeNode,)):
            return "0x%x" % v.unpack_dword(0)
        if isinstance(v, (n.Hex64TypeNode,)):
            return "0x%x" % v.unpack_qword(0)
        if isinstance(v, n.SizeTypeNode):
            return "0x%x" % v.num()
        if isinstance(v, n.BooleanTypeNode):
            return "true" if v.int32() != 0 else "false"
        if isinstance(v, n.BinaryTypeNode):
            return binascii.hexlify(v.binary()).decode().upper()
        if isinstance(v, n.GuidTypeNode):
            return "{" + v.guid().upper() + "}"
        if isinstance(v, n.FiletimeTypeNode):
            return iso(v.unpack_qword(0))
        if isinstance(v, n.SystemtimeTypeNode):
            w = [v.unpack_word(2 * i) for i in range(8)]
            return "%04d-%02d-%02dT%02d:%02d:%02d.%03d0000Z" % (w[0], w[1], w[3], w[4], w[5], w[6], w[7])
        if isinstance(v, n.FloatTypeNode):
            return shortest_float32(v.float())
        if isinstance(v, n.DoubleTypeNode):
            return repr(v.double())
        return v.string()

    def items(self, v):
        """The items of an array value, or None for a single value."""
        if isinstance(v, self.n.WstringArrayTypeNode):
            parts = bytes(v.binary()).decode("utf-16-le", "replace").split("\x00")
            if parts and parts[-1] == "":
                parts.pop()
            return parts
        return None


class Element:
    def __init__(self, name):
        self.name = name
        self.attrs = {}    # name -> (text, value node or None)
        self.children = []
        self.text = []
        self.substituted = []  # (index, text) of every substituted value in this subtree


def build(renderer, nodes, node, subs, parent, out):
    """Appends the elements that node's children make to out (a list of Element)."""
    n = nodes
    for child in node.children():
        if isinstance(child, n.OpenStartElementNode):
            elements = element(renderer, nodes, child, subs)
            out.extend(elements)
        elif isinstance(child, n.TemplateInstanceNode):
            raise RuntimeError("template instance inside content")


def element(renderer, nodes, node, subs):
    """The element (a list: none when suppressed, several for an array)."""
    n = nodes
    e = Element(node.tag_name())
    array_items = None
    for child in node.children():
        if isinstance(child, n.AttributeNode):
            value = child.attribute_value()
            name = child.attribute_name().string()
            if isinstance(value, n.ValueNode):
                e.attrs[name] = (value.children()[0].string(), None)
            elif isinstance(value, (n.NormalSubstitutionNode, n.ConditionalSubstitutionNode)):
                sub = subs[value.index()] if value.index() < len(subs) else None
                if sub is None or (isinstance(value, n.ConditionalSubstitutionNode)
                                   and isinstance(sub, n.NullTypeNode)):
                    continue
                text = renderer.text(sub)
                e.attrs[name] = (text, sub)
                e.substituted.append((value.index(), text))
        elif isinstance(child, n.OpenStartElementNode):
            for c in element(renderer, nodes, child, subs):
                e.children.append(c)
                e.substituted.extend(c.substituted)
        elif isinstance(child, n.ValueNode):
            e.text.append(child.children()[0].string())
        elif isinstance(child, (n.NormalSubstitutionNode, n.ConditionalSubstitutionNode)):
            if child.index() >= len(subs):
                continue
            sub = subs[child.index()]
            if isinstance(child, n.ConditionalSubstitutionNode) and isinstance(sub, n.NullTypeNode):
                return []
            if isinstance(sub, n.BXmlTypeNode):
                root = sub.root()
                inner = []
                build(renderer, nodes, root.template(), root.substitutions(), e, inner)
                for c in inner:
                    e.children.append(c)
                    e.substituted.extend(c.substituted)
                continue
            items = renderer.items(sub)
            if items is not None:
                array_items = items
                e.substituted.extend((child.index(), item) for item in items)
                continue
            text = renderer.text(sub)
            e.text.append(text)
            e.substituted.append((child.index(), text))
        elif isinstance(child, n.CharacterReferenceNode):
            e.text.append(chr(child.entity()))
        elif isinstance(child, n.CDataSectionNode):
            e.text.append(child.cdata())
    if array_items is not None:
        copies = []
        for item in array_items:
            copy = Element(e.name)
            copy.attrs = e.attrs
            copy.text = e.text + [item]
            copies.append(copy)
        return copies
    return [e]


def child(e, name):
    for c in e.children:
        if c.name == name:
            return c
    return None


def leaves(e, out):
    for c in e.children:
        if c.children:
            leaves(c, out)
        else:
            out.append("".join(c.text))


def strings_of(event):
    out = []
    data = child(event, "EventData")
    if data is not None:
        out += ["".join(d.text) for d in data.children if d.name == "Data"]
    user = child(event, "UserData")
    if user is not None:
        if user.substituted:
            out += [t for _, t in sorted(user.substituted, key=lambda s: s[0])]
        else:
            for top in user.children:
                leaves(top, out)
    return out


def number(text):
    text = text.strip()
    if not text:
        return 0
    return int(text, 16) if text.lower().startswith("0x") else int(text)


def evtx(path):
    import Evtx.Evtx as evtx_module
    import Evtx.Nodes as nodes
    renderer = Renderer(nodes)
    with evtx_module.Evtx(path) as log:
        header = log.get_file_header()
        no_checksums = header.check_magic() and (header.flags() & 0x4) != 0
        for chunk in log.chunks():
            stored = chunk.header_checksum()
            intact_chunk = chunk.check_magic() and (
                no_checksums or (chunk.unpack_dword(0x78) & 0x4) != 0 or stored == 0
                or chunk.calculate_header_checksum() == stored)
            templates = {}
            for record in chunk.records():
                try:
                    root = record.root()
                    offset = root.template_instance().template_offset()
                    template = templates.get(offset)
                    if template is None:
                        template = templates[offset] = root.template()
                    top = []
                    build(renderer, nodes, template, root.substitutions(), None, top)
                    event = top[0]
                    system = child(event, "System")
                    provider = child(system, "Provider")
                    event_id = child(system, "EventID")
                    created = child(system, "TimeCreated").attrs.get("SystemTime", ("", None))[1]
                    level = child(system, "Level")
                    computer = child(system, "Computer")
                    channel = child(system, "Channel")
                    strings = strings_of(event)
                    emit(["R", record.record_num(), int(intact_chunk and record.verify()),
                          created.unpack_qword(0) if created is not None else 0,
                          number("".join(level.text)) if level else 0,
                          number("".join(event_id.text)),
                          number(event_id.attrs.get("Qualifiers", ("0", None))[0]),
                          provider.attrs.get("Name", ("", None))[0],
                          provider.attrs.get("EventSourceName", ("", None))[0],
                          "".join(computer.text) if computer else "",
                          "".join(channel.text) if channel else "",
                          len(strings)] + strings)
                except Exception as error:  # a record python-evtx cannot decode
                    emit(["E", record.record_num(), repr(error)])


def reference(path):
    for line in open(path, encoding="utf-8"):
        r = json.loads(line)
        if "record_number" in r:  # classic .evt
            import calendar
            import datetime
            generated = calendar.timegm(datetime.datetime.fromisoformat(r["generated_utc"]).timetuple())
            strings = [s or "" for s in r["strings"]]
            emit(["R", r["record_number"], 1, generated, r["event_type"], r["event_id_full"], 0,
                  r["source"], "", r["computer"], "", len(strings)] + strings)


if __name__ == "__main__":
    {"evtx": evtx, "reference": reference}[sys.argv[1]](sys.argv[2])
