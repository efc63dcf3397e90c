// Splitting a collector's log: the log's stream hands on its records newest first, and each
// Application or System error goes into its sender's catalogue through the catalogue fill.
#include "fleet/forwarded_events.h"

#include <vector>

#include "engine/catalogue_fill.h"
#include "base/host_path.h"
#include "engine/event_record.h"
#include "platform/host.h"
#include "platform/offline/eventlog/classic_record.h"
#include "platform/offline/eventlog/evtx_stream.h"

namespace veltrano {
namespace {

using namespace eventlog;

constexpr char16_t kApplication[] = u"Application";
constexpr char16_t kSystem[] = u"System";

// The senders' catalogues, each filled as a log of its own.
class SenderCatalogues {
  public:
    SenderCatalogues(Machine& ports, ForwardedMachines& out) : ports_(ports), out_(out) {}

    void Take(const EvtxGroup& group) {
        // A group is in file order; newest first is backwards.
        for (auto it = group.events.rbegin(); it != group.events.rend(); ++it) {
            const EvtxEventFields& fields = *it;
            // Every sender is a machine of the run, those without an error too.
            Sender& sender = SenderOf(fields.computer);
            const bool system = EqualsNoCase(fields.channel, kSystem);
            if (!system && !EqualsNoCase(fields.channel, kApplication)) {
                ++out_.skippedByLog[fields.channel];
                continue;
            }
            if (EventTypeOfLevel(fields.level) != eventlog::kEventTypeError)
                continue;  // the record rules take errors only: no need to lay the rest out
            record_.clear();
            AppendClassicRecord(record_, ToClassicEvent(fields));
            const EventRecordView view(record_.data(), static_cast<uint32_t>(record_.size()));
            sender.fill->Add(view, system ? kSystem : kApplication);
        }
        out_.records += group.events.size();
        out_.damagedRecords += group.undecoded;
        out_.damagedChunks += group.damage.chunks;
    }

    void Finish() {
        for (auto& [computer, sender] : senders_) {
            sender.fill->Finish();
            sender.catalogue->MaxAgeDays = sender.fill->OldestErrorDays();
            out_.catalogues.emplace(computer, std::move(sender.catalogue));
        }
    }

  private:
    struct Sender {
        std::unique_ptr<ErrorCatalogue> catalogue;
        std::unique_ptr<CatalogueFill> fill;
    };

    Sender& SenderOf(const Text& computer) {
        // Records of one sender come in runs: the last one found is asked first.
        if (last_ != nullptr && lastName_ == computer)
            return *last_;
        const Text& name = computer.empty() ? unknown_ : computer;
        auto [it, added] = senders_.try_emplace(name);
        lastName_ = computer;
        last_ = &it->second;
        if (added) {
            Sender& s = it->second;
            s.catalogue = std::make_unique<ErrorCatalogue>();
            PrepareCatalogue(*s.catalogue, *ports_.clock);
            // Each record comes once: the numbers are the collector's, not the sender's.
            s.fill = std::make_unique<CatalogueFill>(*s.catalogue, ports_,
                                                     CatalogueFill::Noting::None);
        }
        return it->second;
    }

    Machine& ports_;
    ForwardedMachines& out_;
    std::map<Text, Sender> senders_;
    Sender* last_ = nullptr;  // and the name it was asked by
    Text lastName_;
    std::vector<uint8_t> record_;
    const Text unknown_ = kUnknownComputer;
};

}  // namespace

std::optional<ForwardedMachines> SplitForwardedEvents(FileSystem& files, TextView log,
                                                      Machine& ports, int threads) {
    auto stream = EvtxStream::Open(files, log, threads);
    if (!stream)
        return std::nullopt;
    ForwardedMachines out;
    SenderCatalogues senders(ports, out);
    EvtxGroup group;
    while (stream->Next(group)) {
        senders.Take(group);
        stream->Recycle(std::move(group.events));
    }
    senders.Finish();
    return out;
}

std::optional<ForwardedMachines> SplitForwardedEvents(const std::filesystem::path& log,
                                                      Machine& ports, int threads) {
    const auto host = MakeHostFileSystem();
    return SplitForwardedEvents(*host, Utf8PathToUtf16(PathUtf8(log)), ports, threads);
}

}  // namespace veltrano
