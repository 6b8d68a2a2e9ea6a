// The smaller statements: error handling, Print, ReDim, Erase, Err.
#include "components/basic/basic_compiler.h"

#include "components/basic/basic_errors.h"

namespace kestrune {

void BasicCompiler::onErrorStatement() {
    expectName("ERROR");
    if (acceptName("RESUME")) {
        expectName("NEXT");
        emit(BasicOp::OnError);
        emitWord(2);
        emitWord(0);
        return;
    }
    expectName("GOTO");
    if (peek().kind == BasicTok::Number && peek().number == 0) {
        next();
        emit(BasicOp::OnError);
        emitWord(0);
        emitWord(0);
        return;
    }
    const BasicToken target = next();
    std::string name;
    if (target.kind == BasicTok::Name) name = target.text;
    else if (target.kind == BasicTok::Number) name = numberLabel(target);
    else fail(kBasicSyntaxError);
    emit(BasicOp::OnError);
    emitWord(1);
    Label& label = labels_[name];
    if (label.line == 0) label.line = line_;
    label.uses.push_back(pc());
    emitWord(-1);
}

void BasicCompiler::resumeStatement() {
    emit(BasicOp::Resume);
    if (acceptName("NEXT")) {
        emitWord(1);
        emitWord(0);
        return;
    }
    if (atEndOfStatement() || (peek().kind == BasicTok::Number && peek().number == 0)) {
        if (!atEndOfStatement()) next();
        emitWord(0);
        emitWord(0);
        return;
    }
    const BasicToken target = next();
    std::string name;
    if (target.kind == BasicTok::Name) name = target.text;
    else if (target.kind == BasicTok::Number) name = numberLabel(target);
    else fail(kBasicSyntaxError);
    emitWord(2);
    Label& label = labels_[name];
    if (label.line == 0) label.line = line_;
    label.uses.push_back(pc());
    emitWord(-1);
}

void BasicCompiler::printStatement() {
    bool newline = true;
    while (!atEndOfStatement() && !isName("ELSE")) {
        expression();
        int separator = 0;
        if (acceptOp(";")) separator = 1;
        else if (acceptOp(",")) separator = 2;
        emit(BasicOp::PrintItem);
        emitWord(separator);
        newline = separator == 0;
        if (separator == 0 && !atEndOfStatement() && !isName("ELSE")) fail(kBasicExpectedEndOfStatement);
    }
    emit(BasicOp::PrintEnd);
    emitWord(newline ? 1 : 0);
}

void BasicCompiler::redimStatement() {
    const bool preserve = acceptName("PRESERVE");
    do {
        const BasicToken name = next();
        if (name.kind != BasicTok::Name) fail(kBasicSyntaxError);
        BasicSymbol* s = lookup(name.text);
        if (!s) {
            BasicSymbol created;
            created.isArray = true;
            created.type = name.suffix == BasicType::Empty ? BasicType::Variant : name.suffix;
            created.slot = newLocal(BasicType::Variant);
            s = &(locals_[name.text] = created);
        }
        if (s->kind == BasicSymbolKind::Const || s->kind == BasicSymbolKind::Proc) fail(kBasicExpectedArray);
        if (!s->isArray && s->type != BasicType::Variant) fail(kBasicExpectedArray);
        expectOp("(");
        int dims = 0;
        int lowerMask = 0;
        while (!acceptOp(")")) {
            if (dims > 0) expectOp(",");
            if (dims >= 8) fail(kBasicTooComplex);
            expression();
            if (acceptName("TO")) {
                expression();
                lowerMask |= 1 << dims;
            }
            ++dims;
        }
        if (dims == 0) fail(kBasicSyntaxError);
        const BasicType type = parseAsType(s->isArray ? s->type : BasicType::Variant);
        emit(BasicOp::ReDim);
        emitVarOperand(*s);
        emitWord(dims);
        emitWord(static_cast<std::int32_t>(type));
        emitWord(lowerMask | (preserve ? 0x200 : 0));
    } while (acceptOp(","));
}

void BasicCompiler::eraseStatement() {
    do {
        const BasicToken name = next();
        BasicSymbol* s = name.kind == BasicTok::Name ? lookup(name.text) : nullptr;
        if (!s) fail(kBasicExpectedArray);
        emit(BasicOp::Erase);
        emitVarOperand(*s);
    } while (acceptOp(","));
}

void BasicCompiler::errStatement() {
    expectOp(".");
    const std::string member = expectIdentifier();
    if (member == "CLEAR") {
        emit(BasicOp::ErrClear);
        return;
    }
    if (member != "RAISE") fail(kBasicSyntaxError);
    const int argc = argumentList(false);
    if (argc < 1 || argc > 3) fail(kBasicWrongArgumentCount);
    emit(BasicOp::ErrRaise);
    emitWord(argc);
}

}  // namespace kestrune
