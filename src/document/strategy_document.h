#pragma once
// The strategy document without windows: everything one strategy file
// holds. Its tasks in view order (each with its task object, objects and
// window placement), the virtual tags, the network station names and
// settings as the file holds them, the options record, the version of the
// file it came from, the password protection, the path and the modified
// flag. Display sections and the main script section are kept as the file
// had them (opaque_section.h) until their designers can read them.
//
// The document owns the strategy's ObjectRegistry (one per strategy, never
// shared), and through its tasks every block and wire. It always has at
// least one task after construction and clear(): a strategy
// is opened into a document whose first task takes the first task section.
//
// Reading and writing the file are in strategy_file.h; opening and the save
// commands with their questions in document_commands.h.
//
// Threads: the user-interface thread only. A running strategy's task
// threads read blocks through their own gates, never the document.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document/file_version.h"
#include "document/network_records.h"
#include "document/opaque_section.h"
#include "document/protection.h"
#include "document/strategy_options.h"
#include "document/strategy_task.h"
#include "document/virtual_tag.h"
#include "platform/status.h"
#include "taskmodel/object_registry.h"

namespace kestrune {

class DocumentDialogs;
class FileSystemCalls;
class ProfileFile;

// What a document works with. Only the factory is required; a document
// without a tag database publishes nothing, one without a settings file
// records nothing there.
struct DocumentServices {
    const BlockFactory& factory;
    TagDatabase* tags = nullptr;
    UserInterface* ui = nullptr;
    DocumentDialogs* dialogs = nullptr;
    // "Kestrune.INI": CurrentKSV and ChangeKSV after every open and save.
    ProfileFile* settings = nullptr;
    OutputRegistry* outputRegistry = nullptr;
    // The scheduling resolution R in ms, for the default display refresh.
    std::uint32_t resolutionMs = 5;
    // Bits for the protection key; std::random_device when empty.
    std::function<std::uint32_t()> randomKey = nullptr;
    // The system calls of a save; the real ones when null.
    FileSystemCalls* fileCalls = nullptr;
};

class StrategyDocument {
  public:
    explicit StrategyDocument(DocumentServices services);
    ~StrategyDocument();
    StrategyDocument(const StrategyDocument&) = delete;
    StrategyDocument& operator=(const StrategyDocument&) = delete;

    const DocumentServices& services() const { return services_; }
    ObjectRegistry& registry() { return registry_; }

    // Everything goes (tasks with their tags, virtual tags, network data);
    // options, protection and version are those of a new strategy; one empty
    // task is made again. The path stays.
    void clear();

    // ---- tasks, in view order ----
    const std::vector<std::unique_ptr<StrategyTask>>& tasks() const { return tasks_; }
    std::size_t taskCount() const { return tasks_.size(); }
    StrategyTask& task(std::size_t index) const { return *tasks_.at(index); }
    // nullptr when no task has that name (exact comparison).
    StrategyTask* findTask(std::string_view name) const;
    // A new task at the end, or nullptr with the reason in `why`.
    StrategyTask* addTask(Status* why = nullptr);
    // False when the task is not this document's.
    bool deleteTask(StrategyTask& task);
    // Every task validated (each stops at its first refusal, which shows its
    // reason); 0 when all can run, otherwise the first refusal's code.
    Code validateAll();

    // ---- virtual tags ----
    const std::vector<std::unique_ptr<VirtualTag>>& virtualTags() const { return virtualTags_; }
    VirtualTag* findVirtualTag(std::string_view name) const;
    // The new tag, or nullptr with kVirtualTagLengthText / kVirtualTagExistsText
    // as the context of 32854.
    VirtualTag* addVirtualTag(std::string_view name, std::uint16_t type, bool hold, Status* why = nullptr);
    // Takes a tag made elsewhere (the reader); refused (false) for a name the
    // document has already.
    bool adoptVirtualTag(std::unique_ptr<VirtualTag> tag);
    bool removeVirtualTag(std::string_view name);

    // ---- network ----
    std::vector<NetworkTaskName>& networkTaskNames() { return networkTaskNames_; }
    const std::vector<NetworkTaskName>& networkTaskNames() const { return networkTaskNames_; }
    NetworkSettings& networkSettings() { return networkSettings_; }
    const NetworkSettings& networkSettings() const { return networkSettings_; }

    // ---- display and script sections, kept unread, in file order ----
    std::vector<OpaqueSection>& opaqueSections() { return opaqueSections_; }
    const std::vector<OpaqueSection>& opaqueSections() const { return opaqueSections_; }

    // ---- document records ----
    StrategyOptions& options() { return options_; }
    const StrategyOptions& options() const { return options_; }
    Protection& protection() { return protection_; }
    const Protection& protection() const { return protection_; }
    // The version of the file last read; the current version otherwise.
    const FileVersion& version() const { return version_; }
    void setVersion(const FileVersion& v) { version_ = v; }

    // ---- file ----
    const std::string& path() const { return path_; }
    void setPath(std::string path) { path_ = std::move(path); }
    // The path up to its last ':', '\' or '/' ("" without a path).
    std::string directory() const;
    // The directory, the file name up to its first '.', and ".HLD".
    std::string holdFilePath() const;

    bool modified() const { return modified_ || registry_.modified(); }
    void setModified(bool modified);

    // Bits for a protection key.
    std::uint32_t randomKey() const;

  private:
    StrategyTaskServices strategyTaskServices();

    DocumentServices services_;
    ObjectRegistry registry_;  // first in, last out: every object leaves it on destruction
    std::vector<std::unique_ptr<StrategyTask>> tasks_;
    std::vector<std::unique_ptr<VirtualTag>> virtualTags_;
    std::vector<OpaqueSection> opaqueSections_;
    std::vector<NetworkTaskName> networkTaskNames_;
    NetworkSettings networkSettings_;
    StrategyOptions options_;
    Protection protection_;
    FileVersion version_ = FileVersion::current();
    std::string path_;
    bool modified_ = false;
};

}  // namespace kestrune
