#include "components/basic/basic_engine.h"

#include <new>

#include "components/basic/basic_compiler.h"
#include "components/basic/basic_convert.h"
#include "components/basic/basic_errors.h"
#include "components/basic/basic_machine.h"

namespace kestrune {

namespace {

BasicCompileResult compileFailure(int number, int line) {
    BasicCompileResult r;
    r.errorNumber = number;
    r.line = line;
    r.status = Status(kBasicCompileError,
                      "error " + std::to_string(number) + " at line " + std::to_string(line) + ": " +
                          std::string(basicErrorText(number)));
    return r;
}

}  // namespace

BasicCompileResult compileBasic(std::string_view source, const BasicLibrary* library) {
    BasicLexResult lexed = lexBasic(source);
    if (lexed.errorNumber != 0) return compileFailure(lexed.errorNumber, lexed.errorLine);
    BasicCompiler compiler(std::move(lexed.tokens), library);
    try {
        BasicCompileResult r;
        r.module = compiler.compile();
        return r;
    } catch (const BasicError& e) {
        return compileFailure(e.number, compiler.line());
    } catch (const std::bad_alloc&) {
        return compileFailure(kBasicOutOfMemory, compiler.line());
    }
}

std::string_view basicErrorTextFor(int number) {
    return basicErrorText(number);
}

// ---- host calls

// The conversions never throw into the host's code: a failure is recorded as
// the call's error (the first one wins) and the host gets a zero value.
template <typename T, typename F>
T BasicHostCall::converted(int index, F convert) const {
    if (raisedNumber_ != 0) return T{};
    try {
        return convert(arg(index));
    } catch (const BasicError& e) {
        raisedNumber_ = e.number;
        raisedText_ = e.message;
        return T{};
    }
}

const BasicValue& BasicHostCall::arg(int index) const {
    static const BasicValue kMissing = BasicValue::missing();
    if (index < 0 || index >= argCount()) return kMissing;
    const BasicValue& v = args_[static_cast<std::size_t>(index)];
    return v.type() == BasicType::Ref ? *v.rawRef() : v;
}

std::int16_t BasicHostCall::argInteger(int index) const {
    return converted<std::int16_t>(index, [](const BasicValue& v) { return basicToInteger(v); });
}

std::int32_t BasicHostCall::argLong(int index) const {
    return converted<std::int32_t>(index, [](const BasicValue& v) { return basicToLong(v); });
}

float BasicHostCall::argSingle(int index) const {
    return converted<float>(index, [](const BasicValue& v) { return basicToSingle(v); });
}

std::string BasicHostCall::argString(int index) const {
    return converted<std::string>(index, [](const BasicValue& v) { return basicToString(v); });
}

std::uint32_t BasicHostCall::argObject(int index) const {
    return converted<std::uint32_t>(index, [](const BasicValue& v) {
        if (v.type() != BasicType::Object) throwBasicError(kBasicObjectRequired);
        return v.objectHandle();
    });
}

void BasicHostCall::raise(int number, std::string text) {
    raisedNumber_ = number;
    raisedText_ = std::move(text);
}

// ---- instances

BasicInstance::BasicInstance(std::shared_ptr<const BasicModule> module, BasicHost& host, BasicLimits limits)
    : machine_(std::make_unique<BasicMachine>(std::move(module), host, limits, &context_)) {}

BasicInstance::~BasicInstance() = default;

int BasicInstance::findEntry(std::string_view name) const {
    return machine_->module().findProc(name);
}

BasicRunResult BasicInstance::run(int entry) {
    BasicRunResult r = entry <= 0 ? BasicRunResult{Status(kBasicUndefinedProcedure, "no such entry"), {}}
                                  : machine_->run(entry);
    lastError_ = r.error;
    return r;
}

BasicRunResult BasicInstance::run(std::string_view entryName) {
    const int entry = findEntry(entryName);
    if (entry < 0) {
        BasicRunResult r;
        r.status = Status(kBasicUndefinedProcedure, "no Sub named " + std::string(entryName));
        return r;
    }
    return run(entry);
}

void BasicInstance::cancel() {
    machine_->cancel();
}

void BasicInstance::reset() {
    machine_->reset();
}

}  // namespace kestrune
