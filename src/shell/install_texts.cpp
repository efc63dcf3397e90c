// Texts of the install entry and the about box.
#include "shell/install_texts.h"

#include "shell/local_texts.h"
#include "shell/maker.h"

namespace veltrano {
namespace {

bool IsSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

}  // namespace

Text WebAddress() {
    return FormatStrings(u"http://%s", {LocalText(LT_WEB_PAGE)});
}

Text AboutText(TextView version, TextView legalNotice) {
    Text text = LocalText(LT_PRODUCT_NAME) + u" " + Text(version) + u"\r\n" + Text(legalNotice) +
                u"\r\n\r\n";
    for (const char16_t* line : {kMakerName, kMakerPostBox, kMakerTown, kMakerEmail}) {
        text += line;
        text += u"\r\n";
    }
    return text + u"\r\n";
}

Text AboutLinkMarkup() {
    const Text page = LocalText(LT_WEB_PAGE);
    return FormatStrings(u"<a href=\"http://%s\">%s</a>", {page, page});
}

TextView PathFileName(TextView path) {
    size_t start = 0;
    for (size_t i = 0; i + 1 < path.size(); ++i) {
        const char16_t c = path[i];
        if ((IsSeparator(c) || c == u':') && !IsSeparator(path[i + 1]))
            start = i + 1;
    }
    return path.substr(start);
}

Text DesktopCopyPath(TextView desktopFolder, TextView executablePath) {
    Text target(desktopFolder);
    if (target.empty() || !IsSeparator(target.back()))
        target += u'\\';
    return target + Text(PathFileName(executablePath));
}

std::vector<UninstallValue> UninstallValues(TextView desktopCopy, TextView desktopFolder,
                                            TextView version) {
    const Text web = WebAddress();
    return {
        {u"UninstallString", FormatStrings(u"\"%s\" -uninstall", {Text(desktopCopy)})},
        {u"DisplayName", FormatStrings(u"%s %s", {LocalText(LT_PRODUCT_NAME), Text(version)})},
        {u"InstallLocation", Text(desktopFolder)},
        {u"Publisher", kMakerName},
        {u"Contact", kMakerEmail},
        {u"URLUpdateInfo", web},
        {u"HelpLink", web},
        {u"URLInfoAbout", web},
    };
}

}  // namespace veltrano
