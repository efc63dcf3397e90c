// Finding a provider's manifest and messages among the files of a drive.
#include "platform/offline/manifest/provider_files.h"

#include "platform/offline/messages/pe_resources.h"

namespace veltrano::manifest {
namespace {

// Resource files of providers stay far below this; anything larger is not one.
constexpr uint64_t kMaxResourceFileSize = uint64_t{256} << 20;
constexpr TextView kManifestResourceType = u"WEVT_TEMPLATE";
constexpr uint16_t kManifestResourceName = 1;
constexpr TextView kUsEnglish = u"en-US";

ByteView View(const std::vector<uint8_t>& bytes) {
    return ByteView(bytes.data(), bytes.size());
}

std::shared_ptr<const CrimManifest> ManifestOf(const std::vector<uint8_t>& image) {
    for (const PeResource& r :
         FindPeResources(View(image), kManifestResourceType, kManifestResourceName)) {
        if (auto parsed = ParseCrim(r.data))
            return std::make_shared<const CrimManifest>(std::move(*parsed));
    }
    return nullptr;
}

std::shared_ptr<const MessageTable> TableOf(const std::vector<uint8_t>& image) {
    if (auto table = ChooseMessageTable(View(image)))
        return std::make_shared<const MessageTable>(std::move(*table));
    return nullptr;
}

}  // namespace

ProviderFiles::ProviderFiles(FileSystem& files, Text systemRoot, Text installCulture)
    : files_(files),
      systemRoot_(std::move(systemRoot)),
      installCulture_(std::move(installCulture)) {
    while (!systemRoot_.empty() && systemRoot_.back() == u'\\')
        systemRoot_.pop_back();
}

const ProviderFiles::Image& ProviderFiles::Read(const Text& path) {
    const Text key = PathKey(path);
    if (const auto found = images_.find(key); found != images_.end())
        return found->second;
    Image image;
    const auto facts = files_.Facts(path);
    if (facts && !facts->IsDirectory()) {
        image.present = true;
        auto bytes = ReadWholeFile(files_, path, kMaxResourceFileSize);
        if (bytes && IsPeImage(View(*bytes)))
            image.bytes = std::make_shared<const std::vector<uint8_t>>(std::move(*bytes));
    }
    return images_[key] = std::move(image);
}

Text ProviderFiles::MunPath(TextView path) const {
    return systemRoot_ + u"\\SystemResources\\" + Text(path.substr(FileNameStart(path))) + u".mun";
}

ManifestLookup ProviderFiles::Manifest(TextView path) {
    std::lock_guard lock(mutex_);
    const Text key = PathKey(path);
    if (const auto found = manifests_.find(key); found != manifests_.end())
        return found->second;
    ManifestLookup lookup;
    for (const Text& file : {Text(path), MunPath(path)}) {
        const Image& image = Read(file);
        if (!image.present)
            continue;
        lookup.state = FileState::Empty;
        if (image.bytes && (lookup.manifest = ManifestOf(*image.bytes))) {
            lookup.state = FileState::Found;
            break;
        }
    }
    return manifests_[key] = lookup;
}

MessageLookup ProviderFiles::Messages(TextView path) {
    std::lock_guard lock(mutex_);
    const Text key = PathKey(path);
    if (const auto found = messages_.find(key); found != messages_.end())
        return found->second;
    const size_t nameStart = FileNameStart(path);
    const Text folder(path.substr(0, nameStart));
    const Text muiName = Text(path.substr(nameStart)) + u".mui";
    std::vector<Text> candidates;
    if (!installCulture_.empty() && !EqualsNoCase(installCulture_, kUsEnglish))
        candidates.push_back(folder + installCulture_ + u"\\" + muiName);
    candidates.push_back(folder + Text(kUsEnglish) + u"\\" + muiName);
    candidates.emplace_back(path);
    candidates.push_back(MunPath(path));
    // A language-neutral file without a table of its own is not the messages: without one of
    // its language files they are missing.
    MessageLookup lookup;
    for (const Text& file : candidates) {
        const Image& image = Read(file);
        if (image.bytes && (lookup.table = TableOf(*image.bytes))) {
            lookup.state = FileState::Found;
            lookup.file = file;
            break;
        }
    }
    return messages_[key] = lookup;
}

Text CultureOfLanguage(uint16_t language) {
    static constexpr struct {
        uint16_t id;
        const char16_t* culture;
    } kCultures[] = {
        {0x0401, u"ar-SA"}, {0x0404, u"zh-TW"}, {0x0405, u"cs-CZ"}, {0x0406, u"da-DK"},
        {0x0407, u"de-DE"}, {0x0408, u"el-GR"}, {0x0409, u"en-US"}, {0x040B, u"fi-FI"},
        {0x040C, u"fr-FR"}, {0x040D, u"he-IL"}, {0x040E, u"hu-HU"}, {0x0410, u"it-IT"},
        {0x0411, u"ja-JP"}, {0x0412, u"ko-KR"}, {0x0413, u"nl-NL"}, {0x0414, u"nb-NO"},
        {0x0415, u"pl-PL"}, {0x0416, u"pt-BR"}, {0x0419, u"ru-RU"}, {0x041D, u"sv-SE"},
        {0x041F, u"tr-TR"}, {0x0804, u"zh-CN"}, {0x0807, u"de-CH"}, {0x0809, u"en-GB"},
        {0x080A, u"es-MX"}, {0x0816, u"pt-PT"}, {0x0C07, u"de-AT"}, {0x0C0A, u"es-ES"},
        {0x0C0C, u"fr-CA"},
    };
    for (const auto& c : kCultures) {
        if (c.id == language)
            return c.culture;
    }
    return {};
}

}  // namespace veltrano::manifest
