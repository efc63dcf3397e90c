// Message files of an analysed drive.
#include "platform/offline/messages/pe_message_tables.h"

#include <algorithm>

#include "platform/offline/messages/format_message.h"

namespace veltrano {
namespace {

// Message files are small; the largest system resource files stay below a few megabytes.
constexpr uint64_t kMaxMessageFileSize = uint64_t{256} << 20;
constexpr TextView kEnglishCulture = u"en-US";

bool OnDriveC(TextView path) {
    return path.size() >= 3 && (path[0] == u'C' || path[0] == u'c') && path[1] == u':' &&
           (path[2] == u'\\' || path[2] == u'/');
}

// A culture folder name such as "de-DE" or "sr-Latn-RS".
bool LooksLikeCulture(TextView name) {
    return name.size() >= 4 && name.size() <= 16 && name.find(u'-') != TextView::npos &&
           !EqualsNoCase(name, kEnglishCulture);
}

class PeMessageModule : public MessageModule {
  public:
    PeMessageModule(std::shared_ptr<const MessageTable> own,
                    std::shared_ptr<const MessageTable> system)
        : own_(std::move(own)), system_(std::move(system)) {}

    std::optional<Text> Format(uint32_t messageId, const std::vector<Text>* arguments) override {
        std::optional<Text> text = own_ ? own_->Find(messageId) : std::nullopt;
        if (!text && system_)
            text = system_->Find(messageId);
        if (!text)
            return std::nullopt;
        return FormatMessageText(*text, arguments);
    }

  private:
    std::shared_ptr<const MessageTable> own_;
    std::shared_ptr<const MessageTable> system_;
};

std::optional<Text> Lookup(const std::shared_ptr<const MessageTable>& table, uint32_t id) {
    if (!table)
        return std::nullopt;
    const auto text = table->Find(id);
    if (!text)
        return std::nullopt;
    return FormatMessageText(*text, nullptr);
}

}  // namespace

PeMessageTables::PeMessageTables(FileSystem& files, Text systemRoot)
    : files_(files), systemRoot_(std::move(systemRoot)) {
    while (!systemRoot_.empty() && systemRoot_.back() == u'\\')
        systemRoot_.pop_back();
}

Text PeMessageTables::Resolve(TextView path) {
    Text resolved(path);
    // LoadLibraryExW adds ".dll" to a name without an extension; a final dot means "none".
    const TextView name = TextView(resolved).substr(FileNameStart(resolved));
    if (!name.empty() && name.back() == u'.') {
        resolved.pop_back();
    } else if (name.find(u'.') == TextView::npos) {
        resolved += u".dll";
    }
    if (resolved.find_first_of(u"\\/:") != Text::npos)
        return resolved;
    for (const TextView folder :
         {TextView(u"\\System32\\"), TextView(u"\\System\\"), TextView(u"\\")}) {
        Text candidate = systemRoot_ + Text(folder) + resolved;
        const auto facts = files_.Facts(candidate);
        if (facts && !facts->IsDirectory())
            return candidate;
    }
    return {};
}

PeMessageTables::Loaded PeMessageTables::Load(TextView path) {
    const Text key = PathKey(path);
    if (const auto found = cache_.find(key); found != cache_.end())
        return found->second;
    Loaded loaded = LoadUncached(path);
    cache_[key] = loaded;
    return loaded;
}

PeMessageTables::Loaded PeMessageTables::LoadUncached(TextView path) {
    Loaded loaded;
    if (!OnDriveC(path))
        return loaded;
    const auto facts = files_.Facts(path);
    if (!facts || facts->IsDirectory())
        return loaded;
    const auto bytes = ReadWholeFile(files_, path, kMaxMessageFileSize);
    if (!bytes)
        return loaded;
    const ByteView image(bytes->data(), bytes->size());
    if (!IsPeImage(image))
        return loaded;
    loaded.image = true;
    std::shared_ptr<const MessageTable> own;
    if (auto table = ChooseMessageTable(image))
        own = std::make_shared<MessageTable>(std::move(*table));
    if (own && IsEnglish(own->language())) {
        loaded.table = own;
    } else if (auto english = LanguageResourceTable(path, true)) {
        loaded.table = english;
    } else {
        loaded.table = own ? own : LanguageResourceTable(path, false);
    }
    return loaded;
}

std::shared_ptr<const MessageTable> PeMessageTables::LanguageResourceTable(TextView path,
                                                                           bool english) {
    const size_t nameStart = FileNameStart(path);
    if (nameStart == 0)
        return nullptr;
    const Text folder(path.substr(0, nameStart));
    const Text fileName = Text(path.substr(nameStart)) + u".mui";
    std::vector<Text> cultures;
    if (english) {
        cultures.emplace_back(kEnglishCulture);
    } else if (const auto entries = files_.ListFolder(folder)) {
        for (const auto& entry : *entries) {
            if (entry.facts.IsDirectory() && LooksLikeCulture(entry.name))
                cultures.push_back(entry.name);
        }
        std::sort(cultures.begin(), cultures.end());
    }
    for (const auto& culture : cultures) {
        const Text resourceFile = folder + culture + u"\\" + fileName;
        const auto facts = files_.Facts(resourceFile);
        if (!facts || facts->IsDirectory())
            continue;
        const auto bytes = ReadWholeFile(files_, resourceFile, kMaxMessageFileSize);
        if (!bytes)
            continue;
        if (auto table = ChooseMessageTable(ByteView(bytes->data(), bytes->size()))) {
            return std::make_shared<MessageTable>(std::move(*table));
        }
    }
    return nullptr;
}

std::shared_ptr<const MessageTable> PeMessageTables::SystemTable() {
    if (!system_) {
        system_ = nullptr;
        for (const TextView name : {TextView(u"kernelbase.dll"), TextView(u"kernel32.dll")}) {
            if (auto table = Load(systemRoot_ + u"\\System32\\" + Text(name)).table) {
                system_ = table;
                break;
            }
        }
    }
    return *system_;
}

std::shared_ptr<const MessageTable> PeMessageTables::NativeApiTable() {
    if (!nativeApi_)
        nativeApi_ = Load(systemRoot_ + u"\\System32\\ntdll.dll").table;
    return *nativeApi_;
}

std::unique_ptr<MessageModule> PeMessageTables::LoadAsData(TextView path) {
    std::lock_guard lock(mutex_);
    const Text resolved = Resolve(path);
    const Loaded loaded = Load(resolved);
    if (!loaded.image)
        return nullptr;
    return std::make_unique<PeMessageModule>(loaded.table, SystemTable());
}

std::shared_ptr<const MessageTable> PeMessageTables::TableOf(TextView path) {
    std::lock_guard lock(mutex_);
    return Load(Resolve(path)).table;
}

std::optional<Text> PeMessageTables::NativeApiMessage(uint32_t code) {
    std::unique_lock lock(mutex_);
    const auto table = NativeApiTable();
    lock.unlock();
    return Lookup(table, code);
}

std::optional<Text> PeMessageTables::SystemMessage(uint32_t id) {
    std::unique_lock lock(mutex_);
    const auto table = SystemTable();
    lock.unlock();
    return Lookup(table, id);
}

}  // namespace veltrano
