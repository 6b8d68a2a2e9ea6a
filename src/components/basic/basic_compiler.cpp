#include "components/basic/basic_compiler.h"

#include "components/basic/basic_convert.h"
#include "components/basic/basic_errors.h"

namespace kestrune {

namespace {

// Limits that keep a hostile text from growing the compiler's output without bound.
constexpr int kMaxLocals = 60000;
constexpr int kMaxGlobals = 60000;

const std::vector<std::pair<std::string_view, BasicType>>& typeNames() {
    static const std::vector<std::pair<std::string_view, BasicType>> names{
        {"INTEGER", BasicType::Integer}, {"LONG", BasicType::Long},       {"SINGLE", BasicType::Single},
        {"DOUBLE", BasicType::Double},   {"STRING", BasicType::String},   {"BOOLEAN", BasicType::Boolean},
        {"VARIANT", BasicType::Variant}, {"OBJECT", BasicType::Object},   {"DATE", BasicType::Date},
        {"BYTE", BasicType::Integer},    {"CURRENCY", BasicType::Double},
    };
    return names;
}

}  // namespace

BasicCompiler::BasicCompiler(std::vector<BasicToken> tokens, const BasicLibrary* library)
    : tokens_(std::move(tokens)), library_(library), module_(std::make_shared<BasicModule>()) {
    module_->library = library;
}

// ---- tokens

const BasicToken& BasicCompiler::peek(int ahead) const {
    const std::size_t at = pos_ + static_cast<std::size_t>(ahead);
    return at < tokens_.size() ? tokens_[at] : tokens_.back();
}

const BasicToken& BasicCompiler::next() {
    const BasicToken& t = peek();
    if (pos_ + 1 < tokens_.size()) ++pos_;
    line_ = t.line;
    return t;
}

bool BasicCompiler::isName(std::string_view upper, int ahead) const {
    const BasicToken& t = peek(ahead);
    return t.kind == BasicTok::Name && t.text == upper;
}

bool BasicCompiler::isOp(std::string_view op, int ahead) const {
    const BasicToken& t = peek(ahead);
    return t.kind == BasicTok::Op && t.text == op;
}

bool BasicCompiler::acceptName(std::string_view upper) {
    if (!isName(upper)) return false;
    next();
    return true;
}

bool BasicCompiler::acceptOp(std::string_view op) {
    if (!isOp(op)) return false;
    next();
    return true;
}

void BasicCompiler::expectName(std::string_view upper) {
    if (!acceptName(upper)) fail(kBasicSyntaxError);
}

void BasicCompiler::expectOp(std::string_view op) {
    if (!acceptOp(op)) fail(kBasicSyntaxError);
}

std::string BasicCompiler::expectIdentifier() {
    if (peek().kind != BasicTok::Name) fail(kBasicSyntaxError);
    return next().text;
}

bool BasicCompiler::atEndOfStatement() const {
    const BasicTok k = peek().kind;
    return k == BasicTok::EndOfStatement || k == BasicTok::EndOfText;
}

void BasicCompiler::expectEndOfStatement() {
    if (!atEndOfStatement() && !isName("ELSE")) fail(kBasicExpectedEndOfStatement);
}

void BasicCompiler::skipToNextStatement() {
    while (!atEndOfStatement()) next();
    if (peek().kind == BasicTok::EndOfStatement) next();
}

void BasicCompiler::fail(int number) {
    if (peek().kind != BasicTok::EndOfText && peek().line > line_ && pos_ > 0) line_ = tokens_[pos_ - 1].line;
    throwBasicError(number);
}

std::string BasicCompiler::key(const BasicToken& t) const {
    return t.text;
}

// ---- pass 1

std::shared_ptr<BasicModule> BasicCompiler::compile() {
    BasicProc init;
    init.name = " init";
    module_->procs.push_back(std::move(init));
    procStart_.push_back(0);
    scanProcedures();
    compileModuleLevel();
    for (std::size_t i = 1; i < module_->procs.size(); ++i) compileProc(static_cast<int>(i));
    return module_;
}

void BasicCompiler::scanProcedures() {
    while (peek().kind != BasicTok::EndOfText) {
        if (peek().kind == BasicTok::EndOfStatement) {
            next();
            continue;
        }
        const std::size_t start = pos_;
        line_ = peek().line;
        int modifiers = 0;
        while (isName("PUBLIC", modifiers) || isName("PRIVATE", modifiers) || isName("STATIC", modifiers) ||
               isName("FRIEND", modifiers))
            ++modifiers;
        if (!isName("SUB", modifiers) && !isName("FUNCTION", modifiers)) {
            moduleStatements_.push_back(start);
            skipToNextStatement();
            continue;
        }
        for (int i = 0; i < modifiers; ++i) next();
        BasicProc proc;
        proc.isFunction = next().text == "FUNCTION";
        proc.firstLine = line_;
        parseHeader(proc);
        const std::string name = proc.name;
        if (globals_.count(name) || (library_ && library_->hasGlobal(name))) fail(kBasicDuplicateDeclaration);
        BasicSymbol s;
        s.kind = BasicSymbolKind::Proc;
        s.slot = static_cast<int>(module_->procs.size());
        globals_[name] = s;
        module_->procs.push_back(std::move(proc));
        procStart_.push_back(pos_);
        // The body ends at the first End Sub or End Function.
        const int headerLine = line_;
        while (true) {
            if (peek().kind == BasicTok::EndOfText) {
                line_ = headerLine;
                throwBasicError(kBasicBlockNotClosed);
            }
            if (isName("END") && (isName("SUB", 1) || isName("FUNCTION", 1))) {
                next();
                next();
                expectEndOfStatement();
                break;
            }
            skipToNextStatement();
        }
    }
}

void BasicCompiler::parseHeader(BasicProc& proc) {
    const BasicToken& nameToken = next();
    if (nameToken.kind != BasicTok::Name) fail(kBasicSyntaxError);
    proc.name = nameToken.text;
    proc.returnType = nameToken.suffix == BasicType::Empty ? BasicType::Variant : nameToken.suffix;
    if (acceptOp("(")) {
        while (!acceptOp(")")) {
            if (!proc.params.empty()) expectOp(",");
            BasicParam p;
            p.optional = acceptName("OPTIONAL");
            if (acceptName("BYVAL")) p.byRef = false;
            else acceptName("BYREF");
            const BasicToken& pn = next();
            if (pn.kind != BasicTok::Name) fail(kBasicSyntaxError);
            p.name = pn.text;
            if (acceptOp("(")) {
                expectOp(")");
                p.isArray = true;
                p.byRef = true;
            }
            p.type = parseAsType(pn.suffix == BasicType::Empty ? BasicType::Variant : pn.suffix);
            for (const BasicParam& other : proc.params)
                if (other.name == p.name) fail(kBasicDuplicateDeclaration);
            proc.params.push_back(std::move(p));
            if (acceptOp("=")) {
                // A literal default; kept as a constant for the callers.
                bool negative = acceptOp("-");
                const BasicToken& d = next();
                BasicValue v;
                if (d.kind == BasicTok::Number) v = BasicValue::doubleValue(negative ? -d.number : d.number);
                else if (d.kind == BasicTok::String && !negative) v = BasicValue::string(d.text);
                else if (d.kind == BasicTok::Name && (d.text == "TRUE" || d.text == "FALSE")) v = BasicValue::boolean(d.text == "TRUE");
                else fail(kBasicSyntaxError);
                paramDefaults_[module_->procs.size()].resize(proc.params.size(), BasicValue::missing());
                paramDefaults_[module_->procs.size()].back() = v;
            }
            if (proc.params.size() > 60) fail(kBasicTooComplex);
        }
    }
    if (proc.isFunction) proc.returnType = parseAsType(proc.returnType);
    expectEndOfStatement();
}

BasicType BasicCompiler::parseAsType(BasicType fallback, bool* isNew, std::uint16_t* cls) {
    if (!acceptName("AS")) return fallback;
    const bool makeNew = acceptName("NEW");
    if (isNew) *isNew = makeNew;
    const std::string name = expectIdentifier();
    if (acceptOp("*")) {
        if (peek().kind != BasicTok::Number) fail(kBasicSyntaxError);
        next();  // String * n: kept as a plain String
    }
    for (const auto& [typeName, type] : typeNames())
        if (name == typeName && !makeNew) return type;
    if (library_ && library_->classIndex(name) != 0) {
        if (cls) *cls = library_->classIndex(name);
        return BasicType::Object;
    }
    fail(kBasicSyntaxError);
}

// ---- declarations

void BasicCompiler::compileModuleLevel() {
    proc_ = &module_->procs[0];
    procIndex_ = 0;
    for (std::size_t start : moduleStatements_) {
        pos_ = start;
        line_ = peek().line;
        markStatement();
        if (acceptName("OPTION")) {
            if (acceptName("EXPLICIT")) explicit_ = true;
            else skipToNextStatement();
            continue;
        }
        const bool modifier = acceptName("PUBLIC") || acceptName("PRIVATE") || acceptName("GLOBAL");
        if (acceptName("CONST")) {
            declareConst(true);
        } else if (acceptName("DIM") || acceptName("STATIC") || modifier) {
            declare(false, true);
        } else {
            fail(kBasicInvalidOutsideProcedure);
        }
        expectEndOfStatement();
    }
    emit(BasicOp::Ret);
}

int BasicCompiler::newLocal(BasicType type) {
    if (proc_->localTypes.size() >= kMaxLocals) fail(kBasicTooComplex);
    proc_->localTypes.push_back(type);
    return static_cast<int>(proc_->params.size() + proc_->localTypes.size() - 1);
}

int BasicCompiler::newGlobal(BasicType type) {
    if (module_->globalTypes.size() >= kMaxGlobals) fail(kBasicTooComplex);
    module_->globalTypes.push_back(type);
    return static_cast<int>(module_->globalTypes.size() - 1);
}

BasicSymbol* BasicCompiler::lookup(const std::string& name) {
    if (procIndex_ > 0) {
        auto it = locals_.find(name);
        if (it != locals_.end()) return &it->second;
    }
    auto it = globals_.find(name);
    return it == globals_.end() ? nullptr : &it->second;
}

BasicSymbol& BasicCompiler::implicitLocal(const BasicToken& name) {
    if (explicit_ || procIndex_ == 0) fail(kBasicVariableNotDefined);
    BasicSymbol s;
    s.type = name.suffix == BasicType::Empty ? BasicType::Variant : name.suffix;
    s.slot = newLocal(s.type);
    return locals_[name.text] = s;
}

void BasicCompiler::declare(bool isStatic, bool moduleLevel) {
    do {
        const BasicToken nameToken = next();
        if (nameToken.kind != BasicTok::Name) fail(kBasicSyntaxError);
        auto& table = moduleLevel ? globals_ : locals_;
        if (table.count(nameToken.text) || (moduleLevel && library_ && library_->hasGlobal(nameToken.text)))
            fail(kBasicDuplicateDeclaration);
        BasicSymbol s;
        int dims = 0;
        int lowerMask = 0;
        std::vector<std::int32_t> boundsCode;
        if (acceptOp("(")) {
            s.isArray = true;
            // The bounds are evaluated where the declaration stands.
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
        }
        bool isNew = false;
        std::uint16_t cls = 0;
        const BasicType suffixType = nameToken.suffix == BasicType::Empty ? BasicType::Variant : nameToken.suffix;
        s.type = parseAsType(suffixType, &isNew, &cls);
        const bool global = moduleLevel || isStatic;
        s.kind = global ? BasicSymbolKind::Global : BasicSymbolKind::Local;
        s.slot = s.isArray ? (global ? newGlobal(BasicType::Variant) : newLocal(BasicType::Variant))
                           : (global ? newGlobal(s.type) : newLocal(s.type));
        table[nameToken.text] = s;
        if (dims > 0) {
            emit(BasicOp::DimArray);
            emitVarOperand(s);
            emitWord(dims);
            emitWord(static_cast<std::int32_t>(s.type));
            emitWord(lowerMask | (isStatic ? 0x100 : 0));
        }
        if (isNew) {
            for (std::size_t i = 0; i < library_->entries().size(); ++i) {
                const BasicLibraryEntry& e = library_->entries()[i];
                if (e.kind == BasicEntryKind::Class && library_->classIndex(e.name) == cls) {
                    emit(BasicOp::NewObject);
                    emitWord(static_cast<std::int32_t>(i));
                    storeSymbol(s);
                    break;
                }
            }
        }
    } while (acceptOp(","));
}

void BasicCompiler::declareConst(bool moduleLevel) {
    do {
        const BasicToken nameToken = next();
        if (nameToken.kind != BasicTok::Name) fail(kBasicSyntaxError);
        auto& table = moduleLevel ? globals_ : locals_;
        if (table.count(nameToken.text)) fail(kBasicDuplicateDeclaration);
        const BasicType type = parseAsType(nameToken.suffix == BasicType::Empty ? BasicType::Variant : nameToken.suffix);
        expectOp("=");
        BasicSymbol s;
        s.kind = BasicSymbolKind::Const;
        s.type = type;
        try {
            s.constant = basicCoerce(constantExpression(), type);
        } catch (const BasicError&) {
            fail(kBasicTypeMismatch);
        }
        table[nameToken.text] = s;
    } while (acceptOp(","));
}

}  // namespace kestrune
