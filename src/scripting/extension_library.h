#pragma once
// The host's extension functions as one table: every class, function, sub,
// method and property that scripts may call, with its id, its script name,
// what it takes and the handler that does it. The engine learns the names
// from the table and calls back by id (dispatch); an adapter that resolves
// names at run time uses the find operations, which follow the engine's
// rules: names compare without regard to letter case, and of two forms with
// the same name the first that accepts the number of arguments is taken.
//
// While a script editor is open ("editor busy") the entries not marked
// worksWhileEditing return at once without effect.
//
// Threads: built on the main thread before any script runs, then only read;
// handlers run on the thread of the calling script.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"
#include "scripting/script_value.h"

namespace kestrune {

class ScriptContext;

enum class ExtensionKind : std::uint8_t { Class, Function, Sub, Method, Property };

// One call from a script.
struct ExtensionCall {
    // The context of the calling instance; null for the main script.
    ScriptContext* context = nullptr;
    // Methods and properties: the object they are used on.
    ScriptObject self;
    std::vector<ScriptValue> arguments;
    // Properties: true when the script assigns (the value is the last argument).
    bool assigning = false;

    ScriptValue result;
    // A run-time error raised by the handler: the script stops with it.
    std::optional<std::uint32_t> errorNumber;
    std::string errorText;

    void raise(std::uint32_t number, std::string text = {}) {
        errorNumber = number;
        errorText = std::move(text);
    }
};

using ExtensionHandler = std::function<void(ExtensionCall&)>;

struct ExtensionEntry {
    int id = 0;
    std::string name;
    ExtensionKind kind = ExtensionKind::Sub;
    // Methods and properties: the class they belong to.
    std::string className;
    // A second name the entry is also known by ("ScanTask" for GetScanTask).
    std::string companion;
    std::size_t minArguments = 0;
    std::size_t maxArguments = 0;
    // Properties: which ways they can be used.
    bool readable = false;
    bool writable = false;
    bool worksWhileEditing = false;
    ExtensionHandler handler;
};

class ExtensionLibrary {
  public:
    explicit ExtensionLibrary(std::string name) : name_(std::move(name)) {}

    const std::string& name() const { return name_; }

    // Appends an entry. Refused (32978) when its id is not above every id so
    // far, when a method or property names a class not yet added, when it
    // takes fewer arguments than it needs, or when it has no handler.
    Status add(ExtensionEntry entry);
    std::span<const ExtensionEntry> entries() const { return entries_; }

    const ExtensionEntry* find(int id) const;
    // A class, function or sub by its name or companion name, taking `arguments`.
    const ExtensionEntry* findGlobal(std::string_view name, std::size_t arguments) const;
    // A method or property of `className`.
    const ExtensionEntry* findMember(std::string_view className, std::string_view name,
                                     std::size_t arguments) const;

    // Calls the handler of entry `id`. False when there is no such entry;
    // true without effect while the editor is busy and the entry does not
    // work then.
    bool dispatch(int id, ExtensionCall& call, bool editorBusy) const;

  private:
    std::string name_;
    std::vector<ExtensionEntry> entries_;
};

}  // namespace kestrune
