// The interpreter's slower paths: calls and errors, arrays, For loops, the
// host's objects, Print and MsgBox.
#include "components/basic/basic_machine.h"

#include <algorithm>
#include <limits>

#include "components/basic/basic_convert.h"
#include "components/basic/basic_ops.h"

namespace kestrune {

namespace {

constexpr std::ptrdiff_t kStackMargin = 64 * 66;

// The first statement mark at or after `pc` + 1: where Resume Next goes.
int nextStatement(const BasicProc& proc, int faultPc) {
    auto it = std::upper_bound(proc.lines.begin(), proc.lines.end(), faultPc,
                               [](int pc, const BasicLineMark& m) { return pc < m.pc; });
    return it == proc.lines.end() ? static_cast<int>(proc.code.size()) - 1 : it->pc;
}

int thisStatement(const BasicProc& proc, int faultPc) {
    auto it = std::upper_bound(proc.lines.begin(), proc.lines.end(), faultPc,
                               [](int pc, const BasicLineMark& m) { return pc < m.pc; });
    return it == proc.lines.begin() ? 0 : std::prev(it)->pc;
}

bool isWholeType(BasicType t) {
    return t == BasicType::Integer || t == BasicType::Long;
}

bool untrappable(int number) {
    return number == kBasicInterrupted || number == kBasicStepBudget;
}

}  // namespace

int BasicProc::lineAt(int pc) const {
    auto it = std::upper_bound(lines.begin(), lines.end(), pc, [](int p, const BasicLineMark& m) { return p < m.pc; });
    return it == lines.begin() ? firstLine : std::prev(it)->line;
}

int BasicModule::findProc(std::string_view name) const {
    for (std::size_t i = 1; i < procs.size(); ++i)
        if (basicNameEquals(procs[i].name, name)) return static_cast<int>(i);
    return -1;
}

BasicMachine::BasicMachine(std::shared_ptr<const BasicModule> module, BasicHost& host, BasicLimits limits,
                           void* const* context)
    : module_(std::move(module)), host_(host), limits_(limits), context_(context) {
    limits_.stackValues = std::max(limits_.stackValues, static_cast<int>(kStackMargin * 2));
    limits_.maxCallDepth = std::max(limits_.maxCallDepth, 2);
    stack_ = std::make_unique<BasicValue[]>(static_cast<std::size_t>(limits_.stackValues));
    stackEnd_ = stack_.get() + limits_.stackValues;
    sp_ = stack_.get();
    frames_.reserve(static_cast<std::size_t>(std::min(limits_.maxCallDepth, 256)) + 1);
    builtins_.maxStringLength = limits_.maxStringLength;
    for (const std::string& s : module_->strings) strings_.push_back(BasicValue::string(s));
    reset();
}

void BasicMachine::reset() {
    globals_.clear();
    for (BasicType t : module_->globalTypes) globals_.push_back(basicDefault(t));
    errNumber_ = 0;
    errDescription_.clear();
    run(0);  // module-level arrays and New objects
}

BasicRunResult BasicMachine::run(int entry) {
    BasicRunResult result;
    if (entry < 0 || static_cast<std::size_t>(entry) >= module_->procs.size()) {
        result.status = Status(kBasicUndefinedProcedure, "no such entry");
        return result;
    }
    cancel_.store(false, std::memory_order_relaxed);
    steps_ = limits_.stepBudget > 0 ? limits_.stepBudget : std::numeric_limits<std::int64_t>::max();
    unhandled_ = BasicRunError{};
    sp_ = stack_.get();
    const BasicProc& proc = module_->procs[static_cast<std::size_t>(entry)];
    for (std::size_t i = 0; i < proc.params.size(); ++i) *sp_++ = BasicValue::missing();
    try {
        enterProc(entry, static_cast<int>(proc.params.size()), false);
        execute();
    } catch (const BasicError& e) {
        unhandled_ = BasicRunError{e.number, proc.firstLine, e.message, proc.name};
        unwindTo(0);
    }
    for (BasicValue* v = stack_.get(); v < sp_; ++v) v->clear();
    sp_ = stack_.get();
    if (!printLine_.empty()) printEnd(true);
    result.error = unhandled_;
    if (unhandled_.number != 0) host_.runtimeError(unhandled_);
    return result;
}

void BasicMachine::enterProc(int index, int argc, bool wantResult) {
    const BasicProc& p = module_->procs[static_cast<std::size_t>(index)];
    if (frames_.size() >= static_cast<std::size_t>(limits_.maxCallDepth)) throwBasicError(kBasicOutOfStack);
    BasicValue* base = sp_ - argc;
    const std::size_t locals = p.params.size() + p.localTypes.size();
    if (stackEnd_ - base < static_cast<std::ptrdiff_t>(locals) + kStackMargin) throwBasicError(kBasicOutOfStack);
    for (std::size_t i = 0; i < p.params.size(); ++i) {
        const BasicParam& param = p.params[i];
        BasicValue& v = base[i];
        if (v.type() == BasicType::Ref && !param.byRef) v = BasicValue(*v.rawRef());
        if (v.type() == BasicType::Ref || param.isArray || param.type == BasicType::Variant) continue;
        if (v.isMissing()) v = basicDefault(param.type);
        else if (v.type() != param.type) v = basicCoerce(v, param.type);
    }
    for (std::size_t j = 0; j < p.localTypes.size(); ++j) base[p.params.size() + j] = basicDefault(p.localTypes[j]);
    sp_ = base + locals;
    Frame f;
    f.proc = &p;
    f.base = base;
    f.wantResult = wantResult;
    frames_.push_back(f);
}

void BasicMachine::unwindTo(std::size_t count) {
    while (frames_.size() > count) {
        for (BasicValue* v = frames_.back().base; v < sp_; ++v) v->clear();
        sp_ = frames_.back().base;
        frames_.pop_back();
    }
}

void BasicMachine::resetStack(Frame& f) {
    BasicValue* top = f.base + f.proc->params.size() + f.proc->localTypes.size();
    for (BasicValue* v = top; v < sp_; ++v) v->clear();
    sp_ = top;
}

void BasicMachine::interrupt() {
    if (cancel_.load(std::memory_order_relaxed)) throwBasicError(kBasicInterrupted);
    throwBasicError(kBasicStepBudget);
}

bool BasicMachine::handleError(const BasicError& error) {
    errNumber_ = error.number;
    errDescription_ = error.message.empty() ? std::string(basicErrorText(error.number)) : error.message;
    const Frame& top = frames_.back();
    const BasicRunError where{error.number, top.proc->lineAt(top.pc - 1), errDescription_, top.proc->name};
    if (!untrappable(error.number)) {
        for (std::size_t i = frames_.size(); i-- > 0;) {
            Frame& f = frames_[i];
            const int fault = f.pc - 1;
            if (f.errMode == 0 || (f.errMode == 1 && f.inHandler)) continue;
            unwindTo(i + 1);
            resetStack(f);
            if (f.errMode == 2) {
                f.pc = nextStatement(*f.proc, fault);
            } else {
                f.inHandler = true;
                f.resumePc = thisStatement(*f.proc, fault);
                f.resumeNextPc = nextStatement(*f.proc, fault);
                f.pc = f.handler;
            }
            return true;
        }
    }
    unhandled_ = where;
    unwindTo(0);
    return false;
}

void BasicMachine::checkLength(std::size_t length) const {
    if (length > limits_.maxStringLength) throwBasicError(kBasicOutOfStringSpace);
}

BasicValue& BasicMachine::element(BasicValue& var, BasicValue* indexes, int count) {
    if (var.type() != BasicType::Array) throwBasicError(var.type() == BasicType::Empty ? kBasicSubscript : kBasicTypeMismatch);
    BasicArray& a = *var.rawArray();
    if (count != a.dims) throwBasicError(kBasicSubscript);
    std::size_t flat = 0;
    for (int d = 0; d < count; ++d) {
        const BasicValue& iv = indexes[d];
        const std::int64_t i = (isWholeType(iv.type()) ? iv.rawInt() : basicToLong(iv)) - static_cast<std::int64_t>(a.lower[d]);
        if (i < 0 || i >= a.count[d]) throwBasicError(kBasicSubscript);
        flat = flat * static_cast<std::size_t>(a.count[d]) + static_cast<std::size_t>(i);
    }
    return a.data[flat];
}

void BasicMachine::dimArray(BasicValue& var, int dims, BasicType type, int flags, bool redim) {
    const bool once = (flags & 0x100) != 0;
    const bool preserve = (flags & 0x200) != 0;
    if (once && var.type() == BasicType::Array) return;
    if (redim && var.type() == BasicType::Array && var.rawArray()->fixed) throwBasicError(kBasicFixedArray);
    int values = 0;
    for (int d = 0; d < dims; ++d) values += (flags >> d & 1) ? 2 : 1;
    BasicValue* at = sp_ - values;
    auto made = std::make_unique<BasicArray>();
    made->element = type == BasicType::Empty ? BasicType::Variant : type;
    made->fixed = !redim;
    made->dims = dims;
    std::int64_t total = 1;
    for (int d = 0; d < dims; ++d) {
        const std::int32_t lower = (flags >> d & 1) ? basicToLong(*at++) : 0;
        const std::int32_t upper = basicToLong(*at++);
        const std::int64_t n = static_cast<std::int64_t>(upper) - lower + 1;
        if (n < 0) throwBasicError(kBasicSubscript);
        made->lower[d] = lower;
        made->count[d] = static_cast<std::int32_t>(std::min<std::int64_t>(n, INT32_MAX));
        total *= n;
        if (total > limits_.maxArrayElements) throwBasicError(kBasicOutOfMemory);
    }
    made->data.assign(static_cast<std::size_t>(total), basicDefault(made->element));
    if (preserve && var.type() == BasicType::Array) {
        const BasicArray& old = *var.rawArray();
        if (old.dims != dims) throwBasicError(kBasicSubscript);
        // Every element whose indexes exist in both keeps its value.
        std::vector<std::int32_t> index(static_cast<std::size_t>(dims), 0);
        for (std::size_t flat = 0; flat < old.data.size(); ++flat) {
            std::size_t rest = flat;
            for (int d = dims - 1; d >= 0; --d) {
                index[static_cast<std::size_t>(d)] = static_cast<std::int32_t>(rest % static_cast<std::size_t>(old.count[d])) + old.lower[d];
                rest /= static_cast<std::size_t>(old.count[d]);
            }
            std::size_t target = 0;
            bool inside = true;
            for (int d = 0; d < dims && inside; ++d) {
                const std::int64_t i = static_cast<std::int64_t>(index[static_cast<std::size_t>(d)]) - made->lower[d];
                inside = i >= 0 && i < made->count[d];
                target = target * static_cast<std::size_t>(made->count[d]) + static_cast<std::size_t>(i);
            }
            if (inside) made->data[target] = basicCoerce(old.data[flat], made->element);
        }
    }
    var = BasicValue::array(made.release());
}

void BasicMachine::forInit(BasicValue& var, BasicValue& start, BasicValue& limit, BasicValue& step) {
    const BasicType t = var.type();
    const bool typed = t == BasicType::Integer || t == BasicType::Long || t == BasicType::Single || t == BasicType::Double;
    var = typed ? basicCoerce(start, t) : BasicValue(start);
    if (!var.isNumeric() || var.type() == BasicType::Empty) var = BasicValue::doubleValue(basicToDouble(var));
    if (!limit.isNumeric()) limit = BasicValue::doubleValue(basicToDouble(limit));
    if (!step.isNumeric()) step = BasicValue::doubleValue(basicToDouble(step));
}

bool BasicMachine::forContinues(const BasicValue& var, const BasicValue& limit, const BasicValue& step) {
    const bool up = basicToDouble(step) >= 0;
    const int c = basicCompare(var, limit);
    return up ? c <= 0 : c >= 0;
}

void BasicMachine::forStep(BasicValue& var, const BasicValue& step, BasicType declared) {
    BasicValue sum = basicBinary(BasicOp::Add, var, step);
    var = declared == BasicType::Variant ? std::move(sum) : basicCoerce(sum, declared);
}

void BasicMachine::raise(BasicValue* args, int argc) {
    const std::int32_t number = basicToLong(args[0]);
    if (number <= 0 || number > 65535) throwBasicError(kBasicInvalidCall);
    std::string text;
    if (argc >= 3 && !args[2].isMissing()) text = basicToString(args[2]);
    if (text.empty()) text = std::string(basicErrorText(number));
    if (text.empty()) text = "Application-defined or object-defined error";
    throwBasicError(number, std::move(text));
}

}  // namespace kestrune
