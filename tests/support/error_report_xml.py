"""Reading Veltrano's XML error report with a real XML parser.

The report is UTF-16LE, begins with the declaration and holds one "error" element per listed
error, without a root element around them; the elements are read inside a root of our own. Texts
come back as the parser gives them: line ends as LF, and the CDATA sections without the line
breaks the writer puts around them and around their content.
"""
import xml.etree.ElementTree as ET

DECLARATION = '<?xml version="1.0" ?>\r\n'
CDATA_FIELDS = ("ErrorSummary", "ErrorText", "ErrorTextParams")


def read_raw(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] == b"\xff\xfe":
        data = data[2:]
    return data.decode("utf-16-le")


def parse(text):
    """[{field: text, "id": number}] of the report's elements, in file order."""
    if not text.startswith(DECLARATION):
        raise ValueError("the report does not begin with the XML declaration")
    root = ET.fromstring("<report>" + text[len(DECLARATION):] + "</report>")
    errors = []
    for element in root:
        if element.tag != "error":
            raise ValueError("unexpected element " + element.tag)
        fields = {"id": int(element.get("id"))}
        for child in element:
            value = child.text or ""
            if child.tag in CDATA_FIELDS:
                if not (value.startswith("\n\n") and value.endswith("\n\n")):
                    raise ValueError(child.tag + " lacks the line breaks around its CDATA")
                value = value[2:-2]
            fields[child.tag] = value
        errors.append(fields)
    return errors


def read(path):
    return parse(read_raw(path))


def as_parsed(text):
    """A text as the parser returns it: CR LF and lone CR become LF."""
    return text.replace("\r\n", "\n").replace("\r", "\n")
