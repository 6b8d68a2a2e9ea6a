#include "components/basic/basic_compiler.h"

#include "components/basic/basic_builtins.h"
#include "components/basic/basic_errors.h"

namespace kestrune {

namespace {

constexpr int kMaxNesting = 64;
constexpr int kMaxArguments = 64;

struct BinaryLevel {
    std::vector<std::pair<std::string_view, BasicOp>> ops;
    bool names;  // operators spelled as words
};

// From the loosest binding to the tightest; Not sits between And and the comparisons.
const std::vector<BinaryLevel>& levels() {
    static const std::vector<BinaryLevel> table{
        {{{"IMP", BasicOp::Imp}}, true},
        {{{"EQV", BasicOp::Eqv}}, true},
        {{{"XOR", BasicOp::Xor}}, true},
        {{{"OR", BasicOp::Or}}, true},
        {{{"AND", BasicOp::And}}, true},
        {{}, true},  // Not
        {{{"=", BasicOp::Eq},
          {"<>", BasicOp::Ne},
          {"<", BasicOp::Lt},
          {">", BasicOp::Gt},
          {"<=", BasicOp::Le},
          {">=", BasicOp::Ge}},
         false},
        {{{"&", BasicOp::Cat}}, false},
        {{{"+", BasicOp::Add}, {"-", BasicOp::Sub}}, false},
        {{{"MOD", BasicOp::Mod}}, true},
        {{{"\\", BasicOp::IDiv}}, false},
        {{{"*", BasicOp::Mul}, {"/", BasicOp::Div}}, false},
    };
    return table;
}

constexpr int kNotLevel = 5;
constexpr int kComparisonLevel = 6;

}  // namespace

void BasicCompiler::expression() {
    if (++depth_ > kMaxNesting) fail(kBasicTooComplex);
    binaryLevel(0);
    --depth_;
}

void BasicCompiler::binaryLevel(int level) {
    if (level >= static_cast<int>(levels().size())) {
        unary();
        return;
    }
    if (level == kNotLevel) {
        if (acceptName("NOT")) {
            if (++depth_ > kMaxNesting) fail(kBasicTooComplex);
            binaryLevel(kNotLevel);
            --depth_;
            if (!tryFold(BasicOp::Not)) emit(BasicOp::Not);
        } else {
            binaryLevel(level + 1);
        }
        return;
    }
    binaryLevel(level + 1);
    const BinaryLevel& l = levels()[level];
    while (true) {
        BasicOp op = BasicOp::End;
        for (const auto& [text, candidate] : l.ops)
            if (l.names ? isName(text) : isOp(text)) op = candidate;
        if (level == kComparisonLevel && isName("LIKE")) op = BasicOp::Like;
        if (level == kComparisonLevel && isName("IS")) op = BasicOp::Is;
        if (op == BasicOp::End) return;
        next();
        binaryLevel(level + 1);
        emitBinary(op);
    }
}

void BasicCompiler::unary() {
    if (acceptOp("-")) {
        if (++depth_ > kMaxNesting) fail(kBasicTooComplex);
        unary();
        --depth_;
        if (!tryFold(BasicOp::Neg)) emit(BasicOp::Neg);
        return;
    }
    if (acceptOp("+")) {
        unary();
        return;
    }
    power();
}

void BasicCompiler::power() {
    primary();
    while (acceptOp("^")) {
        // The exponent may carry its own sign: 2 ^ -1.
        if (acceptOp("-")) {
            primary();
            if (!tryFold(BasicOp::Neg)) emit(BasicOp::Neg);
        } else {
            primary();
        }
        if (!tryFold(BasicOp::Pow)) emit(BasicOp::Pow);
    }
}

void BasicCompiler::primary() {
    const BasicToken& t = peek();
    switch (t.kind) {
        case BasicTok::Number: {
            next();
            switch (t.suffix) {
                case BasicType::Integer: emitConstant(BasicValue::integer(static_cast<std::int16_t>(t.number))); break;
                case BasicType::Long: emitConstant(BasicValue::longValue(static_cast<std::int32_t>(t.number))); break;
                case BasicType::Single: emitConstant(BasicValue::single(static_cast<float>(t.number))); break;
                default: emitConstant(BasicValue::doubleValue(t.number)); break;
            }
            break;
        }
        case BasicTok::String:
            next();
            emitConstant(BasicValue::string(t.text));
            break;
        case BasicTok::Op:
            if (!acceptOp("(")) fail(kBasicSyntaxError);
            expression();
            expectOp(")");
            break;
        case BasicTok::Name: {
            const BasicToken name = next();
            nameExpression(name);
            break;
        }
        default: fail(kBasicSyntaxError);
    }
    if (isOp(".")) memberChain(false);
}

void BasicCompiler::nameExpression(const BasicToken& name) {
    const std::string& n = name.text;
    if (n == "TRUE" || n == "FALSE") return emitConstant(BasicValue::boolean(n == "TRUE"));
    if (n == "NOTHING") return emit(BasicOp::PushNothing);
    if (n == "EMPTY") return emit(BasicOp::PushEmpty);
    if (n == "NEW") {
        const std::string cls = expectIdentifier();
        const std::uint16_t index = library_ ? library_->classIndex(cls) : 0;
        if (index == 0) fail(kBasicSyntaxError);
        for (std::size_t i = 0; i < library_->entries().size(); ++i) {
            const BasicLibraryEntry& e = library_->entries()[i];
            if (e.kind == BasicEntryKind::Class && basicNameEquals(e.name, cls)) {
                emit(BasicOp::NewObject);
                emitWord(static_cast<std::int32_t>(i));
                return;
            }
        }
    }
    if (n == "ERR" && !lookup(n)) {
        if (acceptOp(".")) {
            const std::string member = expectIdentifier();
            if (member == "NUMBER") emit(BasicOp::ErrNumber);
            else if (member == "DESCRIPTION") emit(BasicOp::ErrDescription);
            else fail(kBasicSyntaxError);
        } else {
            emit(BasicOp::ErrNumber);
        }
        return;
    }
    if (n == "MSGBOX" && !lookup(n)) {
        const int argc = argumentList(isOp("("));
        if (argc < 1 || argc > 3) fail(kBasicWrongArgumentCount);
        emit(BasicOp::MsgBox);
        emitWord(argc);
        emitWord(1);
        return;
    }
    BasicSymbol* s = lookup(n);
    const bool recursion = procIndex_ > 0 && n == proc_->name && isOp("(");
    if (recursion) s = &globals_[n];
    if (s && s->kind == BasicSymbolKind::Proc) {
        const BasicProc& callee = module_->procs[static_cast<std::size_t>(s->slot)];
        const int index = s->slot;
        procedureArguments(callee, isOp("("));
        emit(BasicOp::Call);
        emitWord(index);
        emitWord(static_cast<std::int32_t>(module_->procs[static_cast<std::size_t>(index)].params.size()));
        emitWord(1);
        return;
    }
    if (s) {
        if (isOp("(") && s->kind != BasicSymbolKind::Const) {
            if (!s->isArray && s->type != BasicType::Variant) fail(kBasicExpectedArray);
            const int argc = argumentList(true);
            emit(BasicOp::LoadIdx);
            emitVarOperand(*s);
            emitWord(argc);
            return;
        }
        loadSymbol(*s);
        return;
    }
    const int builtin = basicFindBuiltin(n);
    if (builtin >= 0) {
        builtinCall(builtin, isOp("("));
        return;
    }
    if (library_ && library_->hasGlobal(n)) {
        callHost(n, isOp("("), true);
        return;
    }
    if (isOp("(")) fail(kBasicUndefinedProcedure);
    loadSymbol(implicitLocal(name));
}

int BasicCompiler::argumentList(bool parenthesized) {
    if (parenthesized) expectOp("(");
    int argc = 0;
    const auto ends = [&] { return parenthesized ? isOp(")") : atEndOfStatement() || isName("ELSE"); };
    if (!ends()) {
        do {
            if (++argc > kMaxArguments) fail(kBasicTooComplex);
            if (isOp(",") || ends()) emit(BasicOp::PushMissing);
            else expression();
        } while (acceptOp(","));
    }
    if (parenthesized) expectOp(")");
    return argc;
}

void BasicCompiler::procedureArguments(const BasicProc& callee, bool parenthesized) {
    if (parenthesized) expectOp("(");
    const auto ends = [&] { return parenthesized ? isOp(")") : atEndOfStatement() || isName("ELSE"); };
    const int procIndex = static_cast<int>(&callee - module_->procs.data());
    const auto defaults = paramDefaults_.find(static_cast<std::size_t>(procIndex));
    const auto pushDefault = [&](std::size_t i) {
        const BasicParam& p = callee.params[i];
        if (!p.optional) fail(kBasicArgumentNotOptional);
        if (defaults != paramDefaults_.end() && i < defaults->second.size()) emitConstant(defaults->second[i]);
        else emit(BasicOp::PushMissing);
    };
    std::size_t argc = 0;
    if (!ends()) {
        do {
            if (argc >= callee.params.size()) fail(kBasicWrongArgumentCount);
            const BasicParam& p = callee.params[argc];
            if (isOp(",") || ends()) {
                pushDefault(argc);
            } else if (p.byRef && peek().kind == BasicTok::Name &&
                       (isOp(",", 1) || (parenthesized ? isOp(")", 1)
                                                       : peek(1).kind == BasicTok::EndOfStatement ||
                                                             peek(1).kind == BasicTok::EndOfText))) {
                // A plain variable: the callee works on the caller's variable.
                const BasicToken name = peek();
                BasicSymbol* s = lookup(name.text);
                if (s && (s->kind == BasicSymbolKind::Local || s->kind == BasicSymbolKind::RefParam ||
                          s->kind == BasicSymbolKind::Global)) {
                    next();
                    refSymbol(*s);
                } else if (!s && basicFindBuiltin(name.text) < 0 && !(library_ && library_->hasGlobal(name.text)) &&
                           name.text != "TRUE" && name.text != "FALSE" && name.text != "NOTHING" &&
                           name.text != "EMPTY" && name.text != "ERR") {
                    next();
                    refSymbol(implicitLocal(name));
                } else {
                    expression();
                }
            } else {
                expression();
            }
            ++argc;
        } while (acceptOp(","));
    }
    for (std::size_t i = argc; i < callee.params.size(); ++i) pushDefault(i);
    if (parenthesized) expectOp(")");
}

void BasicCompiler::callHost(const std::string& name, bool parenthesized, bool wantResult) {
    const int argc = argumentList(parenthesized);
    const int entry = library_->findGlobal(name, argc);
    if (entry < 0) fail(kBasicWrongArgumentCount);
    const BasicLibraryEntry& e = library_->entries()[static_cast<std::size_t>(entry)];
    if (e.kind == BasicEntryKind::Class) {
        emit(BasicOp::NewObject);
        emitWord(entry);
        if (!wantResult) emit(BasicOp::Pop);
        return;
    }
    emit(BasicOp::CallHost);
    emitWord(entry);
    emitWord(argc);
    emitWord(wantResult ? 1 : 0);
}

int BasicCompiler::builtinCall(int id, bool parenthesized) {
    const BasicBuiltinInfo& info = basicBuiltinInfo(id);
    const int argc = parenthesized || info.minArgs > 0 ? argumentList(true) : 0;
    if (argc < info.minArgs || argc > info.maxArgs) fail(kBasicWrongArgumentCount);
    emit(BasicOp::Builtin);
    emitWord(id);
    emitWord(argc);
    return argc;
}

void BasicCompiler::memberChain(bool statement) {
    while (acceptOp(".")) {
        const int name = stringConstant(expectIdentifier());
        if (statement && isOp("=")) {
            next();
            expression();
            emit(BasicOp::SetProp);
            emitWord(name);
            return;
        }
        if (isOp("(")) {
            const int argc = argumentList(true);
            const bool last = statement && !isOp(".");
            emit(BasicOp::CallMember);
            emitWord(name);
            emitWord(argc);
            emitWord(last ? 0 : 1);
            if (last) return;
            continue;
        }
        if (isOp(".")) {
            emit(BasicOp::GetProp);
            emitWord(name);
            continue;
        }
        if (!statement) {
            emit(BasicOp::GetProp);
            emitWord(name);
            continue;
        }
        const int argc = argumentList(false);
        emit(BasicOp::CallMember);
        emitWord(name);
        emitWord(argc);
        emitWord(0);
        return;
    }
}

BasicValue BasicCompiler::constantExpression() {
    const int start = pc();
    expression();
    if (foldable_.size() != 1 || foldable_[0].start != start || foldable_[0].end != pc()) fail(kBasicSyntaxError);
    BasicValue v = foldable_[0].value;
    proc_->code.resize(static_cast<std::size_t>(start));
    foldBarrier();
    return v;
}

}  // namespace kestrune
