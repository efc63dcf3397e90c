// Telling why a message text is missing.
#include "drive/missing_texts.h"

#include <algorithm>

#include "engine/message_texts.h"

namespace veltrano {
namespace {

TextPath FromQuery(manifest::QueryOutcome outcome) {
    switch (outcome) {
        case manifest::QueryOutcome::Resolved:
            return TextPath::Manifest;
        case manifest::QueryOutcome::FilesMissing:
            return TextPath::FilesMissing;
        case manifest::QueryOutcome::NoMessage:
            return TextPath::NoMessage;
        case manifest::QueryOutcome::FormattingFailed:
            return TextPath::FormattingFailed;
        case manifest::QueryOutcome::NoRecord:
        case manifest::QueryOutcome::NotRegistered:
            break;
    }
    return TextPath::NotRegistered;
}

}  // namespace

TextPath WhyNoText(Machine& machine, manifest::ManifestEventQuery* query,
                   const RecordOrigin& record, bool registryMissing) {
    const TextPath modern = query != nullptr
                                ? FromQuery(query->Query(record.log, record.recordNumber).outcome)
                                : TextPath::NotRegistered;
    if (modern == TextPath::Manifest)
        return modern;
    const TextPath classic = ClassicTextPath(machine, record.log, record.source, record.eventId);
    // The path that got furthest tells why: the paths are ordered by how far a lookup went.
    const TextPath why = std::max(classic, modern);
    // Nothing on a drive without its registry can say whether the source is registered.
    return why == TextPath::NotRegistered && registryMissing ? TextPath::NoRegistry : why;
}

void ExplainMissingTexts(ErrorCatalogue& catalogue, Machine& machine,
                         manifest::ManifestEventQuery* query, bool registryMissing) {
    for (auto& [key, entry] : catalogue.entries) {
        if (!entry.ErrorText && entry.Origin)
            entry.MissingText = WhyNoText(machine, query, *entry.Origin, registryMissing);
    }
}

}  // namespace veltrano
