// Helpers over the files port.
#include "platform/files.h"

namespace veltrano {

size_t FileNameStart(TextView path) {
    const size_t slash = path.find_last_of(u"\\/");
    return slash == TextView::npos ? 0 : slash + 1;
}

Text PathKey(TextView path) {
    Text key(path);
    for (char16_t& c : key)
        c = c == u'/' ? u'\\' : FoldCase(c);
    return key;
}

std::optional<std::vector<uint8_t>> ReadWholeFile(FileSystem& files, TextView path,
                                                  uint64_t maxSize) {
    auto file = files.OpenForReading(path);
    if (!file)
        return std::nullopt;
    std::vector<uint8_t> content;
    uint8_t chunk[65536];
    for (;;) {
        const int64_t n = file->Read(chunk, sizeof chunk);
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        if (static_cast<uint64_t>(n) > maxSize - content.size())
            return std::nullopt;
        content.insert(content.end(), chunk, chunk + n);
    }
    return content;
}

}  // namespace veltrano
