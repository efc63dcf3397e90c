// veltrano-sample-machine: writes the sample machine as a Windows drive.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <fstream>
#include <string>
#include <vector>

#include "base/iso_time.h"
#include "platform/host.h"
#include "sample_machine/sample_content.h"
#include "sample_machine/sample_message_dll.h"
#include "sample_machine/sample_writer.h"

namespace {

constexpr char kBuilderUsage[] =
    "Usage: veltrano-sample-machine --out DIR [--now TIME] [--describe FILE] [--computer NAME]\n"
    "                               [--seed N] [--forwarded NAME:SEED[,NAME:SEED...]]\n"
    "\n"
    "Writes the sample machine, a Windows drive with a year of event logs and error reports,\n"
    "into DIR (which stands for \"C:\\\"), with the registry entries of its event sources in\n"
    "DIR/sample.reg for importing into a Wine prefix (wine regedit /S sample.reg).\n"
    "\n"
    "  --out DIR          the folder of the drive\n"
    "  --now TIME         the current time, ISO 8601 UTC (\"2026-12-08T12:00:00Z\"); default:\n"
    "                     the clock's\n"
    "  --describe FILE    also write what the machine holds as JSON\n"
    "  --computer NAME    the computer's name (default FAMILY-PC)\n"
    "  --seed N           give the machine its own share of the family's errors (default 0:\n"
    "                     all of them)\n"
    "  --forwarded LIST   make the machine a collector: its ForwardedEvents log holds the events\n"
    "                     of the sample machines NAME with seed SEED\n";

// "NAME:SEED,NAME:SEED" as variants; empty when the text does not hold.
std::vector<veltrano::sample::SampleVariant> ParseSenders(const std::string& text) {
    std::vector<veltrano::sample::SampleVariant> senders;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find(',', start), text.size());
        const std::string item = text.substr(start, end - start);
        const size_t colon = item.rfind(':');
        if (colon == std::string::npos || colon == 0 || colon + 1 == item.size() ||
            item.size() - colon - 1 > 18 ||
            item.find_first_not_of("0123456789", colon + 1) != std::string::npos) {
            return {};
        }
        senders.push_back(
            {veltrano::Utf8ToUtf16(item.substr(0, colon)), std::stoull(item.substr(colon + 1))});
        start = end + 1;
    }
    return senders;
}

int Fail(int code, const std::string& message) {
    std::fprintf(stderr, "veltrano-sample-machine: %s\n", message.c_str());
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace veltrano;
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string out, describe;
    std::optional<FileTime> now;
    sample::SampleVariant variant;
    std::vector<sample::SampleVariant> senders;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--help" || name == "-h") {
            std::fputs(kBuilderUsage, stdout);
            return 0;
        }
        if (name != "--out" && name != "--now" && name != "--describe" && name != "--computer" &&
            name != "--seed" && name != "--forwarded")
            return Fail(2, "unknown option '" + name + "' (see --help)");
        if (i + 1 >= args.size())
            return Fail(2, "option " + name + " needs a value");
        const std::string& value = args[++i];
        if (name == "--out") {
            out = value;
        } else if (name == "--describe") {
            describe = value;
        } else if (name == "--computer") {
            variant.computer = Utf8ToUtf16(value);
        } else if (name == "--seed") {
            if (value.empty() || value.size() > 18 ||
                value.find_first_not_of("0123456789") != std::string::npos)
                return Fail(2, "--seed takes a number, not '" + value + "'");
            variant.seed = std::stoull(value);
        } else if (name == "--forwarded") {
            senders = ParseSenders(value);
            if (senders.empty())
                return Fail(2, "--forwarded takes NAME:SEED[,NAME:SEED...], not '" + value + "'");
        } else if (!(now = ParseIsoUtc(value))) {
            return Fail(2, "--now takes an ISO 8601 UTC time like 2026-12-08T12:00:00Z, not '" +
                               value + "'");
        }
    }
    if (out.empty())
        return Fail(2, "--out DIR is needed (see --help)");
    try {
        const FileTime at = now ? *now : MakeHostClock()->UtcNow();
        const sample::SampleMachine machine = sample::DescribeSampleMachine(at, variant);
        const auto dll = sample::SampleMessageDll();
        if (dll.empty())
            std::fputs(
                "veltrano-sample-machine: built without the message DLL; event texts "
                "will be missing\n",
                stderr);
        sample::WriteSampleMachine(machine, std::filesystem::u8path(out), dll);
        if (!senders.empty()) {
            std::vector<sample::SampleMachine> machines;
            for (const auto& sender : senders)
                machines.push_back(sample::DescribeSampleMachine(at, sender));
            sample::WriteForwardedLog(machines, at, std::filesystem::u8path(out));
        }
        if (!describe.empty()) {
            const std::string json = sample::SampleDescriptionJson(machine);
            std::ofstream file(std::filesystem::u8path(describe), std::ios::binary);
            file << json;
            if (!file)
                return Fail(1, "cannot write " + describe);
        }
    } catch (const std::exception& e) {
        return Fail(1, e.what());
    }
    return 0;
}
