// A DLL of the crash writer's own, where its crashes happen: each function notes where it will
// return to, then faults. The faults read their pointers from memory the compiler cannot see
// through, so it makes no trap or library call of them.
#include <windows.h>

#include <cstddef>
#include <cstdint>

extern "C" {

// What the crashing functions know about themselves, read by the writer's exception filter.
__declspec(dllexport) volatile void* crash_return_address = nullptr;
__declspec(dllexport) volatile uintptr_t crash_null_pointer = 0;

__declspec(dllexport) __attribute__((noinline)) int WriteThroughNull(int value) {
    crash_return_address = __builtin_return_address(0);
    volatile int* target = reinterpret_cast<volatile int*>(crash_null_pointer);
    int sum = 0;
    for (int i = 0; i < value; ++i)
        sum += i * value;
    *target = sum;
    return sum + 1;
}

// Fills length bytes from buffer: past its end when the buffer is shorter.
__declspec(dllexport) __attribute__((noinline)) size_t
    FillBuffer(uint8_t* buffer, size_t length, uint8_t value) {
    crash_return_address = __builtin_return_address(0);
    volatile uint8_t* out = buffer;
    for (size_t i = 0; i < length; ++i)
        out[i] = static_cast<uint8_t>(value + i);
    return length;
}

}  // extern "C"
