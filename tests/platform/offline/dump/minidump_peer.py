#!/usr/bin/env python3
"""An independent reading of a user-mode minidump, for the reader's tests to compare with.

Written from Microsoft's published layout of the MINIDUMP_* structures (minidumpapiset.h) and of
the x86 and x64 CONTEXT records (winnt.h), with nothing taken from our C++ reader. Prints one line
per fact, tab-separated, numbers in decimal, texts in UTF-8:

    header     version streams directory_rva checksum time_stamp flags
    stream     index type size rva
    system     architecture level revision processors product major minor build platform
               suite csd_version
    exception  thread code flags record address parameters(comma-separated) context_size
               context_rva
    module     base size checksum time_stamp version(fvms,fvls,pvms,pvls or -) codeview(-,
               RSDS or NB10) guid(its 16 bytes in hex)_or_signature age pdb_name name
    unloaded   base size checksum time_stamp name
    thread     id suspend_count priority_class priority teb stack_start stack_size stack_rva
               context_size context_rva
    misc       flags process_id(or -) process_create_time(or -)
    range      start size rva
    context    owner(thread id or "exception") ip sp fp
    memory     owner address hex_bytes   (up to 64 bytes at the owner's stack pointer)

Usage: minidump_peer.py <file>. Exits 1 when the file is not a minidump.
"""
import struct
import sys

STREAM_THREADS = 3
STREAM_MODULES = 4
STREAM_MEMORY = 5
STREAM_EXCEPTION = 6
STREAM_SYSTEM = 7
STREAM_MEMORY64 = 9
STREAM_UNLOADED = 14
STREAM_MISC = 15

ARCH_X86 = 0
ARCH_AMD64 = 9


class Dump:
    def __init__(self, data):
        self.data = data

    def fits(self, offset, size):
        return 0 <= offset and 0 <= size and offset + size <= len(self.data)

    def unpack(self, fmt, offset):
        size = struct.calcsize(fmt)
        if not self.fits(offset, size):
            raise ValueError("structure at %d runs past the end" % offset)
        return struct.unpack_from(fmt, self.data, offset)

    def string(self, rva):
        """MINIDUMP_STRING: a byte count, then UTF-16LE without its terminator."""
        if rva == 0:
            return ""
        (length,) = self.unpack("<I", rva)
        if length % 2 or not self.fits(rva + 4, length):
            return None
        return self.data[rva + 4:rva + 4 + length].decode("utf-16-le", "replace")


def fmt_line(*fields):
    return "\t".join(str(f) for f in fields)


def main(path):
    with open(path, "rb") as f:
        dump = Dump(f.read())
    out = []
    signature, version, count, directory, checksum, stamp, flags = dump.unpack("<4sIIIIIQ", 0)
    if signature != b"MDMP":
        return 1
    out.append(fmt_line("header", version, count, directory, checksum, stamp, flags))
    streams = {}
    for i in range(count):
        kind, size, rva = dump.unpack("<III", directory + 12 * i)
        out.append(fmt_line("stream", i, kind, size, rva))
        streams.setdefault(kind, (size, rva))

    architecture = None
    if STREAM_SYSTEM in streams:
        _, rva = streams[STREAM_SYSTEM]
        (arch, level, revision, processors, product, major, minor, build, platform, csd,
         suite) = dump.unpack("<HHHBBIIIIIH", rva)
        architecture = arch
        text = dump.string(csd)
        out.append(fmt_line("system", arch, level, revision, processors, product, major, minor,
                            build, platform, suite, text if text is not None else "-"))

    contexts = []  # (owner, size, rva)
    if STREAM_EXCEPTION in streams:
        _, rva = streams[STREAM_EXCEPTION]
        thread, _alignment = dump.unpack("<II", rva)
        code, eflags, record, address, nparams, _unused = dump.unpack("<IIQQII", rva + 8)
        params = dump.unpack("<15Q", rva + 40)[:min(nparams, 15)]
        csize, crva = dump.unpack("<II", rva + 160)
        out.append(fmt_line("exception", thread, code, eflags, record, address,
                            ",".join(str(p) for p in params), csize, crva))
        contexts.append(("exception", csize, crva))

    if STREAM_MODULES in streams:
        _, rva = streams[STREAM_MODULES]
        (n,) = dump.unpack("<I", rva)
        for i in range(n):
            at = rva + 4 + 108 * i
            base, size, check, mstamp, name_rva = dump.unpack("<QIIII", at)
            fixed = dump.unpack("<13I", at + 24)
            cv_size, cv_rva = dump.unpack("<II", at + 76)
            version_field = "-"
            if fixed[0] == 0xFEEF04BD:
                version_field = ",".join(str(v) for v in fixed[2:6])
            cv = ("-", "-", "-", "-")
            if cv_size >= 4 and dump.fits(cv_rva, cv_size):
                record = dump.data[cv_rva:cv_rva + cv_size]
                if record[:4] == b"RSDS" and cv_size >= 24:
                    (age,) = struct.unpack_from("<I", record, 20)
                    pdb = record[24:].split(b"\0")[0].decode("utf-8", "replace")
                    cv = ("RSDS", record[4:20].hex(), age, pdb)
                elif record[:4] == b"NB10" and cv_size >= 16:
                    _offset, sig, age = struct.unpack_from("<III", record, 4)
                    pdb = record[16:].split(b"\0")[0].decode("utf-8", "replace")
                    cv = ("NB10", sig, age, pdb)
            name = dump.string(name_rva)
            out.append(fmt_line("module", base, size, check, mstamp, version_field, *cv,
                                name if name is not None else "-"))

    if STREAM_UNLOADED in streams:
        _, rva = streams[STREAM_UNLOADED]
        header_size, entry_size, n = dump.unpack("<III", rva)
        for i in range(n):
            at = rva + header_size + entry_size * i
            base, size, check, ustamp, name_rva = dump.unpack("<QIIII", at)
            name = dump.string(name_rva)
            out.append(fmt_line("unloaded", base, size, check, ustamp,
                                name if name is not None else "-"))

    if STREAM_THREADS in streams:
        _, rva = streams[STREAM_THREADS]
        (n,) = dump.unpack("<I", rva)
        for i in range(n):
            at = rva + 4 + 48 * i
            (tid, suspend, pclass, prio, teb, stack_start, stack_size, stack_rva, csize,
             crva) = dump.unpack("<IIIIQQIIII", at)
            out.append(fmt_line("thread", tid, suspend, pclass, prio, teb, stack_start,
                                stack_size, stack_rva, csize, crva))
            contexts.append((tid, csize, crva))

    if STREAM_MISC in streams:
        size, rva = streams[STREAM_MISC]
        info_size, mflags = dump.unpack("<II", rva)
        pid = create = "-"
        if mflags & 1 and size >= 12:
            (pid,) = dump.unpack("<I", rva + 8)
        if mflags & 2 and size >= 16:
            (create,) = dump.unpack("<I", rva + 12)
        out.append(fmt_line("misc", mflags, pid, create))

    ranges = []
    if STREAM_MEMORY in streams:
        _, rva = streams[STREAM_MEMORY]
        (n,) = dump.unpack("<I", rva)
        for i in range(n):
            start, size, data_rva = dump.unpack("<QII", rva + 4 + 16 * i)
            ranges.append((start, size, data_rva))
    if STREAM_MEMORY64 in streams:
        _, rva = streams[STREAM_MEMORY64]
        n, data_rva = dump.unpack("<QQ", rva)
        for i in range(n):
            start, size = dump.unpack("<QQ", rva + 16 + 16 * i)
            ranges.append((start, size, data_rva))
            data_rva += size
    for start, size, data_rva in ranges:
        out.append(fmt_line("range", start, size, data_rva))

    def memory_at(address, size):
        for start, length, data_rva in ranges:
            if start <= address and address + size <= start + length:
                offset = data_rva + address - start
                if dump.fits(offset, size):
                    return dump.data[offset:offset + size]
        return None

    # Instruction, stack and frame pointer as winnt.h places them in each CONTEXT.
    layouts = {ARCH_AMD64: ("<Q", 0xF8, 0x98, 0xA0), ARCH_X86: ("<I", 0xB8, 0xC4, 0xB4)}
    if architecture in layouts:
        word, ip_at, sp_at, fp_at = layouts[architecture]
        width = struct.calcsize(word)
        for owner, csize, crva in contexts:
            if csize < max(ip_at, sp_at, fp_at) + width:
                continue
            ip = dump.unpack(word, crva + ip_at)[0]
            sp = dump.unpack(word, crva + sp_at)[0]
            fp = dump.unpack(word, crva + fp_at)[0]
            out.append(fmt_line("context", owner, ip, sp, fp))
            for n in (64, 16, 1):
                found = memory_at(sp, n)
                if found is not None:
                    out.append(fmt_line("memory", owner, sp, found.hex()))
                    break

    sys.stdout.write("".join(line + "\n" for line in out))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
