// Reports through its exit code whether it runs from the temporary folder (10) or not (20):
// the install entry's test copies it around and starts it.
#include "platform/win32/win32_file_system.h"
#include "shell/win32/install_entry.h"

int main() {
    veltrano::Win32FileSystem files;
    return veltrano::IsRunningFromTemp(files) ? 10 : 20;
}
