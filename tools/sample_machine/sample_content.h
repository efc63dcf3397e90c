// The sample machine: a family computer ("FAMILY-PC", users anna and jonas) with a year of event
// logs and error reports, described as plain records relative to a given "now". The builder
// writes these records as files; the tests derive what the program must find from the same
// records.
#pragma once

#include <map>
#include <optional>
#include <vector>

#include "base/filetime.h"
#include "base/text.h"

namespace veltrano::sample {

struct SampleEvent {
    Text log;  // "Application" or "System"
    Text provider;
    std::optional<Text> eventSourceName;  // the classic source name, when not the provider's
    uint16_t eventId = 0;
    std::optional<uint16_t> qualifiers;
    uint8_t level = 4;  // 1 critical, 2 error, 3 warning, 4 information
    uint16_t task = 0;
    FileTime time = 0;
    std::vector<Text> strings;
    std::optional<Text> providerGuid = std::nullopt;  // "{...}" for a manifest-based provider
    uint8_t version = 0;  // of the event's definition in that provider's manifest
};

// One report file of Windows Error Reporting.
struct SampleReport {
    Text archive;       // the report archive folder, a path below "C:\"
    Text folder;        // the report's folder in the archive
    FileTime time = 0;  // EventTime; the file was written a few seconds later
    Text text;          // the whole file, without its byte-order mark
};

// A source whose messages the machine's registry names.
struct SampleSource {
    Text log;
    Text source;
    Text messageFile;   // EventMessageFile; empty when the source names a publisher instead
    Text providerGuid;  // set for sources registered through their publisher
};

struct SamplePublisher {
    Text guid;
    Text name;
    Text messageFile;
};

// A file of a manifest-based provider as the drive holds it: the provider's binary (with its
// manifest), a language resource file (.mui) or a .mun.
struct SampleProviderFile {
    Text path;                          // below "C:\"
    bool manifest = false;              // holds the provider's WEVT_TEMPLATE
    uint16_t language = 0;              // of its message table; 0 for a file without one
    std::map<uint32_t, Text> messages;  // as the table stores them, line ends included
};

struct SampleManifestEvent {
    uint16_t id = 0;
    uint8_t version = 0;
    uint32_t messageId = 0;
    std::vector<Text> items;  // the names of the template's data items
};

// A provider registered under WINEVT\Publishers: its binary is its resource, message and
// parameter file.
struct SampleManifestProvider {
    Text guid;  // "{...}"
    Text name;
    Text binary;  // as registered ("%SystemRoot%\System32\...")
    std::vector<SampleManifestEvent> events;
    std::vector<SampleProviderFile> files;  // what of it is on the drive
};

struct SampleMachine {
    FileTime now = 0;
    Text computer;
    std::vector<Text> users;
    std::vector<SampleEvent> events;  // oldest first, both logs
    std::vector<SampleReport> reports;
    std::vector<SampleSource> sources;
    std::vector<SamplePublisher> publishers;
    std::vector<SampleManifestProvider> manifestProviders;
    // Control\Nls\Language as Wine's prefixes have it too, so that the window under Wine and
    // veltrano-scan on the drive see one machine.
    Text installLanguage = u"0409";
};

// The message file every registered source of the sample names, below "C:\".
inline constexpr char16_t kSampleMessageDll[] = u"Windows\\System32\\SampleEventMessages.dll";

// Which of the family's computers: its name, and a seed that picks its own share of the errors
// (0: every error the family computer has).
struct SampleVariant {
    Text computer = u"FAMILY-PC";
    uint64_t seed = 0;
};

// The machine as it stands at now; the same now and variant give the same machine.
SampleMachine DescribeSampleMachine(FileTime now, const SampleVariant& variant = {});

// The security identifier of the machine's user with that index in SampleMachine::users.
Text UserSid(size_t user);

}  // namespace veltrano::sample
