// The formatted message of one event record: EvtQuery by record number, the publisher's name
// from the record, its metadata, and EvtFormatMessage.
#include "platform/win32/win32_event_query.h"

#include <windows.h>
#include <winevt.h>

#include <string>
#include <vector>

#include "platform/win32/wide.h"

namespace veltrano {
namespace {

class EvtHandle {
  public:
    explicit EvtHandle(EVT_HANDLE h = nullptr) : handle_(h) {}
    ~EvtHandle() {
        if (handle_ != nullptr)
            ::EvtClose(handle_);
    }
    EvtHandle(const EvtHandle&) = delete;
    EvtHandle& operator=(const EvtHandle&) = delete;
    EVT_HANDLE get() const { return handle_; }
    EVT_HANDLE* out() { return &handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

  private:
    EVT_HANDLE handle_;
};

Text PublisherName(EVT_HANDLE event) {
    LPCWSTR paths[] = {L"Event/System/Provider/@Name"};
    EvtHandle context(::EvtCreateRenderContext(1, paths, EvtRenderContextValues));
    if (!context)
        return {};
    DWORD used = 0, count = 0;
    if (::EvtRender(context.get(), event, EvtRenderEventValues, 0, nullptr, &used, &count) ||
        ::GetLastError() != ERROR_INSUFFICIENT_BUFFER || used == 0) {
        return {};
    }
    std::vector<BYTE> buffer(used);
    if (!::EvtRender(context.get(), event, EvtRenderEventValues, used, buffer.data(), &used,
                     &count) ||
        count == 0) {
        return {};
    }
    const auto* value = reinterpret_cast<const EVT_VARIANT*>(buffer.data());
    if (value->Type != EvtVarTypeString || value->StringVal == nullptr)
        return {};
    return FromWide(value->StringVal);
}

}  // namespace

std::optional<Text> Win32EventQuery::EventText(TextView logName, uint32_t recordNumber) {
    const Text path(logName);
    const std::wstring query =
        L"Event/System[EventRecordID=" + std::to_wstring(recordNumber) + L"]";
    EvtHandle results(::EvtQuery(nullptr, Wide(path), query.c_str(), EvtQueryChannelPath));
    if (!results)
        return std::nullopt;
    EvtHandle event;
    DWORD returned = 0;
    if (!::EvtNext(results.get(), 1, event.out(), INFINITE, 0, &returned) || returned == 0) {
        return std::nullopt;
    }
    const Text publisher = PublisherName(event.get());
    EvtHandle metadata(::EvtOpenPublisherMetadata(nullptr, Wide(publisher), nullptr, 0, 0));
    if (!metadata)
        return std::nullopt;
    DWORD needed = 0;
    if (::EvtFormatMessage(metadata.get(), event.get(), 0, 0, nullptr, EvtFormatMessageEvent, 0,
                           nullptr, &needed) ||
        ::GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0) {
        return std::nullopt;
    }
    std::vector<wchar_t> text(needed);
    if (!::EvtFormatMessage(metadata.get(), event.get(), 0, 0, nullptr, EvtFormatMessageEvent,
                            needed, text.data(), &needed)) {
        return std::nullopt;
    }
    return FromWide(text.data());
}

}  // namespace veltrano
