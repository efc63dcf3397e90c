// The removal script's text.
#include "shell/removal_script.h"

namespace veltrano {

Text BatchPath(TextView path) {
    Text out;
    out.reserve(path.size());
    for (char16_t c : path) {
        out += c;
        if (c == u'%')
            out += c;
    }
    return out;
}

Text RemovalScript(TextView executablePath, TextView scriptPath) {
    const Text exe = BatchPath(executablePath);
    return u":Repeat\r\n"
           u"del \"" +
           exe +
           u"\"\r\n"
           u"if exist \"" +
           exe +
           u"\" goto Repeat\r\n"
           u"del \"" +
           BatchPath(scriptPath) + u"\"\r\n";
}

}  // namespace veltrano
