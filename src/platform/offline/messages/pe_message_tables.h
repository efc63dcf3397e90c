// Message tables port over an analysed drive: message files are read as PE images through the
// files port, never loaded or run. A file's own table is used, or the one of its language
// resource file "<folder>\<culture>\<name>.mui" where Windows keeps it (Vista and later): US
// English first, then any English, then the first language the file has. The system's tables
// are those of the drive's kernelbase.dll (kernel32.dll before Windows 7) and ntdll.dll.
#pragma once

#include <map>
#include <memory>
#include <mutex>

#include "platform/files.h"
#include "platform/message_tables.h"
#include "platform/offline/messages/message_table.h"

namespace veltrano {

class PeMessageTables : public MessageTables {
  public:
    // files: the drive's file system (usually drive-mapped); systemRoot: its Windows folder as
    // the program sees it ("C:\Windows").
    PeMessageTables(FileSystem& files, Text systemRoot);

    // Paths must lie on drive C:; a bare file name is looked for where LoadLibraryExW would find
    // it on that drive (System32, System, the Windows folder). null when the file is missing or
    // not a PE image; an image without a message table loads and formats from the system table.
    std::unique_ptr<MessageModule> LoadAsData(TextView path) override;
    std::optional<Text> NativeApiMessage(uint32_t code) override;
    std::optional<Text> SystemMessage(uint32_t id) override;

    // The message table a file yields as LoadAsData would use it; null when none.
    std::shared_ptr<const MessageTable> TableOf(TextView path);

  private:
    struct Loaded {
        bool image = false;
        std::shared_ptr<const MessageTable> table;
    };
    Loaded Load(TextView path);
    Loaded LoadUncached(TextView path);
    std::shared_ptr<const MessageTable> LanguageResourceTable(TextView path, bool english);
    std::shared_ptr<const MessageTable> SystemTable();
    std::shared_ptr<const MessageTable> NativeApiTable();
    Text Resolve(TextView path);

    FileSystem& files_;
    Text systemRoot_;
    std::mutex mutex_;  // guards the cache
    // Files are read once per path: an analysed drive does not change while it is read.
    std::map<Text, Loaded> cache_;
    std::optional<std::shared_ptr<const MessageTable>> system_;
    std::optional<std::shared_ptr<const MessageTable>> nativeApi_;
};

}  // namespace veltrano
