// Telling a log file's log from its first records or its name.
#include "platform/offline/eventlog/log_channel.h"

#include <vector>

#include "platform/offline/eventlog/evtx_file.h"
#include "platform/offline/eventlog/log_file.h"

namespace veltrano::eventlog {
namespace {

// Enough chunks to step over a damaged first one; records name their channel in every chunk.
constexpr size_t kChunksRead = 8;

constexpr struct {
    const char16_t* stem;
    const char16_t* channel;
} kFileNames[] = {
    {u"Application", u"Application"}, {u"AppEvent", u"Application"},
    {u"System", u"System"},           {u"SysEvent", u"System"},
};

TextView FileName(TextView path) {
    const size_t slash = path.find_last_of(u"/\\");
    return slash == TextView::npos ? path : path.substr(slash + 1);
}

Text ChannelOfName(TextView name) {
    const size_t dot = name.rfind(u'.');
    const TextView stem = name.substr(0, dot);
    for (const auto& entry : kFileNames) {
        if (EqualsNoCase(stem, entry.stem))
            return entry.channel;
    }
    return {};
}

}  // namespace

std::optional<LogFileKind> IdentifyLogFile(FileSystem& files, TextView path) {
    auto file = files.OpenForReading(path);
    if (!file)
        return std::nullopt;
    std::vector<uint8_t> head(kEvtxFileHeaderBlock + kChunksRead * kEvtxChunkSize);
    size_t filled = 0;
    while (filled < head.size()) {
        const int64_t n = file->Read(head.data() + filled, head.size() - filled);
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        filled += static_cast<size_t>(n);
    }
    head.resize(filled);

    LogFileKind kind;
    const TextView name = FileName(path);
    const bool namedEvt = name.size() >= 4 && EqualsNoCase(name.substr(name.size() - 4), u".evt");
    kind.evtx = HasEvtxFileSignature(head) || !namedEvt;
    if (kind.evtx) {
        ForEachEvtxEvent(head, [&kind](const EvtxEventFields& fields) {
            if (kind.channel.empty())
                kind.channel = fields.channel;
        });
    }
    if (kind.channel.empty())
        kind.channel = ChannelOfName(name);
    return kind;
}

}  // namespace veltrano::eventlog
