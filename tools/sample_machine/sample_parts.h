// What the parts of the sample machine share while they describe it: times relative to "now",
// stable pseudo-random numbers and identifiers, and the records collected so far.
#pragma once

#include <string_view>

#include "sample_machine/sample_content.h"

namespace veltrano::sample {

// A time before now.
struct Ago {
    int days = 0;
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
};

class Composer {
  public:
    explicit Composer(FileTime now) { machine_.now = now; }
    FileTime At(Ago ago) const;
    SampleMachine& machine() { return machine_; }
    void Add(SampleEvent event) { machine_.events.push_back(std::move(event)); }

  private:
    SampleMachine machine_;
};

inline constexpr int64_t kSecond = 10'000'000;

// The same key always gives the same number (FNV-1a): identifiers, process ids and offsets
// look random but do not change from one build of the sample to the next.
uint64_t StableNumber(std::string_view key);
Text HexDigits(uint64_t value, int digits);
// A version-4 style GUID in lower case, without braces.
Text StableGuid(std::string_view key);

// Each part adds its records.
void AddIncidents(Composer& composer);
void AddServiceAndDeviceErrors(Composer& composer);
void AddRoutineRecords(Composer& composer);
void AddRegistrations(Composer& composer);
void AddManifestProviders(Composer& composer);

inline constexpr char16_t kScm[] = u"Service Control Manager";

// Event levels, and the qualifiers the event log service gives its own records.
inline constexpr uint8_t kCritical = 1;
inline constexpr uint8_t kError = 2;
inline constexpr uint8_t kWarning = 3;
inline constexpr uint8_t kInformation = 4;
inline constexpr uint16_t kEventLogQualifiers = 0x8000;

}  // namespace veltrano::sample
