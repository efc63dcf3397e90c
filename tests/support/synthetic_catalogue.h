// A large catalogue made up from fixed word lists by a seeded generator: the same seed gives the
// same catalogue on every host. For the report benchmark and tests that need volume.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/catalogue.h"

namespace veltrano::testing {

// Adds count entries of all four categories, with report texts, event messages, templates,
// parameters and paths below a user profile (C:\Users\analyst), several occurrences each.
void AddSyntheticEntries(ErrorCatalogue& catalogue, size_t count, uint32_t seed = 1);

}  // namespace veltrano::testing
