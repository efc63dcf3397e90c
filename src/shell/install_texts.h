// The texts of the install entry and the about box: the maker's web address, the about text and
// link, the desktop copy's path and the values of the uninstall entry.
#pragma once

#include <vector>

#include "base/text.h"

namespace veltrano {

// "http://" and the web page of the interface language.
Text WebAddress();

// The about box's text: name and version, legal notice, the maker's address.
Text AboutText(TextView version, TextView legalNotice);

// The about box's link control markup, pointing at WebAddress().
Text AboutLinkMarkup();

// The last component of a path as PathFindFileNameW finds it: what follows the last "\", "/" or
// ":" that is followed by something other than a separator.
TextView PathFileName(TextView path);

// Where the desktop copy of the executable goes.
Text DesktopCopyPath(TextView desktopFolder, TextView executablePath);

struct UninstallValue {
    Text name;
    Text data;
};

// The uninstall entry's values in the order they are written. The command is quoted so that a
// desktop path with blanks (a user name with a space) still starts the copy.
std::vector<UninstallValue> UninstallValues(TextView desktopCopy, TextView desktopFolder,
                                            TextView version);

}  // namespace veltrano
