// The loop statements, Exit and GoTo.
#include "components/basic/basic_compiler.h"

#include "components/basic/basic_errors.h"

namespace kestrune {

void BasicCompiler::forStatement() {
    if (isName("EACH")) fail(kBasicSyntaxError);
    const BasicToken name = next();
    if (name.kind != BasicTok::Name) fail(kBasicSyntaxError);
    BasicSymbol* found = lookup(name.text);
    if (found && (found->kind == BasicSymbolKind::Const || found->kind == BasicSymbolKind::Proc || found->isArray))
        fail(kBasicSyntaxError);
    const BasicSymbol counter = found ? *found : implicitLocal(name);
    expectOp("=");
    expression();
    expectName("TO");
    expression();
    if (acceptName("STEP")) expression();
    else emitConstant(BasicValue::integer(1));
    const int limit = newLocal(BasicType::Variant);
    const int step = newLocal(BasicType::Variant);
    const auto declared = static_cast<std::int32_t>(counter.type);
    emit(BasicOp::ForInit);
    emitVarOperand(counter);
    emitWord(limit);
    emitWord(step);
    emitWord(declared);
    const int exitJump = pc();
    emitWord(-1);
    const int body = pc();
    foldBarrier();
    loops_.push_back(Loop{true, {exitJump}});
    expectEndOfStatement();
    block({"NEXT"});
    markStatement();
    next();
    if (peek().kind == BasicTok::Name) {
        if (next().text != name.text) fail(kBasicUnexpectedBlockEnd);
    }
    emit(BasicOp::ForNext);
    emitVarOperand(counter);
    emitWord(limit);
    emitWord(step);
    emitWord(declared);
    emitWord(body);
    for (int j : loops_.back().exits) patch(j, pc());
    loops_.pop_back();
    foldBarrier();
}

void BasicCompiler::doStatement() {
    const int top = pc();
    foldBarrier();
    loops_.push_back(Loop{false, {}});
    if (isName("WHILE") || isName("UNTIL")) {
        const bool until = next().text == "UNTIL";
        expression();
        loops_.back().exits.push_back(emitJump(until ? BasicOp::JmpT : BasicOp::JmpF));
    }
    expectEndOfStatement();
    block({"LOOP"});
    markStatement();
    next();
    if (isName("WHILE") || isName("UNTIL")) {
        const bool until = next().text == "UNTIL";
        expression();
        loops_.back().exits.push_back(emitJump(until ? BasicOp::JmpT : BasicOp::JmpF));
    }
    patch(emitJump(BasicOp::Loop), top);
    for (int j : loops_.back().exits) patch(j, pc());
    loops_.pop_back();
    foldBarrier();
}

void BasicCompiler::whileStatement() {
    const int top = pc();
    foldBarrier();
    expression();
    loops_.push_back(Loop{false, {emitJump(BasicOp::JmpF)}});
    expectEndOfStatement();
    block({"WEND"});
    markStatement();
    next();
    patch(emitJump(BasicOp::Loop), top);
    for (int j : loops_.back().exits) patch(j, pc());
    loops_.pop_back();
    foldBarrier();
}

void BasicCompiler::exitStatement() {
    const std::string what = expectIdentifier();
    if (what == "SUB" || what == "FUNCTION") {
        if ((what == "FUNCTION") != proc_->isFunction) fail(kBasicSyntaxError);
        emit(BasicOp::Ret);
        return;
    }
    const bool isFor = what == "FOR";
    if (!isFor && what != "DO") fail(kBasicSyntaxError);
    for (auto it = loops_.rbegin(); it != loops_.rend(); ++it) {
        if (it->isFor == isFor) {
            it->exits.push_back(emitJump(BasicOp::Jmp));
            return;
        }
    }
    fail(kBasicUnexpectedBlockEnd);
}

void BasicCompiler::gotoStatement() {
    const BasicToken target = next();
    std::string name;
    if (target.kind == BasicTok::Name) name = target.text;
    else if (target.kind == BasicTok::Number) name = numberLabel(target);
    else fail(kBasicSyntaxError);
    Label& label = labels_[name];
    if (label.line == 0) label.line = line_;
    label.uses.push_back(emitJump(BasicOp::Loop));
}

}  // namespace kestrune
