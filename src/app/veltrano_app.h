// CVeltranoApp: the program's application object.
#pragma once

#include "framework/app.h"

namespace veltrano {

class CVeltranoApp : public CWinApp {
  public:
    bool InitInstance() override;
};

// Whether the command line's first blank-separated token starts with "-uninstall".
bool IsUninstallCommand(TextView commandLine);

// The command line without the program name (as WinMain's lpCmdLine gives it).
Text ArgumentsOf(TextView fullCommandLine);

}  // namespace veltrano
