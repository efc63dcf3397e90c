// Reads the end record at the very end (no comment), then the central directory, then each
// local header and its data.
#include "support/zip_reader.h"

namespace veltrano::testing {
namespace {

struct Cursor {
    const std::vector<uint8_t>& bytes;
    size_t at;
    bool ok = true;
    uint32_t Take(int size) {
        if (at + static_cast<size_t>(size) > bytes.size()) {
            ok = false;
            return 0;
        }
        const uint32_t value = ReadLe(bytes, at, size);
        at += static_cast<size_t>(size);
        return value;
    }
    std::vector<uint8_t> Bytes(size_t size) {
        if (at + size > bytes.size()) {
            ok = false;
            return {};
        }
        std::vector<uint8_t> out(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                 bytes.begin() + static_cast<std::ptrdiff_t>(at + size));
        at += size;
        return out;
    }
};

// The fields local and central headers share, from "version needed" to the extra length.
void TakeSharedFields(Cursor& c, ZipHeaderFields& h, size_t& nameLength, size_t& extraLength) {
    h.versionNeeded = static_cast<uint16_t>(c.Take(2));
    h.flags = static_cast<uint16_t>(c.Take(2));
    h.method = static_cast<uint16_t>(c.Take(2));
    h.dosTime = static_cast<uint16_t>(c.Take(2));
    h.dosDate = static_cast<uint16_t>(c.Take(2));
    h.crc = c.Take(4);
    h.compressedSize = c.Take(4);
    h.uncompressedSize = c.Take(4);
    nameLength = c.Take(2);
    extraLength = c.Take(2);
}

void TakeNameAndExtra(Cursor& c, ZipHeaderFields& h, size_t nameLength, size_t extraLength) {
    const auto name = c.Bytes(nameLength);
    h.name.assign(name.begin(), name.end());
    h.extra = c.Bytes(extraLength);
}

}  // namespace

uint32_t ReadLe(const std::vector<uint8_t>& bytes, size_t at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | bytes.at(at + static_cast<size_t>(i));
    return value;
}

ZipContents ReadZip(const std::vector<uint8_t>& archive) {
    ZipContents zip;
    if (archive.size() < 22)
        return zip;
    Cursor end{archive, archive.size() - 22};
    if (end.Take(4) != 0x06054B50 || end.Take(2) != 0 || end.Take(2) != 0)
        return zip;
    zip.diskEntries = static_cast<uint16_t>(end.Take(2));
    zip.totalEntries = static_cast<uint16_t>(end.Take(2));
    zip.directorySize = end.Take(4);
    zip.directoryOffset = end.Take(4);
    if (end.Take(2) != 0)
        return zip;
    if (static_cast<size_t>(zip.directoryOffset) + zip.directorySize != archive.size() - 22) {
        return zip;
    }

    Cursor c{archive, zip.directoryOffset};
    for (int i = 0; i < zip.totalEntries; ++i) {
        ZipEntryRecord e;
        if (c.Take(4) != 0x02014B50)
            return zip;
        e.versionMadeBy = static_cast<uint16_t>(c.Take(2));
        size_t nameLength = 0, extraLength = 0;
        TakeSharedFields(c, e.central, nameLength, extraLength);
        e.commentLength = static_cast<uint16_t>(c.Take(2));
        e.diskStart = static_cast<uint16_t>(c.Take(2));
        e.internalAttributes = static_cast<uint16_t>(c.Take(2));
        e.externalAttributes = c.Take(4);
        e.localHeaderOffset = c.Take(4);
        TakeNameAndExtra(c, e.central, nameLength, extraLength);
        c.Bytes(e.commentLength);
        if (!c.ok)
            return zip;

        Cursor l{archive, e.localHeaderOffset};
        if (l.Take(4) != 0x04034B50)
            return zip;
        TakeSharedFields(l, e.local, nameLength, extraLength);
        TakeNameAndExtra(l, e.local, nameLength, extraLength);
        e.data = l.Bytes(e.central.compressedSize);
        if (!l.ok)
            return zip;
        zip.entries.push_back(std::move(e));
    }
    zip.ok = c.at == zip.directoryOffset + zip.directorySize;
    return zip;
}

}  // namespace veltrano::testing
