#pragma once
// The script engine: compile a module once, then run its Subs in instances.
// A module is immutable and may be shared by any number of instances on any
// threads; an instance holds one script's state (module-level variables,
// Static variables, its stack) and runs on one thread at a time. Only
// cancel() may be called from another thread while it runs.
//
//   auto compiled = compileBasic(text, &library);
//   if (!compiled.status.ok()) report(compiled.errorNumber, compiled.line);
//   BasicInstance script(compiled.module, host);
//   const int entry = script.findEntry("Main");   // once
//   BasicRunResult r = script.run(entry);          // per scan

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "components/basic/basic_library.h"
#include "components/basic/basic_value.h"
#include "platform/status.h"

namespace kestrune {

struct BasicModule;
class BasicMachine;

// The status code of a compile error; the error number and line are in the result.
inline constexpr Code kBasicCompileError = 18;

struct BasicCompileResult {
    Status status;        // ok, or kBasicCompileError with the message as context
    int errorNumber = 0;  // see basic_errors.h
    int line = 0;         // 1-based
    std::shared_ptr<const BasicModule> module;
};

// Compiles `source`; `library` (may be null) must outlive the module.
BasicCompileResult compileBasic(std::string_view source, const BasicLibrary* library = nullptr);

// The engine's text for an error number, compile or run time ("" when unknown).
std::string_view basicErrorTextFor(int number);

// One call of a library entry, handed to the host's dispatch.
class BasicHostCall {
  public:
    BasicHostCall(void* context, int id, std::uint32_t object, std::span<BasicValue> args, std::uint16_t resultClass)
        : context_(context), id_(id), object_(object), args_(args), resultClass_(resultClass) {}

    void* context() const { return context_; }  // the instance's context pointer
    int id() const { return id_; }
    std::uint32_t object() const { return object_; }  // methods and properties: the handle
    int argCount() const { return static_cast<int>(args_.size()); }
    // 0-based; a ByRef variable is read through; Missing past the last. A
    // conversion that fails (6, 13) becomes the call's error, and 0 or "".
    const BasicValue& arg(int index) const;
    std::int16_t argInteger(int index) const;
    std::int32_t argLong(int index) const;
    float argSingle(int index) const;
    std::string argString(int index) const;
    std::uint32_t argObject(int index) const;  // 0 for Nothing

    void setResult(BasicValue v) { result_ = std::move(v); }
    // An object of the class the entry declares it returns.
    void setObjectResult(std::uint32_t handle) { result_ = BasicValue::object(handle, resultClass_); }
    const BasicValue& result() const { return result_; }

    // Ends the call with a run-time error in the script (an empty text takes
    // the engine's text for the number).
    void raise(int number, std::string text = {});
    int raisedNumber() const { return raisedNumber_; }
    const std::string& raisedText() const { return raisedText_; }

  private:
    template <typename T, typename F>
    T converted(int index, F convert) const;

    void* context_;
    int id_;
    std::uint32_t object_;
    std::span<BasicValue> args_;
    std::uint16_t resultClass_;
    BasicValue result_;
    mutable int raisedNumber_ = 0;
    mutable std::string raisedText_;
};

struct BasicRunError {
    int number = 0;
    int line = 0;
    std::string message;
    std::string procedure;
};

// What the engine asks of its host. Called on the thread that runs the instance.
class BasicHost {
  public:
    virtual ~BasicHost() = default;
    // Print's text, one call per line, without the newline.
    virtual void print(std::string_view line) {}
    // MsgBox: the answer code (1 OK). The host decides how to show it; a scan
    // thread must not wait for a person, so the host hands it on and answers.
    virtual int messageBox(std::string_view prompt, int buttons, std::string_view title) { return 1; }
    // A library entry was called.
    virtual void call(BasicHostCall& call) { call.raise(438); }
    // An error the script did not handle ended the run.
    virtual void runtimeError(const BasicRunError& error) {}
};

struct BasicLimits {
    int stackValues = 16384;          // locals and temporaries of all active calls
    int maxCallDepth = 1000;          // error 28 beyond
    std::int64_t maxArrayElements = 1 << 22;  // per instance; error 7 beyond
    std::uint32_t maxStringLength = 1u << 24;  // error 14 beyond
    std::int64_t stepBudget = 0;      // loop iterations and calls per run; 0: none
};

struct BasicRunResult {
    Status status;  // not ok when the entry does not exist
    BasicRunError error;  // number 0: no run-time error
    bool ok() const { return status.ok() && error.number == 0; }
};

class BasicInstance {
  public:
    BasicInstance(std::shared_ptr<const BasicModule> module, BasicHost& host, BasicLimits limits = {});
    ~BasicInstance();
    BasicInstance(const BasicInstance&) = delete;
    BasicInstance& operator=(const BasicInstance&) = delete;

    // The procedure index of a Sub (or Function) by name; -1 when none.
    int findEntry(std::string_view name) const;
    BasicRunResult run(int entry);
    BasicRunResult run(std::string_view entryName);

    // From any thread: the running script ends with error 18 at its next loop
    // turn or call. The request stays until the next run starts.
    void cancel();
    // Module-level and Static variables back to their defaults.
    void reset();

    void setContext(void* context) { context_ = context; }
    void* context() const { return context_; }
    // The last run's error (number 0: none).
    const BasicRunError& lastError() const { return lastError_; }

  private:
    std::unique_ptr<BasicMachine> machine_;
    void* context_ = nullptr;
    BasicRunError lastError_;
};

}  // namespace kestrune
