// Message files loaded as data and formatted by the system's FormatMessageW.
#include "platform/win32/win32_message_tables.h"

#include <windows.h>

#include <vector>

#include "platform/win32/scoped_handle.h"
#include "platform/win32/wide.h"

namespace veltrano {
namespace {

constexpr DWORD kLoadAsDataAndImageResource = 0x22;

// FormatMessageW with an allocated buffer; the buffer is freed with LocalFree.
std::optional<Text> FormatAllocated(DWORD flags, const void* source, DWORD id, va_list* arguments) {
    wchar_t* buffer = nullptr;
    const DWORD n = ::FormatMessageW(flags | FORMAT_MESSAGE_ALLOCATE_BUFFER, source, id, 0,
                                     reinterpret_cast<wchar_t*>(&buffer), 0, arguments);
    ScopedLocalMemory owner(buffer);
    if (n == 0 || buffer == nullptr)
        return std::nullopt;
    return FromWide(buffer, n);
}

class Win32MessageModule : public MessageModule {
  public:
    explicit Win32MessageModule(HMODULE module) : module_(module) {}
    std::optional<Text> Format(uint32_t messageId, const std::vector<Text>* arguments) override {
        const DWORD flags = FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM;
        if (arguments == nullptr) {
            return FormatAllocated(flags | FORMAT_MESSAGE_IGNORE_INSERTS, module_.get(), messageId,
                                   nullptr);
        }
        std::vector<DWORD_PTR> pointers;
        pointers.reserve(arguments->size() + 1);
        for (const Text& a : *arguments)
            pointers.push_back(reinterpret_cast<DWORD_PTR>(a.c_str()));
        pointers.push_back(0);
        return FormatAllocated(flags | FORMAT_MESSAGE_ARGUMENT_ARRAY, module_.get(), messageId,
                               reinterpret_cast<va_list*>(pointers.data()));
    }

  private:
    ScopedModule module_;
};

}  // namespace

std::unique_ptr<MessageModule> Win32MessageTables::LoadAsData(TextView path) {
    const Text p(path);
    HMODULE module = ::LoadLibraryExW(Wide(p), nullptr, kLoadAsDataAndImageResource);
    if (module == nullptr)
        return nullptr;
    return std::make_unique<Win32MessageModule>(module);
}

std::optional<Text> Win32MessageTables::NativeApiMessage(uint32_t code) {
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    if (ntdll == nullptr)
        return std::nullopt;
    return FormatAllocated(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS, ntdll, code,
                           nullptr);
}

std::optional<Text> Win32MessageTables::SystemMessage(uint32_t id) {
    return FormatAllocated(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, id,
                           nullptr);
}

}  // namespace veltrano
