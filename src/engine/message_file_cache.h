// The message modules of the sources one fill meets, each found through the registry and loaded
// once: a log holds thousands of records of a few hundred sources. A cache lives as long as one
// fill, so a change to the registry or the files between scans is always seen.
#pragma once

#include <map>
#include <memory>

#include "base/text.h"
#include "platform/machine.h"

namespace veltrano {

class MessageFileCache {
  public:
    // The module the registry names for a source of a log (each log names its own sources'
    // files); null when there is none, and that is kept too.
    MessageModule* Module(Machine& machine, TextView logName, TextView source);

  private:
    using BySource = std::map<Text, std::unique_ptr<MessageModule>, std::less<>>;
    std::map<Text, BySource, std::less<>> byLog_;
};

}  // namespace veltrano
