#include "components/basic/basic_library.h"

#include <cctype>

#include "components/basic/basic_errors.h"

namespace kestrune {

bool basicNameEquals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

Status BasicLibrary::add(BasicLibraryEntry entry) {
    if (entry.name.empty()) return Status(kBasicSyntaxError, "entry without a name");
    if (entry.minArgs < 0 || entry.maxArgs < entry.minArgs) entry.maxArgs = entry.minArgs;
    const bool member = entry.kind == BasicEntryKind::Method || entry.kind == BasicEntryKind::Property;
    if (member && classIndex(entry.className) == 0)
        return Status(kBasicSyntaxError, entry.name + ": unknown class " + entry.className);
    if (entry.kind == BasicEntryKind::Class) {
        if (classIndex(entry.name) != 0) return Status(kBasicDuplicateDeclaration, entry.name);
        if (classes_.size() >= 0xFFFE) return Status(kBasicTooComplex, entry.name);
        classes_.push_back(entry.name);
    }
    entries_.push_back(std::move(entry));
    return Status();
}

std::uint16_t BasicLibrary::classIndex(std::string_view className) const {
    for (std::size_t i = 0; i < classes_.size(); ++i)
        if (basicNameEquals(classes_[i], className)) return static_cast<std::uint16_t>(i + 1);
    return 0;
}

namespace {

bool accepts(const BasicLibraryEntry& e, int argc) {
    return argc >= e.minArgs && argc <= e.maxArgs;
}

}  // namespace

int BasicLibrary::findGlobal(std::string_view name, int argc) const {
    int found = -1;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const BasicLibraryEntry& e = entries_[i];
        const bool global = e.kind == BasicEntryKind::Function || e.kind == BasicEntryKind::Sub ||
                            e.kind == BasicEntryKind::Class;
        if (!global) continue;
        if (!basicNameEquals(e.name, name) && !(!e.companion.empty() && basicNameEquals(e.companion, name)))
            continue;
        if (accepts(e, argc)) return static_cast<int>(i);
        found = -2;
    }
    return found;
}

bool BasicLibrary::hasGlobal(std::string_view name) const {
    return findGlobal(name, 0) != -1;
}

int BasicLibrary::findMember(std::uint16_t cls, std::string_view name, int argc) const {
    if (cls == 0 || cls > classes_.size()) return -1;
    const std::string& className = classes_[cls - 1];
    int found = -1;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const BasicLibraryEntry& e = entries_[i];
        if (e.kind != BasicEntryKind::Method && e.kind != BasicEntryKind::Property) continue;
        if (!basicNameEquals(e.className, className) || !basicNameEquals(e.name, name)) continue;
        if (e.kind == BasicEntryKind::Property || accepts(e, argc)) return static_cast<int>(i);
        found = -2;
    }
    return found;
}

}  // namespace kestrune
