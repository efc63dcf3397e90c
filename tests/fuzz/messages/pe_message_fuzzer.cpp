// Any bytes as a message file: the PE headers, the resource directory, the message table and the
// formatting of every message must stay inside the data.
#include <cstddef>
#include <cstdint>

#include "platform/offline/messages/format_message.h"
#include "platform/offline/messages/message_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const veltrano::ByteView image(data, size);
    (void)veltrano::FindPeResources(image, 16, 1);  // a version resource, as another type
    const auto table = veltrano::ChooseMessageTable(image);
    if (!table)
        return 0;
    const std::vector<veltrano::Text> arguments = {u"1", u"two", u"%1", u"", u"12"};
    for (const uint32_t id : table->Ids()) {
        const auto text = table->Find(id);
        if (!text)
            continue;
        (void)veltrano::FormatMessageText(*text, nullptr);
        (void)veltrano::FormatMessageText(*text, &arguments);
    }
    return 0;
}
