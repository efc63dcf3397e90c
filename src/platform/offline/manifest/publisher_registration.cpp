// Reading a publisher key.
#include "platform/offline/manifest/publisher_registration.h"

namespace veltrano::manifest {
namespace {

constexpr char16_t kPublishers[] =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WINEVT\\Publishers\\";
// ExpandEnvironmentStringsW's limit, as for classic message files.
constexpr size_t kExpandedPathLimit = 32767;

std::vector<Text> PathList(TextView value, Environment* environment) {
    std::vector<Text> paths;
    size_t start = 0;
    while (start <= value.size()) {
        const size_t end = std::min(value.find(u';', start), value.size());
        const Text trimmed(Trim(value.substr(start, end - start)));
        if (!trimmed.empty()) {
            Text expanded = environment != nullptr ? environment->Expand(trimmed) : trimmed;
            if (!expanded.empty() && expanded.size() <= kExpandedPathLimit)
                paths.push_back(std::move(expanded));
        }
        start = end + 1;
    }
    return paths;
}

Text WithBraces(TextView guid) {
    if (!guid.empty() && guid.front() == u'{')
        return Text(guid);
    return u"{" + Text(guid) + u"}";
}

}  // namespace

std::optional<PublisherRegistration> ReadPublisher(Registry& registry, Environment* environment,
                                                   TextView guid) {
    if (guid.empty())
        return std::nullopt;
    const Text key = kPublishers + WithBraces(guid);
    PublisherRegistration p;
    p.name = registry.ReadMachineString(key, u"");
    p.resourceFiles = PathList(registry.ReadMachineString(key, u"ResourceFileName"), environment);
    p.messageFiles = PathList(registry.ReadMachineString(key, u"MessageFileName"), environment);
    p.parameterFiles = PathList(registry.ReadMachineString(key, u"ParameterFileName"), environment);
    if (p.name.empty() && p.resourceFiles.empty() && p.messageFiles.empty())
        return std::nullopt;
    return p;
}

}  // namespace veltrano::manifest
