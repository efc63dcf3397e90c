#include <algorithm>

#include "platform/offline/dump/bugcheck_table.h"
#include "platform/offline/dump/kernel_dump.h"

namespace veltrano::dump {

Text BugCheckName(uint32_t code) {
    const auto it = std::lower_bound(kBugChecks.begin(), kBugChecks.end(), code,
                                     [](const BugCheck& b, uint32_t c) { return b.code < c; });
    return it != kBugChecks.end() && it->code == code ? Text(it->name) : Text();
}

}  // namespace veltrano::dump
