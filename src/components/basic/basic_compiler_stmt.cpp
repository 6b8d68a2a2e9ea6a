#include "components/basic/basic_compiler.h"

#include "components/basic/basic_builtins.h"
#include "components/basic/basic_errors.h"

namespace kestrune {

namespace {

constexpr int kMaxBlockNesting = 64;

}  // namespace

void BasicCompiler::compileProc(int index) {
    procIndex_ = index;
    proc_ = &module_->procs[static_cast<std::size_t>(index)];
    locals_.clear();
    labels_.clear();
    loops_.clear();
    for (std::size_t i = 0; i < proc_->params.size(); ++i) {
        const BasicParam& p = proc_->params[i];
        BasicSymbol s;
        s.kind = p.byRef ? BasicSymbolKind::RefParam : BasicSymbolKind::Local;
        s.slot = static_cast<int>(i);
        s.type = p.type;
        s.isArray = p.isArray;
        locals_[p.name] = s;
    }
    if (proc_->isFunction) {
        BasicSymbol result;
        result.type = proc_->returnType;
        result.slot = newLocal(proc_->returnType);
        locals_[proc_->name] = result;
    }
    pos_ = procStart_[static_cast<std::size_t>(index)];
    block({"END SUB", "END FUNCTION"});
    markStatement();
    emit(BasicOp::Ret);
    for (auto& [name, label] : labels_) {
        if (label.pc < 0) {
            line_ = label.line;
            throwBasicError(kBasicLabelNotDefined);
        }
        for (int use : label.uses) patch(use, label.pc);
    }
}

// Statements until one that starts with a terminator ("END IF", "ELSE", ...),
// which is left unread.
void BasicCompiler::block(const std::vector<std::string_view>& terminators) {
    if (++depth_ > kMaxBlockNesting) fail(kBasicTooComplex);
    while (true) {
        while (peek().kind == BasicTok::EndOfStatement) next();
        if (peek().kind == BasicTok::EndOfText) fail(kBasicBlockNotClosed);
        for (std::string_view t : terminators) {
            const std::size_t space = t.find(' ');
            if (space == std::string_view::npos ? isName(t) : isName(t.substr(0, space)) && isName(t.substr(space + 1), 1)) {
                --depth_;
                return;
            }
        }
        line_ = peek().line;
        if (isName("END") && (isName("SUB", 1) || isName("FUNCTION", 1))) fail(kBasicBlockNotClosed);
        statement();
    }
}

void BasicCompiler::statement() {
    markStatement();
    const BasicToken first = next();
    if (first.kind != BasicTok::Name) {
        if (first.kind == BasicTok::Number && first.lineStart) {  // a line number
            labelStatement(numberLabel(first));
            if (!atEndOfStatement()) statement();
            return;
        }
        fail(kBasicSyntaxError);
    }
    const std::string& w = first.text;
    if (first.lineStart && peek().kind == BasicTok::EndOfStatement && peek().colonEnd) {
        labelStatement(w);
        return;
    }
    static const std::vector<std::string_view> kBlockEnds{"NEXT", "LOOP", "WEND", "ELSE", "ELSEIF", "CASE"};
    for (std::string_view end : kBlockEnds)
        if (w == end) fail(kBasicUnexpectedBlockEnd);
    if (w == "END" && (isName("IF") || isName("SELECT"))) fail(kBasicUnexpectedBlockEnd);
    if (w == "DIM") declare(false, false);
    else if (w == "STATIC") declare(true, false);
    else if (w == "CONST") declareConst(false);
    else if (w == "REDIM") redimStatement();
    else if (w == "ERASE") eraseStatement();
    else if (w == "IF") return ifStatement();
    else if (w == "SELECT") selectStatement();
    else if (w == "FOR") forStatement();
    else if (w == "DO") doStatement();
    else if (w == "WHILE") whileStatement();
    else if (w == "EXIT") exitStatement();
    else if (w == "GOTO") gotoStatement();
    else if (w == "ON") onErrorStatement();
    else if (w == "RESUME") resumeStatement();
    else if (w == "PRINT") printStatement();
    else if (w == "DEBUG" && acceptOp(".") && acceptName("PRINT")) printStatement();
    else if (w == "CALL") {
        const BasicToken name = next();
        if (name.kind != BasicTok::Name) fail(kBasicSyntaxError);
        callKeyword_ = true;
        assignmentOrCall(name);
        callKeyword_ = false;
    } else if (w == "LET" || w == "SET") {
        const BasicToken name = next();
        if (name.kind != BasicTok::Name) fail(kBasicSyntaxError);
        assignmentOrCall(name);
    } else if (w == "END" && atEndOfStatement()) {
        emit(BasicOp::End);
    } else if (w == "STOP") {
        emit(BasicOp::End);
    } else if (w == "ERR" && isOp(".") && !lookup(w)) {
        errStatement();
    } else if (w == "MSGBOX" && !lookup(w)) {
        const int argc = argumentList(false);
        if (argc < 1 || argc > 3) fail(kBasicWrongArgumentCount);
        emit(BasicOp::MsgBox);
        emitWord(argc);
        emitWord(0);
    } else {
        assignmentOrCall(first);
    }
    expectEndOfStatement();
}

std::string BasicCompiler::numberLabel(const BasicToken& t) {
    if (t.number < 0 || t.number > 1e9 || t.number != static_cast<double>(static_cast<long long>(t.number)))
        fail(kBasicSyntaxError);
    return std::to_string(static_cast<long long>(t.number));
}

void BasicCompiler::labelStatement(const std::string& name) {
    Label& label = labels_[name];
    if (label.pc >= 0) fail(kBasicDuplicateDeclaration);
    label.pc = pc();
    foldBarrier();
    if (peek().kind == BasicTok::EndOfStatement && peek().colonEnd) next();
}

void BasicCompiler::assignmentOrCall(const BasicToken& name) {
    BasicSymbol* s = lookup(name.text);
    const bool isVariable = s && s->kind != BasicSymbolKind::Proc;
    if (isOp("=")) {
        next();
        if (s && s->kind == BasicSymbolKind::Local && !s->isArray && isName(name.text) &&
            (isOp("+", 1) || isOp("&", 1)) && tryAddTo(*s))
            return;
        if (!s) s = &implicitLocal(name);
        if (!isVariable && s->kind == BasicSymbolKind::Proc) fail(kBasicAssignToConstant);
        expression();
        storeSymbol(*s);
        return;
    }
    if (isVariable && isOp("(") && s->kind != BasicSymbolKind::Const) {
        const int argc = argumentList(true);
        if (acceptOp("=")) {
            expression();
            emit(BasicOp::StoreIdx);
            emitVarOperand(*s);
            emitWord(argc);
            return;
        }
        emit(BasicOp::LoadIdx);
        emitVarOperand(*s);
        emitWord(argc);
        if (!isOp(".")) fail(kBasicSyntaxError);
        memberChain(true);
        return;
    }
    if (isVariable && isOp(".")) {
        loadSymbol(*s);
        memberChain(true);
        return;
    }
    if (s && s->kind == BasicSymbolKind::Proc) {
        const BasicProc& callee = module_->procs[static_cast<std::size_t>(s->slot)];
        // "Foo(1, 2)" and "Foo 1, 2" both call; "Foo (x)" passes x by value.
        bool parenthesized = false;
        if (isOp("(") && (callee.params.size() != 1 || callKeyword_)) parenthesized = true;
        procedureArguments(callee, parenthesized);
        emit(BasicOp::Call);
        emitWord(s->slot);
        emitWord(static_cast<std::int32_t>(callee.params.size()));
        emitWord(0);
        return;
    }
    const int builtin = basicFindBuiltin(name.text);
    if (builtin >= 0) {
        const bool parenthesized = isOp("(");
        if (!parenthesized) {
            const int argc = argumentList(false);
            const BasicBuiltinInfo& info = basicBuiltinInfo(builtin);
            if (argc < info.minArgs || argc > info.maxArgs) fail(kBasicWrongArgumentCount);
            emit(BasicOp::Builtin);
            emitWord(builtin);
            emitWord(argc);
        } else {
            builtinCall(builtin, true);
        }
        emit(BasicOp::Pop);
        return;
    }
    if (library_ && library_->hasGlobal(name.text)) {
        // As for user Subs, a single parenthesized argument is an expression.
        const bool parenthesized = isOp("(") && library_->findGlobal(name.text, 1) < 0;
        callHost(name.text, parenthesized, false);
        if (isOp(".")) fail(kBasicSyntaxError);
        return;
    }
    if (isVariable) fail(kBasicSyntaxError);
    fail(kBasicUndefinedProcedure);
}

// "x = x + term" or "x = x & term" with nothing after the term works in place; anything else is
// compiled again as a plain assignment.
bool BasicCompiler::tryAddTo(const BasicSymbol& s) {
    const std::size_t start = pos_;
    const int codeStart = pc();
    next();
    const bool cat = next().text == "&";
    binaryLevel(cat ? kAdditiveOperandLevel - 1 : kAdditiveOperandLevel);
    if (atEndOfStatement() || isName("ELSE")) {
        emit(cat ? BasicOp::CatToL : BasicOp::AddToL);
        emitWord(s.slot);
        emitWord(static_cast<std::int32_t>(s.type));
        return true;
    }
    pos_ = start;
    proc_->code.resize(static_cast<std::size_t>(codeStart));
    foldBarrier();
    return false;
}

void BasicCompiler::ifStatement() {
    if (++depth_ > kMaxBlockNesting) fail(kBasicTooComplex);
    ifBody();
    --depth_;
}

void BasicCompiler::ifBody() {
    expression();
    expectName("THEN");
    std::vector<int> toEnd;
    if (!atEndOfStatement()) {
        // Single-line form: statements up to the line's end, an Else part after.
        const int skip = emitJump(BasicOp::JmpF);
        if (peek().kind == BasicTok::Number) {  // If x Then 100
            const BasicToken target = next();
            labels_[numberLabel(target)].uses.push_back(emitJump(BasicOp::Loop));
        } else {
            while (true) {
                statement();
                if (peek().kind == BasicTok::EndOfStatement && peek().colonEnd && !isName("ELSE", 1)) {
                    next();
                    continue;
                }
                if (peek().kind == BasicTok::EndOfStatement && peek().colonEnd) next();
                break;
            }
        }
        if (acceptName("ELSE")) {
            const int end = emitJump(BasicOp::Jmp);
            patch(skip, pc());
            while (true) {
                statement();
                if (peek().kind == BasicTok::EndOfStatement && peek().colonEnd) {
                    next();
                    if (!atEndOfStatement()) continue;
                }
                break;
            }
            patch(end, pc());
        } else {
            patch(skip, pc());
        }
        foldBarrier();
        return;
    }
    int skip = emitJump(BasicOp::JmpF);
    block({"ELSEIF", "ELSE", "END IF"});
    while (true) {
        markStatement();
        if (acceptName("ELSEIF")) {
            toEnd.push_back(emitJump(BasicOp::Jmp));
            patch(skip, pc());
            expression();
            expectName("THEN");
            expectEndOfStatement();
            skip = emitJump(BasicOp::JmpF);
            block({"ELSEIF", "ELSE", "END IF"});
        } else if (acceptName("ELSE")) {
            toEnd.push_back(emitJump(BasicOp::Jmp));
            patch(skip, pc());
            skip = -1;
            expectEndOfStatement();
            block({"END IF"});
        } else {
            expectName("END");
            expectName("IF");
            break;
        }
    }
    if (skip >= 0) patch(skip, pc());
    for (int j : toEnd) patch(j, pc());
    foldBarrier();
    expectEndOfStatement();
}

void BasicCompiler::selectStatement() {
    expectName("CASE");
    expression();
    const int subject = newLocal(BasicType::Variant);
    emit(BasicOp::StoreL);
    emitWord(subject);
    emitWord(static_cast<std::int32_t>(BasicType::Variant));
    expectEndOfStatement();
    while (peek().kind == BasicTok::EndOfStatement) next();
    std::vector<int> toEnd;
    bool sawElse = false;
    while (!(isName("END") && isName("SELECT", 1))) {
        markStatement();
        if (!acceptName("CASE") || sawElse) fail(kBasicSyntaxError);
        int skip = -1;
        if (acceptName("ELSE")) {
            sawElse = true;
        } else {
            std::vector<int> toBody;
            do {
                const auto loadSubject = [&] {
                    emit(BasicOp::LoadL);
                    emitWord(subject);
                };
                if (acceptName("IS")) {
                    static const std::vector<std::pair<std::string_view, BasicOp>> ops{
                        {"=", BasicOp::Eq}, {"<>", BasicOp::Ne}, {"<", BasicOp::Lt},
                        {">", BasicOp::Gt}, {"<=", BasicOp::Le}, {">=", BasicOp::Ge}};
                    BasicOp op = BasicOp::End;
                    for (const auto& [text, candidate] : ops)
                        if (isOp(text)) op = candidate;
                    if (op == BasicOp::End) fail(kBasicSyntaxError);
                    next();
                    loadSubject();
                    expression();
                    emit(op);
                } else {
                    loadSubject();
                    expression();
                    if (acceptName("TO")) {
                        emit(BasicOp::Ge);
                        const int low = emitJump(BasicOp::JmpF);
                        loadSubject();
                        expression();
                        emit(BasicOp::Le);
                        toBody.push_back(emitJump(BasicOp::JmpT));
                        patch(low, pc());
                        continue;
                    }
                    emit(BasicOp::Eq);
                }
                toBody.push_back(emitJump(BasicOp::JmpT));
            } while (acceptOp(","));
            skip = emitJump(BasicOp::Jmp);
            for (int j : toBody) patch(j, pc());
        }
        expectEndOfStatement();
        block({"CASE", "END SELECT"});
        markStatement();
        toEnd.push_back(emitJump(BasicOp::Jmp));
        if (skip >= 0) patch(skip, pc());
    }
    next();
    next();
    for (int j : toEnd) patch(j, pc());
    foldBarrier();
}

}  // namespace kestrune
