#pragma once
// Opening a strategy and the three save commands, with their questions:
//
//   Open              read the whole file; a file that cannot be read, a
//                     wrong signature or version, an old version or a wrong
//                     password leave the open strategy as it was (32860,
//                     32855 with the path, 32983, 61455); otherwise the
//                     contents replace it, the hold file's values are
//                     loaded, and a part that did not load shows 32910.
//   Save (57603)      a protected strategy first asks 61454; OK saves
//                     without the password, Cancel writes nothing.
//   Save As (57604)   a new path (given, or from the file dialog); a
//                     protected strategy first shows "Save with Password".
//   Save with password (32828)  the "Save with Password" dialog, then saves
//                     protected (with the old password when so checked).
//
// Every save then asks 32923 when a task cannot run, writes the file safely
// (platform/safe_file.h), and only then takes the new protection and path; Cancel at
// any question, or a failed write, leaves the file on disk and the
// document's protection as they were. After an open and after a save the
// settings file gets CurrentKSV and ChangeKSV (0 after an open, 1 after a
// save). Without a user interface every question is answered Cancel;
// without document dialogs the dialogs are cancelled.

#include <optional>
#include <string>

#include "platform/status.h"

namespace kestrune {

class StrategyDocument;

enum class SaveOutcome { Saved, Cancelled, Failed };

struct SaveResult {
    SaveOutcome outcome = SaveOutcome::Saved;
    Status status;  // why it failed
    bool saved() const { return outcome == SaveOutcome::Saved; }
};

// Opens `path`, then reads its hold file (held_values.h). `heldValues`, when
// given, receives what became of a hold file that could not be used; telling
// the user is the caller's part.
Status OpenStrategy(StrategyDocument& document, const std::string& path, Status* heldValues = nullptr);
SaveResult SaveStrategy(StrategyDocument& document);
SaveResult SaveStrategyAs(StrategyDocument& document, std::optional<std::string> path = std::nullopt);
SaveResult SaveStrategyWithPassword(StrategyDocument& document);

// A new, empty strategy (one task), recorded in the settings file.
void NewStrategy(StrategyDocument& document);

// Writes the document to `path` safely as it stands: no questions, no
// messages, no change to the document or the settings (the strategy tool).
Status WriteStrategyFile(const StrategyDocument& document, const std::string& path);

}  // namespace kestrune
