// libFuzzer target: the classic .evt reader on any bytes.
#include "fuzz_log_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    veltrano::fuzz::CheckLogFile(data, size, veltrano::eventlog::LogFormat::Evt);
    return 0;
}
