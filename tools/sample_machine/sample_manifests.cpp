// The manifest-based providers of the sample machine, with messages of our own: a boot component
// whose messages come in German and in English (the install language), the update client (English
// only, one event its manifest does not define, a "%%n" parameter), an app runtime whose files
// exist only as a .mun under SystemResources, a transfer service whose messages were installed
// only in French, and the licensing service registered without any of its files on the drive.
#include "sample_machine/sample_parts.h"

namespace veltrano::sample {
namespace {

constexpr uint16_t kGerman = 0x0407;
constexpr uint16_t kEnglish = 0x0409;
constexpr uint16_t kFrench = 0x040C;

struct Occurrence {
    uint16_t id;
    uint8_t version;
    std::vector<Text> strings;
    Ago ago;
};

struct ProviderErrors {
    const char16_t* log;
    std::vector<Occurrence> errors;
};

Text Mui(TextView binary, TextView culture) {
    const size_t slash = binary.rfind(u'\\');
    return Text(binary.substr(0, slash + 1)) + Text(culture) + u"\\" +
           Text(binary.substr(slash + 1)) + u".mui";
}

Text Mun(TextView binary) {
    return u"Windows\\SystemResources\\" + Text(binary.substr(binary.rfind(u'\\') + 1)) + u".mun";
}

// A provider registered with its binary in System32, under a GUID that stays the same.
SampleManifestProvider Provider(const char* key, TextView name, TextView file,
                                std::vector<SampleManifestEvent> events) {
    return {u"{" + StableGuid(key) + u"}",
            Text(name),
            u"%SystemRoot%\\System32\\" + Text(file),
            std::move(events),
            {}};
}

// Its binary's path below "C:\".
Text Binary(const SampleManifestProvider& p) {
    return u"Windows\\System32\\" + p.binary.substr(p.binary.rfind(u'\\') + 1);
}

void Add(Composer& composer, SampleManifestProvider provider, const ProviderErrors& errors) {
    for (const Occurrence& o : errors.errors) {
        SampleEvent e;
        e.log = errors.log;
        e.provider = provider.name;
        e.providerGuid = provider.guid;
        e.version = o.version;
        e.eventId = o.id;
        e.level = kError;
        e.time = composer.At(o.ago);
        e.strings = o.strings;
        composer.Add(std::move(e));
    }
    composer.machine().manifestProviders.push_back(std::move(provider));
}

}  // namespace

void AddManifestProviders(Composer& composer) {
    {
        SampleManifestProvider p =
            Provider("Kernel-Boot", u"Microsoft-Windows-Kernel-Boot", u"bootux-events.dll",
                     {{29, 0, 0xB000001D, {u"FailureStatus", u"FailureReason"}}});
        const Text binary = Binary(p);
        p.files.push_back({binary, true, 0, {}});
        p.files.push_back({Mui(binary, u"en-US"),
                           false,
                           kEnglish,
                           {{0xB000001D,
                             u"Windows failed fast startup with error status %1 "
                             u"(reason %2).\r\n"}}});
        p.files.push_back({Mui(binary, u"de-DE"),
                           false,
                           kGerman,
                           {{0xB000001D,
                             u"Fehler beim schnellen Start von Windows: Status %1 "
                             u"(Grund %2).\r\n"}}});
        Add(composer, std::move(p),
            {u"System",
             {{29, 0, {u"0xC00000D4", u"3"}, {5, 7, 40}},
              {29, 0, {u"0xC0000001", u"1"}, {44, 8, 3}}}});
    }
    {
        SampleManifestProvider p = Provider(
            "WindowsUpdateClient", u"Microsoft-Windows-WindowsUpdateClient", u"wuclient-events.dll",
            {{20,
              1,
              0x30010014,
              {u"errorCode", u"updateTitle", u"updateGuid", u"updateRevisionNumber"}},
             {31, 0, 0x3000001F, {u"reason"}}});
        const Text binary = Binary(p);
        p.files.push_back({binary, true, 0, {}});
        p.files.push_back(
            {Mui(binary, u"en-US"),
             false,
             kEnglish,
             {{0x3000001F, u"Windows Update could not check for updates: %1\r\n"},
              {0x30010014,
               u"Installation Failure: Windows failed to install the following update "
               u"with error %1: %2.\r\n"},
              {0x80070002, u"The system cannot find the file specified.\r\n"}}});
        const Text kb = u"2026-11 Cumulative Update for Windows 10 Version 22H2 (KB5046613)";
        const Text update = u"{" + StableGuid("KB5046613") + u"}";
        Add(composer, std::move(p),
            {u"System",
             {{20, 1, {u"0x80073712", kb, update, u"1"}, {2, 3, 12}},
              {20, 1, {u"0x800f0922", kb, update, u"1"}, {9, 3, 5}},
              {31, 0, {u"%%2147942402"}, {12, 10, 20}},
              {25, 0, {u"0x8024402c"}, {36, 3, 15}}}});
    }
    {
        SampleManifestProvider p = Provider(
            "AppModel-Runtime", u"Microsoft-Windows-AppModel-Runtime", u"AppModelRuntime.dll",
            {{69, 0, 0xB0000045, {u"Activation", u"Package", u"ErrorCode"}}});
        p.files.push_back(
            {Mun(Binary(p)),
             true,
             kEnglish,
             {{0xB0000045, u"Failed to create the %1 activation for %2 with error %3.\r\n"}}});
        const Text package = u"Lumen.MediaPlayer_2.4.0.0_x64__8wekyb3d8bbwe";
        Add(composer, std::move(p),
            {u"Application", {{69, 0, {u"Windows.Launch", package, u"0x80070005"}, {5, 19, 2}}}});
    }
    {
        SampleManifestProvider p =
            Provider("Bits-Client", u"Microsoft-Windows-Bits-Client", u"bits-events.dll",
                     {{16392, 0, 0xB0004008, {u"name", u"url", u"hr"}}});
        const Text binary = Binary(p);
        p.files.push_back({binary, true, 0, {}});
        p.files.push_back({Mui(binary, u"fr-FR"),
                           false,
                           kFrench,
                           {{0xB0004008, u"Le transfert BITS %1 depuis %2 a échoué : %3.\r\n"}}});
        const Text url = u"https://cdn.starforge.example/p/41.bin";
        Add(composer, std::move(p),
            {u"System", {{16392, 0, {u"Starforge patch", url, u"0x80200013"}, {17, 21, 4}}}});
    }
    {
        // Registered, but none of its files are on the drive.
        SampleManifestProvider p =
            Provider("Security-SPP", u"Microsoft-Windows-Security-SPP", u"sppwinob.dll",
                     {{8198, 0, 0xC0002006, {u"hr", u"detail"}}});
        const std::vector<Text> failure = {u"hr=0x8007232B",
                                           u"RuleId=31e71c49-8da7-4a2f-ad92-45d98a1c79ba"};
        Add(composer, std::move(p),
            {u"Application", {{8198, 0, failure, {4, 2, 0}}, {8198, 0, failure, {11, 2, 0}}}});
    }
}

}  // namespace veltrano::sample
