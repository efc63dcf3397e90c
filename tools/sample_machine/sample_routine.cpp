// The everyday records of the sample machine over a year and a month: starts and shutdowns with
// their information records, the DCOM permission error Windows logs at every start, and the
// occasional warning. The program skips information and warnings; they make the logs look like
// a real machine's and give the reader long stretches of records that are not errors.
#include <string>

#include "sample_machine/sample_parts.h"

namespace veltrano::sample {
namespace {

constexpr int kDays = 400;
constexpr uint16_t kServiceInformation = 0x4000;

struct Session {
    FileTime start = 0;
    FileTime end = 0;  // 0: still running, or the power went
    size_t user = 0;   // index in SampleMachine::users
    uint64_t luck = 0;
};

SampleEvent Info(const char16_t* log, const char16_t* provider, uint16_t id,
                 std::optional<uint16_t> qualifiers, FileTime time, std::vector<Text> strings) {
    return {log, provider, std::nullopt, id, qualifiers, kInformation, 0, time, std::move(strings)};
}

void AddStart(Composer& composer, const Session& s) {
    const FileTime t = s.start;
    composer.Add(
        Info(u"System", u"Microsoft-Windows-Kernel-General", 12, std::nullopt, t,
             {u"10", u"0", u"19045", u"3636", u"0", u"0", HexDigits(t - 3 * kTicksPerSecond, 16)}));
    composer.Add(
        Info(u"System", u"EventLog", 6005, kEventLogQualifiers, t + 21 * kTicksPerSecond, {}));
    for (const auto& [service, delay] :
         {std::pair{u"Windows Update", 84},
          std::pair{u"Background Intelligent Transfer Service", 97}}) {
        SampleEvent e = Info(u"System", kScm, 7036, kServiceInformation,
                             t + delay * kTicksPerSecond, {service, u"running"});
        e.eventSourceName = Text(kScm);
        composer.Add(std::move(e));
    }
    SampleEvent dcom{
        u"System",
        u"Microsoft-Windows-DistributedCOM",
        Text(u"DCOM"),
        10016,
        0,
        kError,
        0,
        t + 131 * kTicksPerSecond,
        {u"application-specific", u"Local", u"Activation",
         u"{2593F8B9-4EAF-457C-B68A-50F6B8EA6B54}", u"{15C20B67-12E7-4BB6-92BB-7AFF07997402}",
         composer.machine().computer, composer.machine().users[s.user], UserSid(s.user),
         u"LocalHost (Using LRPC)", u"Unavailable", u"Unavailable"}};
    composer.Add(std::move(dcom));
    composer.Add(Info(u"Application", u"Microsoft-Windows-User Profiles Service", 1531,
                      std::nullopt, t + 35 * kTicksPerSecond, {}));
    SampleEvent spp = Info(u"Application", u"Microsoft-Windows-Security-SPP", 16384, 0x4000,
                           t + 312 * kTicksPerSecond, {u"2125-01-01T00:00:00Z", u"RulesEngine"});
    spp.eventSourceName = Text(u"Software Protection Platform Service");
    composer.Add(std::move(spp));
    if (s.luck % 7 == 0) {
        composer.Add({u"System",
                      u"Microsoft-Windows-DNS-Client",
                      std::nullopt,
                      1014,
                      std::nullopt,
                      kWarning,
                      1014,
                      t + 75 * kTicksPerSecond,
                      {u"telemetry.lumen-apps.com", u"", u"", u"", u"", u"", u""}});
    }
    if (s.luck % 5 == 1) {
        composer.Add({u"Application",
                      u"Microsoft-Windows-Winlogon",
                      std::nullopt,
                      6000,
                      std::nullopt,
                      kWarning,
                      0,
                      t + 44 * kTicksPerSecond,
                      {u"SessionEnv"}});
    }
}

void AddEnd(Composer& composer, const Session& s) {
    composer.Add(Info(u"System", u"EventLog", 6006, kEventLogQualifiers, s.end, {}));
    composer.Add(Info(u"System", u"Microsoft-Windows-Kernel-General", 13, std::nullopt,
                      s.end + 2 * kTicksPerSecond, {}));
}

// Programs installed and updated over the year.
void AddInstallations(Composer& composer) {
    const std::pair<const char16_t*, Ago> kInstalled[] = {
        {u"Tessera Office", {388, 5, 0}},     {u"Lumen Photo Editor", {352, 6, 0}},
        {u"Starforge Launcher", {301, 3, 0}}, {u"Scribe Notes", {180, 2, 0}},
        {u"Lumen Photo Editor", {97, 4, 0}},  {u"Quillmail", {66, 1, 0}},
    };
    for (const auto& [product, ago] : kInstalled) {
        composer.Add(Info(u"Application", u"MsiInstaller", 11707, 0, composer.At(ago),
                          {u"Product: " + Text(product) +
                           u" -- Installation operation completed successfully."}));
    }
}

}  // namespace

void AddRoutineRecords(Composer& composer) {
    std::vector<Session> sessions;
    for (int day = kDays; day >= 0; --day) {
        const uint64_t luck = StableNumber("day/" + std::to_string(day));
        if (day > 0 && luck % 5 >= 3)
            continue;  // nobody used the computer that day
        Session s;
        s.luck = luck;
        s.start = composer.At({day, 14 + static_cast<int>(luck % 9), static_cast<int>(luck % 53)});
        s.user = luck % 3 == 0 ? 1 : 0;  // jonas plays now and then; anna is on most days
        const FileTime end = s.start + (2 + luck % 10) * 3600 * kTicksPerSecond;
        if (end < composer.machine().now)
            s.end = end;
        if (!sessions.empty() && sessions.back().end > s.start)
            sessions.back().end = 0;
        sessions.push_back(s);
    }
    for (const Session& s : sessions) {
        AddStart(composer, s);
        if (s.end != 0)
            AddEnd(composer, s);
    }
    AddInstallations(composer);
}

}  // namespace veltrano::sample
