#include "document/strategy_file.h"

#include <algorithm>
#include <optional>
#include <string>

#include "document/document_dialogs.h"
#include "document/strategy_document.h"
#include "resources/message_box.h"
#include "resources/message_ids.h"
#include "taskmodel/graph_object.h"

namespace kestrune {
namespace {

Status problem(Code code, std::string text) {
    return {code, std::move(text)};
}

Status cutShort(std::string_view what, std::size_t at) {
    return problem(kRecordLoadError, std::string(what) + " at byte " + std::to_string(at) + " is cut short");
}

// The next tag when it is `expected` (consumed); otherwise the reader stays.
bool takeTag(BinaryReader& in, const FourCC& expected) {
    if (in.remaining() < 4) return false;
    const std::size_t at = in.position();
    if (in.tag() == expected) return true;
    in.seek(at);
    return false;
}

// Keeps the first problem of a load that goes on.
void note(Status& first, Status status) {
    if (!status && first) first = std::move(status);
}

struct Header {
    FileVersion version;
    Protection protection;
    StrategyOptions options;
};

StrategyReadResult readHeader(BinaryReader& in, const StrategyReadOptions& options,
                              std::uint32_t resolutionMs, Header& header) {
    StrategyReadResult result;
    if (in.remaining() < 4 || in.tag() != kStrategySignature) {
        result.status = problem(kMsgInvalidFileFormat, "no strategy signature");
        return result;
    }
    const std::uint16_t versionWord = in.u16();
    const std::uint16_t buildWord = in.u16();
    if (in.failed()) {
        result.status = problem(kMsgInvalidFileFormat, "the version is cut short");
        return result;
    }
    const std::optional<FileVersion> version = FileVersion::decode(versionWord, buildWord);
    if (!version) {
        result.status = problem(kMsgInvalidFileFormat, "version word " + std::to_string(versionWord));
        return result;
    }
    if (version->major <= 2) {
        result.status = problem(kMsgInvalidFileVersion, "version " + version->text());
        return result;
    }
    if (version->major == 3) {
        result.oldVersion = true;
        if (options.ui != nullptr)
            showMessageBox(*options.ui, kMsgOldVersionWarning, {}, MessageIcon::Warning);
    }
    header.version = *version;

    if (version->combined() >= kVersionWithProtection) {
        const std::size_t at = in.position();
        if (!header.protection.read(in)) {
            result.status = cutShort("protection block", at);
            return result;
        }
        if (header.protection.isProtected()) {
            std::optional<std::string> answer = options.password;
            if (!answer && options.ui != nullptr) answer = askLoadPassword(*options.ui);
            if (!answer || *answer != header.protection.password()) {
                result.status = problem(kMsgPasswordUnmatched, "the password is not the strategy's");
                return result;
            }
        }
    }

    const std::size_t at = in.position();
    if (in.remaining() < 4) {
        result.status = cutShort("options record", at);
        return result;
    }
    if (in.tag() != StrategyOptions::kTag) {
        result.status = problem(kMsgInvalidFileFormat, "no options record at byte " + std::to_string(at));
        return result;
    }
    header.options = StrategyOptions::defaults(resolutionMs);
    result.status = header.options.read(in, *version);
    return result;
}

// One "SWPL" section after its tag, into `task`. Notes its problems in
// `first`; false when the rest of the file cannot be told apart from it.
bool readTaskSection(BinaryReader& in, StrategyTask& task, const FileVersion& version, Status& first) {
    if (Status s = task.placement().read(in); !s) {
        note(first, std::move(s));
        return false;
    }
    note(first, task.loadRecords(in, version.major));
    if (in.failed()) return false;
    if (version.major < 3) return true;
    const std::size_t at = in.position();
    if (takeTag(in, StrategyTask::kEndTag)) return true;
    note(first, problem(kRecordLoadError,
                        "task " + task.name() + ": no end of section at byte " + std::to_string(at)));
    return false;
}

// Task, display and script sections, up to the first other tag. False when
// the load ends with them.
bool readSections(BinaryReader& in, StrategyDocument& document, const FileVersion& version, Status& first) {
    bool firstTask = true;
    std::size_t tasksRead = 0;
    while (in.remaining() >= 4) {
        const std::size_t at = in.position();
        const FourCC tag = in.tag();
        if (tag == StrategyTask::kSectionTag) {
            Status why;
            StrategyTask* task =
                firstTask && document.taskCount() > 0 ? &document.task(0) : document.addTask(&why);
            firstTask = false;
            if (task == nullptr) {
                note(first, problem(kRecordLoadError, "task section at byte " + std::to_string(at) +
                                                          ": no task object kind (" + why.context + ")"));
                return false;
            }
            ++tasksRead;
            if (!readTaskSection(in, *task, version, first)) return false;
        } else if (isOpaqueSectionTag(tag)) {
            std::optional<OpaqueSection> kept;
            note(first, readOpaqueSection(in, tag, tasksRead, kept));
            if (kept) document.opaqueSections().push_back(std::move(*kept));
            if (in.failed()) return false;
        } else {
            in.seek(at);
            break;
        }
    }
    return true;
}

Status readTrailer(BinaryReader& in, StrategyDocument& document, const FileVersion& version) {
    Status first;
    while (!in.failed() && takeTag(in, VirtualTag::kTag)) {
        std::unique_ptr<VirtualTag> tag;
        const std::size_t at = in.position() - 4;
        note(first, VirtualTag::read(in, version.major, document.services().tags, tag));
        if (tag != nullptr && !document.adoptVirtualTag(std::move(tag))) {
            note(first, problem(kRecordLoadError, "VTAG record at byte " + std::to_string(at) +
                                                      ": a virtual tag of that name exists already"));
        }
    }
    while (!in.failed() && takeTag(in, NetworkTaskName::kTag)) {
        NetworkTaskName name;
        Status s = name.read(in);
        if (s) document.networkTaskNames().push_back(std::move(name));
        note(first, std::move(s));
    }
    while (!in.failed() && takeTag(in, NetworkSettings::kTag)) {
        note(first, document.networkSettings().read(in));
    }
    if (in.failed()) return first;
    // The end tag, or the end of the data, closes the file; anything else is
    // a part this reader could not place, and what follows it is not loaded.
    const std::size_t at = in.position();
    if (in.remaining() == 0 || takeTag(in, kStrategyEnd)) return first;
    if (in.remaining() < 4) {
        note(first, cutShort("tag", at));
    } else {
        note(first, problem(kRecordLoadError, "unknown part \"" + std::string(toString(in.tag())) +
                                                  "\" at byte " + std::to_string(at)));
    }
    return first;
}

}  // namespace

Status writeStrategy(const StrategyDocument& document, BinaryWriter& out, std::uint32_t keyBits,
                     const Protection* protection) {
    const FileVersion version = FileVersion::current();
    out.tag(kStrategySignature);
    out.u16(version.versionWord());
    out.u16(version.build);
    (protection != nullptr ? *protection : document.protection()).write(out, keyBits);
    document.options().write(out);
    const std::size_t taskCount = document.taskCount();
    for (std::size_t i = 0; i <= taskCount; ++i) {
        for (const OpaqueSection& section : document.opaqueSections()) {
            if (std::min(section.tasksBefore, taskCount) == i) section.write(out);
        }
        if (i == taskCount) break;
        const StrategyTask& task = document.task(i);
        out.tag(StrategyTask::kSectionTag);
        task.placement().write(out);
        if (Status s = task.saveRecords(out); !s) return s;
        out.tag(StrategyTask::kEndTag);
    }
    for (const auto& tag : document.virtualTags()) tag->write(out);
    for (const NetworkTaskName& name : document.networkTaskNames()) name.write(out);
    document.networkSettings().write(out);
    out.tag(kStrategyEnd);
    return {};
}

StrategyReadResult readStrategy(StrategyDocument& document, std::span<const std::uint8_t> data,
                                const StrategyReadOptions& options) {
    BinaryReader in(data);
    Header header;
    StrategyReadResult result = readHeader(in, options, document.services().resolutionMs, header);
    if (!result.status) return result;

    document.clear();
    document.setVersion(header.version);
    document.options() = header.options;
    document.protection() = header.protection;
    result.contentsReplaced = true;

    Status first;
    if (readSections(in, document, header.version, first))
        note(first, readTrailer(in, document, header.version));
    if (in.failed() && first) first = cutShort("the file", in.position());
    result.status = std::move(first);
    document.setModified(false);
    return result;
}

}  // namespace kestrune
