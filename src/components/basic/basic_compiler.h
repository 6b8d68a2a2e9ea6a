#pragma once
// The compiler's internals, shared by its source files: a first pass finds
// every Sub and Function header (so that calls may precede definitions), a
// second compiles the module-level declarations, then each body, straight to
// bytecode without a syntax tree.

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "components/basic/basic_engine.h"
#include "components/basic/basic_lexer.h"
#include "components/basic/basic_module.h"

namespace kestrune {

enum class BasicSymbolKind { Local, RefParam, Global, Const, Proc };

struct BasicSymbol {
    BasicSymbolKind kind = BasicSymbolKind::Local;
    int slot = 0;
    BasicType type = BasicType::Variant;
    bool isArray = false;
    BasicValue constant;
};

class BasicCompiler {
  public:
    BasicCompiler(std::vector<BasicToken> tokens, const BasicLibrary* library);
    // Throws BasicError{number, message} with line_ set; compileBasic catches it.
    std::shared_ptr<BasicModule> compile();
    int line() const { return line_; }

  private:
    struct Loop {
        bool isFor;
        std::vector<int> exits;  // Jmp operands to patch with the loop's end
    };
    struct Label {
        int pc = -1;
        std::vector<int> uses;
        int line = 0;
    };

    // Tokens.
    const BasicToken& peek(int ahead = 0) const;
    const BasicToken& next();
    bool isName(std::string_view upper, int ahead = 0) const;
    bool isOp(std::string_view op, int ahead = 0) const;
    bool acceptName(std::string_view upper);
    bool acceptOp(std::string_view op);
    void expectName(std::string_view upper);
    void expectOp(std::string_view op);
    std::string expectIdentifier();
    bool atEndOfStatement() const;
    void expectEndOfStatement();
    void skipToNextStatement();
    [[noreturn]] void fail(int number);

    // Pass 1 and declarations (basic_compiler.cpp).
    void scanProcedures();
    void parseHeader(BasicProc& proc);
    BasicType parseAsType(BasicType fallback, bool* isNew = nullptr, std::uint16_t* cls = nullptr);
    void compileModuleLevel();
    void compileProc(int index);
    void declare(bool isStatic, bool moduleLevel);
    void declareConst(bool moduleLevel);
    BasicSymbol* lookup(const std::string& name);
    BasicSymbol& implicitLocal(const BasicToken& name);
    int newLocal(BasicType type);
    int newGlobal(BasicType type);
    std::string key(const BasicToken& t) const;

    // Emitting.
    int pc() const { return static_cast<int>(proc_->code.size()); }
    void emit(BasicOp op);
    void emitWord(std::int32_t w);
    void emitConstant(const BasicValue& v);
    int emitJump(BasicOp op);  // returns the operand position to patch
    void patch(int at, int target) {
        proc_->code[static_cast<std::size_t>(at)] = target;
        if (target == pc()) foldBarrier();
    }
    void markStatement();
    void loadSymbol(const BasicSymbol& s);
    void storeSymbol(const BasicSymbol& s);
    void refSymbol(const BasicSymbol& s);
    void emitVarOperand(const BasicSymbol& s);
    int stringConstant(const std::string& s);
    void foldBarrier() {
        foldable_.clear();
        lastLoadLocal_ = -1;
    }
    // A binary operator: folded when both operands are constants, fused with
    // a constant or local right operand when it can be.
    void emitBinary(BasicOp op);

    // Expressions (basic_compiler_expr.cpp).
    void expression();
    void binaryLevel(int level);
    void unary();
    void power();
    void primary();
    void nameExpression(const BasicToken& name);
    void memberChain(bool statement);
    int argumentList(bool parenthesized);
    void procedureArguments(const BasicProc& callee, bool parenthesized);
    void callHost(const std::string& name, bool parenthesized, bool wantResult);
    int builtinCall(int id, bool parenthesized);
    bool tryFold(BasicOp op);
    BasicValue constantExpression();

    // Statements (basic_compiler_stmt.cpp).
    void block(const std::vector<std::string_view>& terminators);
    void statement();
    void assignmentOrCall(const BasicToken& name);
    bool tryAddTo(const BasicSymbol& s);
    // The operator level just above + and - (see basic_compiler_expr.cpp).
    static constexpr int kAdditiveOperandLevel = 9;
    void ifStatement();
    void ifBody();
    void selectStatement();
    void forStatement();
    void doStatement();
    void whileStatement();
    void exitStatement();
    void gotoStatement();
    void onErrorStatement();
    void resumeStatement();
    void printStatement();
    void redimStatement();
    void eraseStatement();
    void errStatement();
    void labelStatement(const std::string& name);
    std::string numberLabel(const BasicToken& t);  // a line number as a label name

    std::vector<BasicToken> tokens_;
    std::size_t pos_ = 0;
    const BasicLibrary* library_;
    std::shared_ptr<BasicModule> module_;
    int line_ = 1;
    bool explicit_ = false;
    bool callKeyword_ = false;  // "Call Foo(x)": the parentheses hold the arguments

    std::map<std::string, BasicSymbol> globals_;
    std::map<std::string, BasicSymbol> locals_;
    std::vector<std::size_t> procStart_;   // token index of each body
    std::vector<std::size_t> moduleStatements_;
    BasicProc* proc_ = nullptr;
    int procIndex_ = -1;
    int depth_ = 0;  // expression nesting, bounded
    std::vector<Loop> loops_;
    std::map<std::string, Label> labels_;
    struct Folded {
        int start;
        int end;
        BasicValue value;
    };
    std::vector<Folded> foldable_;
    int lastLoadLocal_ = -1;  // where the last instruction, a LoadL, starts
    // Optional parameters' defaults by procedure index (Missing when none).
    std::map<std::size_t, std::vector<BasicValue>> paramDefaults_;
};

}  // namespace kestrune
