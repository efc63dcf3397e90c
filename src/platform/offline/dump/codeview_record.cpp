// The CodeView records that name a module's program database: "RSDS" (PDB 7.0, by GUID and age)
// and "NB10" (PDB 2.0, by time stamp and age), each followed by the PDB's name with a zero after
// it. The names are UTF-8 in RSDS records; NB10 ones are taken the same way (in practice ASCII).
#include "platform/offline/dump/dump_streams.h"

#include <algorithm>

#include "platform/offline/dump/minidump_format.h"

namespace veltrano::dump {
namespace {

// A record is a few words and a path; anything larger is not one.
constexpr uint32_t kMaxRecordSize = 4096;

Text NameFrom(ByteView record, size_t offset) {
    const ByteView name = record.From(offset);
    const auto end = std::find(name.data(), name.data() + name.size(), uint8_t{0});
    return Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(name.data()),
                                        static_cast<size_t>(end - name.data())));
}

}  // namespace

DumpCodeView ReadCodeView(DumpFile& file, DumpLocation location, MinidumpFacts& facts) {
    DumpCodeView cv;
    if (location.size == 0)
        return cv;
    if (location.size > kMaxRecordSize) {
        NoteProblem(facts, "a module's CodeView record is too large");
        return cv;
    }
    const auto bytes = file.Read(location.rva, location.size);
    if (!bytes) {
        NoteProblem(facts, "a module's CodeView record runs past the end of the file");
        return cv;
    }
    const ByteView record(bytes->data(), bytes->size());
    if (record.Matches(0, kCvPdb70Magic) && record.Has(0, kCvPdb70Name)) {
        cv.kind = DumpCodeView::Kind::Pdb70;
        std::copy_n(record.data() + kCvPdb70Guid, cv.guid.size(), cv.guid.begin());
        cv.age = record.U32(kCvPdb70Age);
        cv.pdbName = NameFrom(record, kCvPdb70Name);
    } else if (record.Matches(0, kCvPdb20Magic) && record.Has(0, kCvPdb20Name)) {
        cv.kind = DumpCodeView::Kind::Pdb20;
        cv.signature = record.U32(kCvPdb20TimeStamp);
        cv.age = record.U32(kCvPdb20Age);
        cv.pdbName = NameFrom(record, kCvPdb20Name);
    }
    return cv;
}

}  // namespace veltrano::dump
