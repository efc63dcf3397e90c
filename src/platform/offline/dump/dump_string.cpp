// MINIDUMP_STRING: a 32-bit byte count, then that many bytes of UTF-16LE (a terminator follows,
// not counted).
#include "platform/offline/dump/dump_streams.h"

#include "platform/offline/dump/minidump_format.h"

namespace veltrano::dump {
namespace {

// Names are paths and service-pack texts: Windows' paths stop at 32767 characters.
constexpr uint32_t kMaxStringBytes = 65536;

}  // namespace

std::optional<Text> ReadDumpString(DumpFile& file, uint32_t rva, const char* what,
                                   MinidumpFacts& facts) {
    if (rva == 0)
        return Text();
    const auto damaged = [&](const char* why) {
        NoteProblem(facts, std::string("the ") + what + " " + why);
        return std::nullopt;
    };
    const auto header = file.Read(rva, kStringHeaderSize);
    if (!header)
        return damaged("lies past the end of the file");
    const uint32_t length = ByteView(header->data(), header->size()).U32(0);
    if (length % 2 != 0)
        return damaged("has an odd byte count");
    if (length > kMaxStringBytes)
        return damaged("is longer than any name");
    const auto bytes = file.Read(uint64_t{rva} + kStringHeaderSize, length);
    if (!bytes)
        return damaged("runs past the end of the file");
    Text text(length / 2, u'\0');
    const ByteView units(bytes->data(), bytes->size());
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(units.U16(2 * i));
    return text;
}

}  // namespace veltrano::dump
