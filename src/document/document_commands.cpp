#include "document/document_commands.h"

#include <ctime>
#include <vector>

#include "components/tagdb/tag_database.h"
#include "document/document_dialogs.h"
#include "document/held_values.h"
#include "document/strategy_document.h"
#include "document/strategy_file.h"
#include "platform/safe_file.h"
#include "platform/settings.h"
#include "resources/message_box.h"
#include "resources/message_ids.h"

namespace kestrune {

static_assert(kFileFailure == kMsgCannotOpenFile, "a failed save reports \"Cannot open file\"");

namespace {

FileSystemCalls& callsOf(const StrategyDocument& document) {
    FileSystemCalls* calls = document.services().fileCalls;
    return calls != nullptr ? *calls : FileSystemCalls::system();
}

void show(const StrategyDocument& document, int id, std::string_view detail = {}) {
    if (UserInterface* ui = document.services().ui) {
        if (detail.empty()) {
            showMessageBox(*ui, id);
        } else {
            showMessageBox(*ui, id, {detail});
        }
    }
}

bool confirmed(const StrategyDocument& document, int id) {
    UserInterface* ui = document.services().ui;
    return ui != nullptr && askOkCancel(*ui, id) == Answer::Ok;
}

void recordCurrent(const StrategyDocument& document, bool saved) {
    if (ProfileFile* settings = document.services().settings) {
        writeCurrentStrategy(*settings, document.path(), saved);
    }
}

SaveResult cancelled() {
    return {SaveOutcome::Cancelled, {}};
}

Status writeWith(const StrategyDocument& document, const std::string& path, const Protection& protection,
                 FileSystemCalls& calls) {
    BinaryWriter out;
    if (Status status = writeStrategy(document, out, document.randomKey(), &protection); !status)
        return status;
    return replaceFileSafely(path, out.data(), calls);
}

// Validation, the write, and what a save records.
SaveResult commonSave(StrategyDocument& document, const std::string& path, const Protection& protection) {
    if (document.validateAll() != kOk && !confirmed(document, kMsgSavePartiallyConfigured))
        return cancelled();
    if (Status status = writeWith(document, path, protection, callsOf(document)); !status) {
        show(document, kMsgCannotOpenFile, ": " + path);
        return {SaveOutcome::Failed, std::move(status)};
    }
    document.protection() = protection;
    document.setPath(path);
    document.setVersion(FileVersion::current());
    document.setModified(false);
    recordCurrent(document, true);
    return {};
}

std::optional<Protection> askPassword(const StrategyDocument& document) {
    DocumentDialogs* dialogs = document.services().dialogs;
    UserInterface* ui = document.services().ui;
    if (dialogs == nullptr || ui == nullptr) return std::nullopt;
    return runSavePasswordDialog(*dialogs, *ui, document.protection());
}

std::optional<std::string> choosePath(const StrategyDocument& document) {
    DocumentDialogs* dialogs = document.services().dialogs;
    if (dialogs == nullptr) return std::nullopt;
    std::optional<std::string> path = dialogs->chooseSavePath(document.path());
    if (path && path->empty()) return std::nullopt;
    return path;
}

}  // namespace

Status OpenStrategy(StrategyDocument& document, const std::string& path, Status* heldValues) {
    std::vector<std::uint8_t> data;
    if (Status status = readWholeFile(path, data); !status) {
        show(document, kMsgCannotOpenFile, ": " + path);
        return status;
    }
    StrategyReadOptions options;
    options.ui = document.services().ui;
    StrategyReadResult result = readStrategy(document, data, options);
    if (!result.contentsReplaced) {
        show(document, result.status.code,
             result.status.code == kMsgInvalidFileFormat ? path : std::string());
        return result.status;
    }
    document.setPath(path);
    if (TagDatabase* tags = document.services().tags) {
        const Status held = loadHeldValues(*tags, document.holdFilePath(), std::time(nullptr));
        if (heldValues != nullptr) *heldValues = held;
    }
    if (!result.status) show(document, kMsgFileLoadError);
    document.setModified(false);
    recordCurrent(document, false);
    return result.status;
}

SaveResult SaveStrategy(StrategyDocument& document) {
    if (document.path().empty()) return SaveStrategyAs(document);
    Protection protection = document.protection();
    if (protection.isProtected()) {
        if (!confirmed(document, kMsgSaveWithoutPassword)) return cancelled();
        protection.unprotect();
    }
    return commonSave(document, document.path(), protection);
}

SaveResult SaveStrategyAs(StrategyDocument& document, std::optional<std::string> path) {
    if (!path) path = choosePath(document);
    if (!path) return cancelled();
    Protection protection = document.protection();
    if (protection.isProtected()) {
        std::optional<Protection> chosen = askPassword(document);
        if (!chosen) return cancelled();
        protection = *chosen;
    }
    return commonSave(document, *path, protection);
}

SaveResult SaveStrategyWithPassword(StrategyDocument& document) {
    std::optional<Protection> chosen = askPassword(document);
    if (!chosen) return cancelled();
    std::optional<std::string> path = document.path();
    if (path->empty()) path = choosePath(document);
    if (!path) return cancelled();
    return commonSave(document, *path, *chosen);
}

void NewStrategy(StrategyDocument& document) {
    document.clear();
    document.setPath({});
    recordCurrent(document, false);
}

Status WriteStrategyFile(const StrategyDocument& document, const std::string& path) {
    return writeWith(document, path, document.protection(), callsOf(document));
}

}  // namespace kestrune
