#include "components/basic/basic_compiler.h"

#include "components/basic/basic_errors.h"
#include "components/basic/basic_ops.h"

namespace kestrune {

namespace {

constexpr std::size_t kMaxCodeWords = 1u << 24;

}  // namespace

void BasicCompiler::emitWord(std::int32_t w) {
    if (proc_->code.size() >= kMaxCodeWords) fail(kBasicTooComplex);
    proc_->code.push_back(w);
}

void BasicCompiler::emit(BasicOp op) {
    foldBarrier();
    emitWord(static_cast<std::int32_t>(op));
}

void BasicCompiler::emitBinary(BasicOp op) {
    if (tryFold(op)) return;
    const std::size_t n = foldable_.size();
    const BasicOp constantForm = basicFusedOp(op, false);
    if (constantForm != BasicOp::End && n > 0 && foldable_[n - 1].end == pc() &&
        foldable_[n - 1].value.type() == BasicType::Integer) {
        const std::int32_t k = foldable_[n - 1].value.rawInt();
        proc_->code.resize(static_cast<std::size_t>(foldable_[n - 1].start));
        emit(constantForm);
        emitWord(k);
        return;
    }
    const BasicOp localForm = basicFusedOp(op, true);
    if (localForm != BasicOp::End && lastLoadLocal_ >= 0 && lastLoadLocal_ + 2 == pc()) {
        const std::int32_t slot = proc_->code[static_cast<std::size_t>(lastLoadLocal_) + 1];
        proc_->code.resize(static_cast<std::size_t>(lastLoadLocal_));
        emit(localForm);
        emitWord(slot);
        return;
    }
    emit(op);
}

int BasicCompiler::stringConstant(const std::string& s) {
    for (std::size_t i = 0; i < module_->strings.size(); ++i)
        if (module_->strings[i] == s) return static_cast<int>(i);
    if (module_->strings.size() >= kMaxCodeWords) fail(kBasicTooComplex);
    module_->strings.push_back(s);
    return static_cast<int>(module_->strings.size() - 1);
}

void BasicCompiler::emitConstant(const BasicValue& v) {
    std::vector<Folded> kept = std::move(foldable_);
    const int start = pc();
    switch (v.type()) {
        case BasicType::Integer:
            emit(BasicOp::PushInt);
            emitWord(v.rawInt());
            break;
        case BasicType::Long:
            emit(BasicOp::PushLong);
            emitWord(v.rawInt());
            break;
        case BasicType::Boolean:
            emit(BasicOp::PushBool);
            emitWord(v.rawInt() != 0);
            break;
        case BasicType::String:
            emit(BasicOp::PushStr);
            emitWord(stringConstant(std::string(v.rawString())));
            break;
        case BasicType::Empty: emit(BasicOp::PushEmpty); break;
        case BasicType::Error: emit(BasicOp::PushMissing); break;
        case BasicType::Object: emit(BasicOp::PushNothing); break;
        default:
            emit(BasicOp::PushConst);
            if (module_->constants.size() >= kMaxCodeWords) fail(kBasicTooComplex);
            emitWord(static_cast<std::int32_t>(module_->constants.size()));
            module_->constants.push_back(v);
            break;
    }
    foldable_ = std::move(kept);
    foldable_.push_back(Folded{start, pc(), v});
}

bool BasicCompiler::tryFold(BasicOp op) {
    const bool unaryOp = op == BasicOp::Neg || op == BasicOp::Not;
    const std::size_t need = unaryOp ? 1 : 2;
    const std::size_t n = foldable_.size();
    if (n < need || foldable_[n - 1].end != pc()) return false;
    if (!unaryOp && foldable_[n - 2].end != foldable_[n - 1].start) return false;
    BasicValue result;
    try {
        if (op == BasicOp::Neg) result = basicNegate(foldable_[n - 1].value);
        else if (op == BasicOp::Not) result = basicNot(foldable_[n - 1].value);
        else result = basicBinary(op, foldable_[n - 2].value, foldable_[n - 1].value);
    } catch (const BasicError&) {
        return false;  // the error belongs to the run, where it can be handled
    }
    if (result.type() == BasicType::String && result.rawString().size() > 65536) return false;
    const int start = foldable_[n - need].start;
    proc_->code.resize(static_cast<std::size_t>(start));
    foldable_.resize(n - need);
    emitConstant(result);
    return true;
}

int BasicCompiler::emitJump(BasicOp op) {
    emit(op);
    emitWord(-1);
    return pc() - 1;
}

void BasicCompiler::markStatement() {
    foldBarrier();
    if (proc_->lines.size() >= kMaxCodeWords) fail(kBasicTooComplex);
    proc_->lines.push_back(BasicLineMark{pc(), line_});
}

void BasicCompiler::loadSymbol(const BasicSymbol& s) {
    switch (s.kind) {
        case BasicSymbolKind::Local:
            emit(BasicOp::LoadL);
            emitWord(s.slot);
            lastLoadLocal_ = pc() - 2;
            return;
        case BasicSymbolKind::RefParam: emit(BasicOp::LoadR); break;
        case BasicSymbolKind::Global: emit(BasicOp::LoadG); break;
        case BasicSymbolKind::Const: emitConstant(s.constant); return;
        case BasicSymbolKind::Proc: fail(kBasicSyntaxError);
    }
    emitWord(s.slot);
}

void BasicCompiler::storeSymbol(const BasicSymbol& s) {
    switch (s.kind) {
        case BasicSymbolKind::Local: emit(BasicOp::StoreL); break;
        case BasicSymbolKind::RefParam: emit(BasicOp::StoreR); break;
        case BasicSymbolKind::Global: emit(BasicOp::StoreG); break;
        default: fail(kBasicAssignToConstant);
    }
    emitWord(s.slot);
    emitWord(static_cast<std::int32_t>(s.isArray ? BasicType::Variant : s.type));
}

void BasicCompiler::refSymbol(const BasicSymbol& s) {
    switch (s.kind) {
        case BasicSymbolKind::Local: emit(BasicOp::RefL); break;
        case BasicSymbolKind::RefParam: emit(BasicOp::RefR); break;
        case BasicSymbolKind::Global: emit(BasicOp::RefG); break;
        default: loadSymbol(s); return;
    }
    emitWord(s.slot);
}

void BasicCompiler::emitVarOperand(const BasicSymbol& s) {
    switch (s.kind) {
        case BasicSymbolKind::Local: emitWord(0); break;
        case BasicSymbolKind::Global: emitWord(1); break;
        case BasicSymbolKind::RefParam: emitWord(2); break;
        default: fail(kBasicExpectedArray);
    }
    emitWord(s.slot);
}

}  // namespace kestrune
