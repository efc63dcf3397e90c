// veltrano-sample-machine: writes the sample machine as a Windows drive.
#include <cstdio>
#include <exception>
#include <fstream>
#include <string>
#include <vector>

#include "cli/options.h"
#include "platform/host.h"
#include "sample_machine/sample_content.h"
#include "sample_machine/sample_message_dll.h"
#include "sample_machine/sample_writer.h"

namespace {

constexpr char kBuilderUsage[] =
    "Usage: veltrano-sample-machine --out DIR [--now TIME] [--describe FILE]\n"
    "\n"
    "Writes the sample machine, a Windows drive with a year of event logs and error reports,\n"
    "into DIR (which stands for \"C:\\\"), with the registry entries of its event sources in\n"
    "DIR/sample.reg for importing into a Wine prefix (wine regedit /S sample.reg).\n"
    "\n"
    "  --out DIR          the folder of the drive\n"
    "  --now TIME         the current time, ISO 8601 UTC (\"2026-12-08T12:00:00Z\"); default:\n"
    "                     the clock's\n"
    "  --describe FILE    also write what the machine holds as JSON\n";

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
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--help" || name == "-h") {
            std::fputs(kBuilderUsage, stdout);
            return 0;
        }
        if (name != "--out" && name != "--now" && name != "--describe")
            return Fail(2, "unknown option '" + name + "' (see --help)");
        if (i + 1 >= args.size())
            return Fail(2, "option " + name + " needs a value");
        const std::string& value = args[++i];
        if (name == "--out") {
            out = value;
        } else if (name == "--describe") {
            describe = value;
        } else if (!(now = ParseIsoUtc(value))) {
            return Fail(2, "--now takes an ISO 8601 UTC time like 2026-12-08T12:00:00Z, not '" +
                               value + "'");
        }
    }
    if (out.empty())
        return Fail(2, "--out DIR is needed (see --help)");
    try {
        const sample::SampleMachine machine =
            sample::DescribeSampleMachine(now ? *now : MakeHostClock()->UtcNow());
        const auto dll = sample::SampleMessageDll();
        if (dll.empty())
            std::fputs(
                "veltrano-sample-machine: built without the message DLL; event texts "
                "will be missing\n",
                stderr);
        sample::WriteSampleMachine(machine, std::filesystem::u8path(out), dll);
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
