// Names of the text paths.
#include "cli/text_path_names.h"

namespace veltrano {
namespace {

constexpr const char* kPathNames[kTextPathCount] = {
    "messageFile",  "manifest",  "noRegistry",      "notRegistered",
    "filesMissing", "noMessage", "formattingFailed",
};
constexpr const char* kPathTitles[kTextPathCount] = {
    "message file",  "manifest",   "no registry on the drive", "not registered",
    "files missing", "no message", "format failed",
};

}  // namespace

const char* TextPathName(TextPath path) {
    return kPathNames[static_cast<size_t>(path)];
}

const char* TextPathTitle(TextPath path) {
    return kPathTitles[static_cast<size_t>(path)];
}

}  // namespace veltrano
