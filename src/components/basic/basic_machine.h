#pragma once
// The interpreter behind BasicInstance: a stack machine over one fixed block
// of values (locals of every active call, then its temporaries), so that a
// ByRef reference into a caller's locals stays valid for the whole call and
// a run allocates nothing for calls.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "components/basic/basic_builtins.h"
#include "components/basic/basic_engine.h"
#include "components/basic/basic_errors.h"
#include "components/basic/basic_module.h"

namespace kestrune {

class BasicMachine {
  public:
    BasicMachine(std::shared_ptr<const BasicModule> module, BasicHost& host, BasicLimits limits, void* const* context);

    BasicRunResult run(int entry);
    void cancel() { cancel_.store(true, std::memory_order_relaxed); }
    void reset();
    const BasicModule& module() const { return *module_; }

  private:
    struct Frame {
        const BasicProc* proc = nullptr;
        BasicValue* base = nullptr;
        int pc = 0;
        bool wantResult = false;
        std::uint8_t errMode = 0;  // 0 none, 1 go to handler, 2 resume next
        bool inHandler = false;
        int handler = 0;
        int resumePc = 0;
        int resumeNextPc = 0;
    };

    void execute();
    bool handleError(const BasicError& error);
    void enterProc(int index, int argc, bool wantResult);
    void unwindTo(std::size_t frameCount);
    void resetStack(Frame& f);
    [[noreturn]] void interrupt();

    BasicValue& variable(int kind, int slot, BasicValue* base) {
        if (kind == 1) return globals_[static_cast<std::size_t>(slot)];
        BasicValue& v = base[slot];
        return kind == 2 && v.type() == BasicType::Ref ? *v.rawRef() : v;
    }
    BasicValue& element(BasicValue& var, BasicValue* indexes, int count);
    void dimArray(BasicValue& var, int dims, BasicType type, int flags, bool redim);
    void forInit(BasicValue& var, BasicValue& start, BasicValue& limit, BasicValue& step);
    bool forContinues(const BasicValue& var, const BasicValue& limit, const BasicValue& step);
    void forStep(BasicValue& var, const BasicValue& step, BasicType declared);

    void invoke(int id, std::uint16_t resultClass, std::uint32_t object, BasicValue* args, int argc, BasicValue& result);
    void callHost(int entry, BasicValue* args, int argc, BasicValue& result);
    const BasicLibraryEntry& member(const BasicValue& obj, int nameIndex, int argc) const;
    void readProperty(const BasicLibraryEntry& e, std::uint32_t handle, BasicValue& result);
    void callMember(int nameIndex, BasicValue* object, int argc, bool wantResult, BasicValue& result);
    void getProperty(int nameIndex, BasicValue& object);
    void setProperty(int nameIndex, BasicValue* object);
    void printItem(const BasicValue& v, int separator);
    void printEnd(bool newline);
    int messageBox(BasicValue* args, int argc);
    void raise(BasicValue* args, int argc);
    void checkLength(std::size_t length) const;

    std::shared_ptr<const BasicModule> module_;
    BasicHost& host_;
    BasicLimits limits_;
    void* const* context_;
    std::unique_ptr<BasicValue[]> stack_;
    BasicValue* stackEnd_ = nullptr;
    BasicValue* sp_ = nullptr;
    std::vector<Frame> frames_;
    std::vector<BasicValue> globals_;
    std::vector<BasicValue> strings_;  // the module's string constants, made once per instance
    std::atomic<bool> cancel_{false};
    std::int64_t steps_ = 0;
    BasicBuiltinState builtins_;
    std::string printLine_;
    int errNumber_ = 0;
    std::string errDescription_;
    BasicRunError unhandled_;
    bool ended_ = false;
};

}  // namespace kestrune
