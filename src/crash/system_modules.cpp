#include "crash/system_modules.h"

#include "crash/system_module_list.h"

namespace veltrano::crash {

bool IsDispatchModule(TextView fileName) {
    for (const std::u16string_view entry : kDispatchModules) {
        const bool prefix = entry.ends_with(u'*');
        const std::u16string_view stem = prefix ? entry.substr(0, entry.size() - 1) : entry;
        if (prefix ? fileName.size() >= stem.size() &&
                         EqualsNoCase(fileName.substr(0, stem.size()), stem)
                   : EqualsNoCase(fileName, stem))
            return true;
    }
    return false;
}

}  // namespace veltrano::crash
