// Path variables: the user's folders and names as environment-variable names, so that texts
// leaving the computer (lookup query, error report) carry no user-specific paths. The list is
// process-wide: built from the environment, read by every masking.
#pragma once

#include "base/text.h"
#include "platform/environment.h"

namespace veltrano {

// Rebuilds the list from the environment: every variable of the fixed table that is defined,
// in the table's order.
void BuildPathVariables(Environment& environment);

// The input with every value of the list replaced by its variable name, ignoring ASCII letter
// case, in the list's order; the names put in by earlier variables are not searched again.
Text MaskPathVariables(TextView input);

// Replaces every occurrence of find in text (ASCII letters compared without case, other
// characters exactly) by replacement, left to right; returns the number of replacements.
int ReplaceNoCase(TextView find, Text& text, TextView replacement);

}  // namespace veltrano
