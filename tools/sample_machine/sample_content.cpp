// The sample machine assembled from its parts.
#include "sample_machine/sample_content.h"

#include <algorithm>
#include <string>

#include "sample_machine/sample_parts.h"

namespace veltrano::sample {

FileTime Composer::At(Ago ago) const {
    const int64_t seconds =
        ((static_cast<int64_t>(ago.days) * 24 + ago.hours) * 60 + ago.minutes) * 60 + ago.seconds;
    return machine_.now - static_cast<FileTime>(seconds) * kTicksPerSecond;
}

uint64_t StableNumber(std::string_view key) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (const char c : key) {
        hash ^= static_cast<uint8_t>(c);
        hash *= 0x100000001b3ull;
    }
    // One more round spreads short keys over all the digits.
    hash ^= hash >> 29;
    hash *= 0xbf58476d1ce4e5b9ull;
    return hash ^ (hash >> 32);
}

Text HexDigits(uint64_t value, int digits) {
    static constexpr char16_t kHex[] = u"0123456789abcdef";
    Text text(static_cast<size_t>(digits), u'0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4)
        text[static_cast<size_t>(i)] = kHex[value & 0xF];
    return text;
}

Text StableGuid(std::string_view key) {
    const uint64_t a = StableNumber(key);
    const uint64_t b = StableNumber(std::string(key) + "#");
    return HexDigits(a >> 32, 8) + u"-" + HexDigits(a >> 16, 4) + u"-4" + HexDigits(a, 3) + u"-" +
           HexDigits(8 | (b >> 60 & 3), 1) + HexDigits(b >> 48, 3) + u"-" + HexDigits(b, 12);
}

Text UserSid(size_t user) {
    return u"S-1-5-21-3623811015-3361044348-30300820-" + UnsignedText(1001 + user);
}

namespace {

// A seeded machine keeps about three in four of the distinct errors and, of those, about four in
// five occurrences, so that machines of one fleet share some errors and differ in others.
bool KeptBySeed(const SampleEvent& e, uint64_t seed) {
    if (seed == 0 || e.level > kError)
        return true;
    std::string identity = std::to_string(seed) + "|" + Utf16ToUtf8(e.log) + "|" +
                           Utf16ToUtf8(e.provider) + "|" + std::to_string(e.eventId);
    if (!e.strings.empty())
        identity += "|" + Utf16ToUtf8(e.strings.front());
    if (StableNumber(identity) % 4 == 0)
        return false;
    return StableNumber(identity + "|" + std::to_string(e.time)) % 5 != 0;
}

}  // namespace

SampleMachine DescribeSampleMachine(FileTime now, const SampleVariant& variant) {
    Composer composer(now);
    SampleMachine& m = composer.machine();
    m.computer = variant.computer;
    m.users = {u"anna", u"jonas"};
    AddIncidents(composer);
    AddServiceAndDeviceErrors(composer);
    AddRoutineRecords(composer);
    AddRegistrations(composer);
    AddManifestProviders(composer);
    std::erase_if(m.events, [&](const SampleEvent& e) { return !KeptBySeed(e, variant.seed); });
    std::stable_sort(m.events.begin(), m.events.end(),
                     [](const SampleEvent& a, const SampleEvent& b) { return a.time < b.time; });
    return m;
}

}  // namespace veltrano::sample
