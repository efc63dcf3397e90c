// Percent-encoding of the lookup query's fields: letters and digits stay, everything else
// becomes "%XX" escapes of its ASCII code or of its UTF-8 bytes.
#pragma once

#include "base/text.h"

namespace veltrano {

// "%" becomes %25, the reserved characters $&+,./:;=?@-_!*()' and the unsafe ones
// (space " < > # { } | \ ^ ~ [ ] `) and the control characters become the escape of their code,
// characters from U+0080 on the escapes of their UTF-8 bytes (a pair of surrogates as one
// character, an unpaired one as U+FFFD). Escapes use upper-case hexadecimal digits.
Text UrlEncode(TextView text);

}  // namespace veltrano
