// One owning handle type for every kind of Win32 handle, told apart by traits.
#pragma once

#include <windows.h>

#include <utility>

namespace veltrano {

template <typename Traits>
class ScopedHandle {
  public:
    using Handle = typename Traits::Handle;
    ScopedHandle() : handle_(Traits::Invalid()) {}
    explicit ScopedHandle(Handle handle) : handle_(handle) {}
    ~ScopedHandle() { reset(); }
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return Traits::IsValid(handle_); }
    Handle release() { return std::exchange(handle_, Traits::Invalid()); }
    void reset(Handle handle = Traits::Invalid()) {
        if (Traits::IsValid(handle_))
            Traits::Close(handle_);
        handle_ = handle;
    }

  private:
    Handle handle_;
};

struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(Handle h) { ::CloseHandle(h); }
};

struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(Handle h) { ::FindClose(h); }
};

struct RegistryKeyTraits {
    using Handle = HKEY;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::RegCloseKey(h); }
};

struct ModuleTraits {
    using Handle = HMODULE;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::FreeLibrary(h); }
};

struct GdiObjectTraits {
    using Handle = HGDIOBJ;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::DeleteObject(h); }
};

struct LocalMemoryTraits {
    using Handle = HLOCAL;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::LocalFree(h); }
};

using ScopedFileHandle = ScopedHandle<FileHandleTraits>;
using ScopedFindHandle = ScopedHandle<FindHandleTraits>;
using ScopedRegistryKey = ScopedHandle<RegistryKeyTraits>;
using ScopedModule = ScopedHandle<ModuleTraits>;
using ScopedGdiObject = ScopedHandle<GdiObjectTraits>;
using ScopedLocalMemory = ScopedHandle<LocalMemoryTraits>;

}  // namespace veltrano
