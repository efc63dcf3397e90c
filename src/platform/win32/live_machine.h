// The ports of the computer the program runs on. Under Wine, whose event-log service only
// reports end-of-log and whose event query service formats nothing, the event logs are read from
// the log files below %SystemRoot% and the texts of manifest-based providers from their files.
#pragma once

#include <memory>

#include "platform/machine.h"

namespace veltrano {

class LiveMachine {
  public:
    LiveMachine();
    ~LiveMachine();
    LiveMachine(const LiveMachine&) = delete;
    LiveMachine& operator=(const LiveMachine&) = delete;
    Machine& machine() { return machine_; }

  private:
    struct Adapters;
    std::unique_ptr<Adapters> adapters_;
    Machine machine_;
};

}  // namespace veltrano
