// The frames of one thread's stack without symbols. The first frame is the thread's registers;
// callers are found, in order of trust: on x64 by the unwind data (.pdata / UNWIND_INFO) of the
// module's own PE file, on x86 by the chain of saved frame pointers, and where neither leads on,
// by a bounded scan of the stack for return addresses into a module's code: a value inside an
// image, past its first page (the headers), whose bytes before it have the shape of a call
// instruction, those bytes taken from the dump's memory or the module's file. Where neither holds
// them every such value is taken, so a scan without the modules' files also lists stale return
// addresses and pointers to an image's data; its frames say they were scanned.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "base/text.h"
#include "crash/module_image.h"
#include "platform/offline/dump/minidump.h"

namespace veltrano::crash {

// How a frame's address was found.
enum class FrameSource {
    Context,       // the thread's registers (the first frame)
    FramePointer,  // a saved frame pointer and the return address beside it (x86)
    Unwind,        // the caller's registers from the module's unwind data (x64)
    Scan,          // a return address found by scanning the stack
};

// "context", "frame pointer", "unwind", "scan".
const char* FrameSourceName(FrameSource source);

struct Frame {
    uint64_t address = 0;  // the instruction pointer of the frame (a return address for callers)
    std::optional<uint64_t> moduleIndex;  // into the dump's module list; none outside any image
    uint64_t offset = 0;  // address minus the module's base (the address itself without one)
    FrameSource source = FrameSource::Context;
};

struct WalkLimits {
    size_t maxFrames = 64;
    // How far above the stack pointer a scan looks for return addresses, in bytes.
    uint64_t maxScanBytes = 64 * 1024;
};

// A module's PE image from the analysed drive, or null when it is not there (opened once per
// module by whoever walks many stacks).
using ImageSource = std::function<ModuleImage*(size_t moduleIndex)>;

// The thread's frames from its registers (context) and its full CONTEXT record (fullContext,
// for the x64 registers the unwind data restores; empty: only ip, sp and fp are known).
std::vector<Frame> WalkStack(dump::Minidump& dump, const dump::DumpContext& context,
                             const std::vector<uint8_t>& fullContext, const ImageSource& images,
                             const WalkLimits& limits);

}  // namespace veltrano::crash
