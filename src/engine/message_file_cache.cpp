// Message modules by log and source.
#include "engine/message_file_cache.h"

#include "engine/message_texts.h"

namespace veltrano {

MessageModule* MessageFileCache::Module(Machine& machine, TextView logName, TextView source) {
    auto log = byLog_.find(logName);
    if (log == byLog_.end())
        log = byLog_.emplace(Text(logName), BySource()).first;
    auto found = log->second.find(source);
    if (found == log->second.end())
        found = log->second.emplace(Text(source), LoadMessageModule(machine, logName, source)).first;
    return found->second.get();
}

}  // namespace veltrano
