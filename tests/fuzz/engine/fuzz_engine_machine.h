// The machine the engine's fuzz targets scan with: the engine tests' fakes, with the crash, hang
// and service sources registered and their messages formatted by the offline message reader's
// formatter; and the checks every target makes on the catalogue a scan leaves.
#pragma once

#include <memory>

#include "engine/catalogue.h"
#include "support/engine_machine.h"

namespace veltrano::fuzz {

class FuzzEngineMachine : public testing::EngineMachine {
  public:
    FuzzEngineMachine();
    // A catalogue with this machine's interval starts and no owner window.
    ErrorCatalogue FreshCatalogue() const;

  private:
    std::unique_ptr<MessageTables> formatting_;
};

// Aborts when the catalogue breaks one of its rules: fields within their capacities, the
// interval counts nested within the total, one recency element per entry, at most `occurrences`
// occurrences counted.
void CheckCatalogue(const ErrorCatalogue& catalogue, size_t occurrences);

}  // namespace veltrano::fuzz
