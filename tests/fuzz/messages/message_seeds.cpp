// Writes seeds for format_message_fuzzer: every message text of the given message files (our
// compiled message files, the system's), followed by a few insert strings, in the fuzzer's input
// layout (UTF-16LE, parts separated by a zero unit), and a few texts with every kind of marker.
#include <cstdio>
#include <fstream>
#include <set>
#include <string>

#include "../seed_file.h"
#include "base/byte_store.h"
#include "platform/offline/messages/message_table.h"

namespace {
using namespace veltrano;

// Each kind of marker the formatter knows, a few of them damaged.
const Text kMarkerTexts[] = {
    u"%1!-20s! did %2!d! things (%3!04x!, %4!*.*s!, %5!c!, %6!I64u!).%n%r%t%%%.%!%0 after",
    u"Insert %100, %99 and %1 %2 %3 %4 %5 %6 %7 %8 %9 %10%",
    u"%1!.2ls! %2!ws! %3!hs! %4!S! %5!lc! %6!+ #5d! %7!",
    u"Line one\r\nLine two\nLine three\r%n%%%%1",
};

std::vector<uint8_t> SeedBytes(TextView message) {
    std::vector<uint8_t> bytes;
    AppendUtf16Le(bytes, message);
    for (const TextView insert : {u"1", u"two", u"%1", u"", u"12", u"-3", u"%%1053"}) {
        AppendLe16(bytes, 0);
        AppendUtf16Le(bytes, insert);
    }
    return bytes;
}

std::vector<uint8_t> ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: message_seeds <folder> [message file ...]\n");
        return 2;
    }
    std::set<Text> texts(std::begin(kMarkerTexts), std::end(kMarkerTexts));
    for (int i = 2; i < argc; ++i) {
        const std::vector<uint8_t> image = ReadFile(argv[i]);
        const auto table = ChooseMessageTable(ByteView(image.data(), image.size()));
        if (!table)
            continue;
        for (const uint32_t id : table->Ids()) {
            if (auto text = table->Find(id))
                texts.insert(*text);
        }
    }
    int n = 0;
    for (const Text& text : texts) {
        fuzz::SaveSeed(std::string(argv[1]) + "/message" + std::to_string(n++), SeedBytes(text));
    }
    std::printf("%d message seeds\n", n);
    return 0;
}
