#include "components/basic/basic_machine.h"

#include <limits>
#include <new>

#include "components/basic/basic_convert.h"
#include "components/basic/basic_ops.h"

namespace kestrune {

namespace {

// Temporaries one statement can push: 64 nesting levels of 64 arguments.
constexpr std::ptrdiff_t kStackMargin = 64 * 66;

inline bool isWhole(BasicType t) {
    return t == BasicType::Integer || t == BasicType::Long;
}

// Integer and Long arithmetic in place, widening as basicBinary does; false
// when an operand is of another type.
inline bool wholeArithmetic(BasicOp op, BasicValue& a, const BasicValue& b) {
    const BasicType ta = a.type();
    const BasicType tb = b.type();
    if (!isWhole(ta) || !isWhole(tb)) return false;
    const std::int64_t x = a.rawInt();
    const std::int64_t y = b.rawInt();
    std::int64_t r;
    switch (op) {
        case BasicOp::Add: r = x + y; break;
        case BasicOp::Sub: r = x - y; break;
        case BasicOp::Mul: r = x * y; break;
        case BasicOp::Mod:
        case BasicOp::IDiv: {
            if (y == 0) throwBasicError(kBasicDivisionByZero);
            if (y == -1) {  // the one quotient that does not fit in 32 bits
                r = op == BasicOp::Mod ? 0 : -x;
                break;
            }
            const std::int32_t x32 = static_cast<std::int32_t>(x);
            const std::int32_t y32 = static_cast<std::int32_t>(y);
            r = op == BasicOp::Mod ? x32 % y32 : x32 / y32;
            break;
        }
        default: return false;
    }
    if (ta == BasicType::Integer && tb == BasicType::Integer && r >= -32768 && r <= 32767)
        a.setInt(BasicType::Integer, static_cast<std::int32_t>(r));
    else if (r >= INT32_MIN && r <= INT32_MAX)
        a.setInt(BasicType::Long, static_cast<std::int32_t>(r));
    else
        a = BasicValue::doubleValue(static_cast<double>(r));
    return true;
}

inline bool truth(const BasicValue& v) {
    const BasicType t = v.type();
    if (t == BasicType::Boolean || isWhole(t)) return v.rawInt() != 0;
    return basicToBool(v);
}

inline int compareFast(const BasicValue& a, const BasicValue& b) {
    if (isWhole(a.type()) && isWhole(b.type())) return a.rawInt() < b.rawInt() ? -1 : a.rawInt() > b.rawInt() ? 1 : 0;
    return basicCompare(a, b);
}

// The right operand of a fused operator: the local the code word names for the
// ...L forms, otherwise the word itself as an Integer constant, made in `constant`.
inline const BasicValue& fusedOperand(BasicOp op, std::int32_t word, const BasicValue* base, BasicValue& constant) {
    if (op >= BasicOp::AddL) return base[word];
    constant.setInt(BasicType::Integer, word);
    return constant;
}

}  // namespace

void BasicMachine::execute() {
    Frame* f = &frames_.back();
    const std::int32_t* code = f->proc->code.data();
    int pc = f->pc;
    BasicValue* base = f->base;
    BasicValue* sp = sp_;
    const BasicValue* constants = module_->constants.data();
#define KESTRUNE_BASIC_RELOAD()            \
    do {                                   \
        f = &frames_.back();               \
        code = f->proc->code.data();       \
        pc = f->pc;                        \
        base = f->base;                    \
        sp = sp_;                          \
    } while (false)
    for (;;) {
        try {
            for (;;) {
                const BasicOp op = static_cast<BasicOp>(code[pc++]);
                switch (op) {
                    case BasicOp::PushInt:
                        sp->setInt(BasicType::Integer, code[pc++]);
                        ++sp;
                        break;
                    case BasicOp::PushLong:
                        sp->setInt(BasicType::Long, code[pc++]);
                        ++sp;
                        break;
                    case BasicOp::PushConst: *sp++ = constants[code[pc++]]; break;
                    case BasicOp::PushStr: *sp++ = strings_[static_cast<std::size_t>(code[pc++])]; break;
                    case BasicOp::PushBool:
                        sp->setBool(code[pc++] != 0);
                        ++sp;
                        break;
                    case BasicOp::PushEmpty: ++sp; break;
                    case BasicOp::PushMissing: *sp++ = BasicValue::missing(); break;
                    case BasicOp::PushNothing: *sp++ = BasicValue::object(0, 0); break;
                    case BasicOp::LoadL: (sp++)->initFrom(base[code[pc++]]); break;
                    case BasicOp::StoreL: {
                        BasicValue& v = sp[-1];
                        const auto t = static_cast<BasicType>(code[pc + 1]);
                        if (v.type() != t && t != BasicType::Variant) v = basicCoerce(v, t);
                        BasicValue& dst = base[code[pc]];
                        if (dst.isCounted()) dst.clear();
                        dst.adopt(v);
                        pc += 2;
                        --sp;
                        break;
                    }
                    case BasicOp::LoadR: {
                        const BasicValue& v = base[code[pc++]];
                        (sp++)->initFrom(v.type() == BasicType::Ref ? *v.rawRef() : v);
                        break;
                    }
                    case BasicOp::StoreR: {
                        BasicValue& slot = base[code[pc]];
                        BasicValue& target = slot.type() == BasicType::Ref ? *slot.rawRef() : slot;
                        BasicValue& v = sp[-1];
                        const auto t = static_cast<BasicType>(code[pc + 1]);
                        if (v.type() != t && t != BasicType::Variant) v = basicCoerce(v, t);
                        target = std::move(v);
                        pc += 2;
                        --sp;
                        break;
                    }
                    case BasicOp::LoadG: (sp++)->initFrom(globals_[static_cast<std::size_t>(code[pc++])]); break;
                    case BasicOp::StoreG: {
                        BasicValue& v = sp[-1];
                        const auto t = static_cast<BasicType>(code[pc + 1]);
                        if (v.type() != t && t != BasicType::Variant) v = basicCoerce(v, t);
                        globals_[static_cast<std::size_t>(code[pc])] = std::move(v);
                        pc += 2;
                        --sp;
                        break;
                    }
                    case BasicOp::RefL: *sp++ = BasicValue::ref(&base[code[pc++]]); break;
                    case BasicOp::RefG: *sp++ = BasicValue::ref(&globals_[static_cast<std::size_t>(code[pc++])]); break;
                    case BasicOp::RefR: {
                        BasicValue& v = base[code[pc++]];
                        *sp++ = v.type() == BasicType::Ref ? v : BasicValue::ref(&v);
                        break;
                    }
                    case BasicOp::Pop: (--sp)->clear(); break;
                    case BasicOp::Neg: sp[-1] = basicNegate(sp[-1]); break;
                    case BasicOp::Not: sp[-1] = basicNot(sp[-1]); break;
                    case BasicOp::Add:
                    case BasicOp::Sub:
                    case BasicOp::Mul:
                    case BasicOp::Mod:
                    case BasicOp::IDiv: {
                        BasicValue& a = sp[-2];
                        const BasicValue& b = sp[-1];
                        if (wholeArithmetic(op, a, b)) {
                            (--sp)->forget();
                            break;
                        }
                        if (a.type() == BasicType::Double && b.type() == BasicType::Double && op <= BasicOp::Mul) {
                            const double x = a.rawDouble();
                            const double y = b.rawDouble();
                            a.setRawDouble(op == BasicOp::Add ? x + y : op == BasicOp::Sub ? x - y : x * y);
                        } else {
                            a = basicBinary(op, a, b);
                            if (a.type() == BasicType::String) checkLength(a.rawString().size());
                        }
                        (--sp)->clear();
                        break;
                    }
                    case BasicOp::Cat: {
                        BasicValue& a = sp[-2];
                        const BasicValue& b = sp[-1];
                        if (a.type() == BasicType::String && b.type() == BasicType::String) {
                            checkLength(a.rawString().size() + b.rawString().size());
                            BasicString* rep = a.rawStringRep();
                            if (rep && rep->refs == 1) {
                                rep->text.append(b.rawString());
                            } else {
                                std::string joined;
                                joined.reserve(a.rawString().size() + b.rawString().size());
                                joined.append(a.rawString()).append(b.rawString());
                                a = BasicValue::string(std::move(joined));
                            }
                        } else {
                            a = basicBinary(op, a, b);
                            checkLength(a.rawString().size());
                        }
                        (--sp)->clear();
                        break;
                    }
                    case BasicOp::Eq:
                    case BasicOp::Ne:
                    case BasicOp::Lt:
                    case BasicOp::Gt:
                    case BasicOp::Le:
                    case BasicOp::Ge: {
                        const int c = compareFast(sp[-2], sp[-1]);
                        bool r;
                        switch (op) {
                            case BasicOp::Eq: r = c == 0; break;
                            case BasicOp::Ne: r = c != 0; break;
                            case BasicOp::Lt: r = c < 0; break;
                            case BasicOp::Gt: r = c > 0; break;
                            case BasicOp::Le: r = c <= 0; break;
                            default: r = c >= 0; break;
                        }
                        (--sp)->clear();
                        sp[-1].clear();
                        sp[-1].setBool(r);
                        break;
                    }
                    case BasicOp::Div:
                    case BasicOp::Pow:
                    case BasicOp::And:
                    case BasicOp::Or:
                    case BasicOp::Xor:
                    case BasicOp::Eqv:
                    case BasicOp::Imp:
                    case BasicOp::Is:
                    case BasicOp::Like:
                        sp[-2] = basicBinary(op, sp[-2], sp[-1]);
                        (--sp)->clear();
                        break;
                    case BasicOp::Jmp: pc = code[pc]; break;
                    case BasicOp::JmpF:
                    case BasicOp::JmpT: {
                        const bool t = truth(sp[-1]);
                        (--sp)->clear();
                        pc = (t == (op == BasicOp::JmpT)) ? code[pc] : pc + 1;
                        break;
                    }
                    case BasicOp::Loop:
                        if (--steps_ < 0 || cancel_.load(std::memory_order_relaxed)) interrupt();
                        pc = code[pc];
                        break;
                    case BasicOp::ForInit: {
                        BasicValue& var = variable(code[pc], code[pc + 1], base);
                        BasicValue& limit = base[code[pc + 2]];
                        BasicValue& step = base[code[pc + 3]];
                        limit = std::move(sp[-2]);
                        step = std::move(sp[-1]);
                        forInit(var, sp[-3], limit, step);
                        sp -= 2;
                        (--sp)->clear();
                        pc = forContinues(var, limit, step) ? pc + 6 : code[pc + 5];
                        break;
                    }
                    case BasicOp::ForNext: {
                        BasicValue& var = variable(code[pc], code[pc + 1], base);
                        const BasicValue& limit = base[code[pc + 2]];
                        const BasicValue& step = base[code[pc + 3]];
                        const auto declared = static_cast<BasicType>(code[pc + 4]);
                        if (--steps_ < 0 || cancel_.load(std::memory_order_relaxed)) interrupt();
                        bool again;
                        if (isWhole(var.type()) && isWhole(step.type()) && isWhole(limit.type())) {
                            const std::int64_t v = static_cast<std::int64_t>(var.rawInt()) + step.rawInt();
                            const bool narrow = declared == BasicType::Integer ||
                                                (declared != BasicType::Long && var.type() == BasicType::Integer);
                            if (narrow && v >= -32768 && v <= 32767) var.setInt(BasicType::Integer, static_cast<std::int32_t>(v));
                            else if (declared != BasicType::Integer && v >= INT32_MIN && v <= INT32_MAX)
                                var.setInt(BasicType::Long, static_cast<std::int32_t>(v));
                            else if (declared == BasicType::Variant) var = BasicValue::doubleValue(static_cast<double>(v));
                            else throwBasicError(kBasicOverflow);
                            again = step.rawInt() >= 0 ? v <= limit.rawInt() : v >= limit.rawInt();
                        } else {
                            forStep(var, step, declared);
                            again = forContinues(var, limit, step);
                        }
                        pc = again ? code[pc + 5] : pc + 6;
                        break;
                    }
                    case BasicOp::Call: {
                        const int index = code[pc];
                        const int argc = code[pc + 1];
                        const bool want = code[pc + 2] != 0;
                        pc += 3;
                        f->pc = pc;
                        sp_ = sp;
                        if (--steps_ < 0 || cancel_.load(std::memory_order_relaxed)) interrupt();
                        enterProc(index, argc, want);
                        KESTRUNE_BASIC_RELOAD();
                        break;
                    }
                    case BasicOp::Ret: {
                        const BasicProc& proc = *f->proc;
                        BasicValue result;
                        if (proc.isFunction) result = std::move(base[proc.params.size()]);
                        const bool want = f->wantResult;
                        if (f->inHandler) {
                            errNumber_ = 0;
                            errDescription_.clear();
                        }
                        for (BasicValue* v = base; v < sp; ++v) v->clear();
                        sp_ = base;
                        frames_.pop_back();
                        if (frames_.empty()) return;
                        KESTRUNE_BASIC_RELOAD();
                        if (want) *sp++ = std::move(result);
                        break;
                    }
                    case BasicOp::Builtin: {
                        const int argc = code[pc + 1];
                        BasicValue r = basicCallBuiltin(code[pc], sp - argc, argc, builtins_);
                        pc += 2;
                        for (int i = 0; i < argc; ++i) (--sp)->clear();
                        *sp++ = std::move(r);
                        break;
                    }
                    case BasicOp::CallHost: {
                        const int argc = code[pc + 1];
                        BasicValue r;
                        callHost(code[pc], sp - argc, argc, r);
                        const bool want = code[pc + 2] != 0;
                        pc += 3;
                        for (int i = 0; i < argc; ++i) (--sp)->clear();
                        if (want) *sp++ = std::move(r);
                        break;
                    }
                    case BasicOp::CallMember: {
                        const int argc = code[pc + 1];
                        const bool want = code[pc + 2] != 0;
                        BasicValue r;
                        callMember(code[pc], sp - argc - 1, argc, want, r);
                        pc += 3;
                        for (int i = 0; i <= argc; ++i) (--sp)->clear();
                        if (want) *sp++ = std::move(r);
                        break;
                    }
                    case BasicOp::GetProp: getProperty(code[pc++], sp[-1]); break;
                    case BasicOp::SetProp:
                        setProperty(code[pc++], sp - 2);
                        (--sp)->clear();
                        (--sp)->clear();
                        break;
                    case BasicOp::NewObject: {
                        BasicValue r;
                        callHost(code[pc++], sp, 0, r);
                        *sp++ = std::move(r);
                        break;
                    }
                    case BasicOp::DimArray:
                    case BasicOp::ReDim: {
                        BasicValue& var = variable(code[pc], code[pc + 1], base);
                        const int dims = code[pc + 2];
                        const int flags = code[pc + 4];
                        int values = 0;
                        for (int d = 0; d < dims; ++d) values += (flags >> d & 1) ? 2 : 1;
                        sp_ = sp;
                        dimArray(var, dims, static_cast<BasicType>(code[pc + 3]), flags, op == BasicOp::ReDim);
                        for (int i = 0; i < values; ++i) (--sp)->clear();
                        pc += 5;
                        break;
                    }
                    case BasicOp::LoadIdx: {
                        const int n = code[pc + 2];
                        BasicValue& var = variable(code[pc], code[pc + 1], base);
                        BasicValue copy = element(var, sp - n, n);
                        pc += 3;
                        for (int i = 0; i < n; ++i) (--sp)->clear();
                        *sp++ = std::move(copy);
                        break;
                    }
                    case BasicOp::StoreIdx: {
                        const int n = code[pc + 2];
                        BasicValue& var = variable(code[pc], code[pc + 1], base);
                        BasicValue& target = element(var, sp - n - 1, n);
                        BasicValue& v = sp[-1];
                        const BasicType t = var.rawArray()->element;
                        if (v.type() != t && t != BasicType::Variant) v = basicCoerce(v, t);
                        target = std::move(v);
                        pc += 3;
                        --sp;
                        for (int i = 0; i < n; ++i) (--sp)->clear();
                        break;
                    }
                    case BasicOp::Erase: {
                        BasicValue& var = variable(code[pc], code[pc + 1], base);
                        pc += 2;
                        if (var.type() == BasicType::Array && var.rawArray()->fixed) {
                            for (BasicValue& e : var.rawArray()->data) e = basicDefault(var.rawArray()->element);
                        } else {
                            var.clear();
                        }
                        break;
                    }
                    case BasicOp::PrintItem:
                        printItem(sp[-1], code[pc++]);
                        (--sp)->clear();
                        break;
                    case BasicOp::PrintEnd: printEnd(code[pc++] != 0); break;
                    case BasicOp::OnError:
                        f->errMode = static_cast<std::uint8_t>(code[pc]);
                        f->handler = code[pc + 1];
                        pc += 2;
                        errNumber_ = 0;
                        errDescription_.clear();
                        break;
                    case BasicOp::Resume: {
                        if (!f->inHandler) throwBasicError(kBasicResumeWithoutError);
                        // Resume can go back to the failing statement: a loop like any other.
                        if (--steps_ < 0 || cancel_.load(std::memory_order_relaxed)) interrupt();
                        const int mode = code[pc];
                        f->inHandler = false;
                        errNumber_ = 0;
                        errDescription_.clear();
                        pc = mode == 0 ? f->resumePc : mode == 1 ? f->resumeNextPc : code[pc + 1];
                        break;
                    }
                    case BasicOp::ErrRaise: raise(sp - code[pc], code[pc]); break;
                    case BasicOp::ErrClear:
                        errNumber_ = 0;
                        errDescription_.clear();
                        break;
                    case BasicOp::ErrNumber: *sp++ = BasicValue::longValue(errNumber_); break;
                    case BasicOp::ErrDescription: *sp++ = BasicValue::string(errDescription_); break;
                    case BasicOp::MsgBox: {
                        const int argc = code[pc];
                        const bool want = code[pc + 1] != 0;
                        const int answer = messageBox(sp - argc, argc);
                        pc += 2;
                        for (int i = 0; i < argc; ++i) (--sp)->clear();
                        if (want) *sp++ = BasicValue::integer(static_cast<std::int16_t>(answer));
                        break;
                    }
                    case BasicOp::End:
                        sp_ = sp;
                        unwindTo(0);
                        return;
                    case BasicOp::AddK:
                    case BasicOp::SubK:
                    case BasicOp::MulK:
                    case BasicOp::ModK:
                    case BasicOp::IDivK:
                    case BasicOp::AddL:
                    case BasicOp::SubL:
                    case BasicOp::MulL: {
                        BasicValue& a = sp[-1];
                        BasicValue k;
                        const BasicValue& b = fusedOperand(op, code[pc], base, k);
                        const BasicOp plain = basicPlainOp(op);
                        if (!wholeArithmetic(plain, a, b)) {
                            if (a.type() == BasicType::Double && b.type() == BasicType::Double && plain <= BasicOp::Mul) {
                                const double x = a.rawDouble();
                                const double y = b.rawDouble();
                                a.setRawDouble(plain == BasicOp::Add ? x + y : plain == BasicOp::Sub ? x - y : x * y);
                            } else {
                                a = basicBinary(plain, a, b);
                                if (a.type() == BasicType::String) checkLength(a.rawString().size());
                            }
                        }
                        ++pc;
                        break;
                    }
                    case BasicOp::AddToL: {
                        BasicValue& dst = base[code[pc]];
                        const auto t = static_cast<BasicType>(code[pc + 1]);
                        const BasicValue& b = sp[-1];
                        if (dst.type() == BasicType::Long && t == BasicType::Long && isWhole(b.type())) {
                            const std::int64_t r = static_cast<std::int64_t>(dst.rawInt()) + b.rawInt();
                            if (r < INT32_MIN || r > INT32_MAX) throwBasicError(kBasicOverflow);
                            dst.setRawInt(static_cast<std::int32_t>(r));
                        } else if (dst.type() == BasicType::Double && b.type() == BasicType::Double) {
                            dst.setRawDouble(dst.rawDouble() + b.rawDouble());
                        } else {
                            BasicValue sum = basicBinary(BasicOp::Add, dst, b);
                            if (sum.type() == BasicType::String) checkLength(sum.rawString().size());
                            dst = t == BasicType::Variant ? std::move(sum) : basicCoerce(sum, t);
                        }
                        pc += 2;
                        (--sp)->clear();
                        break;
                    }
                    case BasicOp::CatToL: {
                        BasicValue& dst = base[code[pc]];
                        const auto t = static_cast<BasicType>(code[pc + 1]);
                        BasicValue& b = sp[-1];
                        if (b.type() != BasicType::String) b = BasicValue::string(basicToString(b));
                        if (dst.type() != BasicType::String) dst = BasicValue::string(basicToString(dst));
                        checkLength(dst.rawString().size() + b.rawString().size());
                        BasicString* rep = dst.rawStringRep();
                        if (rep && rep->refs == 1) rep->text.append(b.rawString());
                        else if (!rep) dst = b;
                        else dst = BasicValue::string(std::string(dst.rawString()).append(b.rawString()));
                        if (t != BasicType::String && t != BasicType::Variant) dst = basicCoerce(dst, t);
                        pc += 2;
                        (--sp)->clear();
                        break;
                    }
                    case BasicOp::EqK:
                    case BasicOp::NeK:
                    case BasicOp::LtK:
                    case BasicOp::GtK:
                    case BasicOp::LeK:
                    case BasicOp::GeK:
                    case BasicOp::EqL:
                    case BasicOp::NeL:
                    case BasicOp::LtL:
                    case BasicOp::GtL:
                    case BasicOp::LeL:
                    case BasicOp::GeL: {
                        BasicValue& a = sp[-1];
                        BasicValue k;
                        const BasicValue& b = fusedOperand(op, code[pc], base, k);
                        const int c = compareFast(a, b);
                        bool r;
                        switch (basicPlainOp(op)) {
                            case BasicOp::Eq: r = c == 0; break;
                            case BasicOp::Ne: r = c != 0; break;
                            case BasicOp::Lt: r = c < 0; break;
                            case BasicOp::Gt: r = c > 0; break;
                            case BasicOp::Le: r = c <= 0; break;
                            default: r = c >= 0; break;
                        }
                        a.clear();
                        a.setBool(r);
                        ++pc;
                        break;
                    }
                }
            }
        } catch (const BasicError& e) {
            f->pc = pc;
            sp_ = sp;
            if (!handleError(e)) return;
            KESTRUNE_BASIC_RELOAD();
        } catch (const std::bad_alloc&) {
            f->pc = pc;
            sp_ = sp;
            if (!handleError(BasicError{kBasicOutOfMemory, std::string(basicErrorText(kBasicOutOfMemory))})) return;
            KESTRUNE_BASIC_RELOAD();
        }
    }
#undef KESTRUNE_BASIC_RELOAD
}

}  // namespace kestrune
