// A provider's registration in the analysed drive's SOFTWARE hive:
// Microsoft\Windows\CurrentVersion\WINEVT\Publishers\{GUID} with its name (the key's default
// value) and its ResourceFileName, MessageFileName and ParameterFileName, each a ";"-separated
// list of paths whose variables are expanded against the drive.
#pragma once

#include <optional>
#include <vector>

#include "platform/environment.h"
#include "platform/registry.h"

namespace veltrano::manifest {

struct PublisherRegistration {
    Text name;
    std::vector<Text> resourceFiles;
    std::vector<Text> messageFiles;
    std::vector<Text> parameterFiles;
};

// nullopt when the drive has no such publisher (the key names no name and no file).
// environment may be null: the paths are then taken as written.
std::optional<PublisherRegistration> ReadPublisher(Registry& registry, Environment* environment,
                                                   TextView guid);

}  // namespace veltrano::manifest
