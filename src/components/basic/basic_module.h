#pragma once
// The compiled form of a script: per procedure a flat array of 32-bit words,
// each instruction an opcode followed by its operands, and a table from code
// position to source line (read only when an error needs the line).

#include <cstdint>
#include <string>
#include <vector>

#include "components/basic/basic_library.h"
#include "components/basic/basic_value.h"

namespace kestrune {

// Operand legend: s local slot, g global slot, t jump target, T type code,
// k constant index, n count, w want-result flag, V variable kind then slot
// (kind 0 local, 1 global, 2 ByRef parameter).
enum class BasicOp : std::int32_t {
    PushInt,     // value (16-bit Integer)
    PushLong,    // value
    PushConst,   // k (Double, Single or Date constant)
    PushStr,     // k
    PushBool,    // 0/1
    PushEmpty,
    PushMissing,
    PushNothing,
    LoadL,       // s
    StoreL,      // s T
    LoadR,       // s   (ByRef parameter)
    StoreR,      // s T
    LoadG,       // g
    StoreG,      // g T
    RefL,        // s   push a reference to a local
    RefG,        // g
    RefR,        // s   pass a ByRef parameter on
    Pop,
    Neg, Not, Add, Sub, Mul, Div, IDiv, Mod, Pow, Cat,
    Eq, Ne, Lt, Gt, Le, Ge, And, Or, Xor, Eqv, Imp, Is, Like,
    Jmp,         // t
    JmpF,        // t
    JmpT,        // t
    Loop,        // t   backward jump: cancel and budget checked
    ForInit,     // V limitSlot stepSlot T t(exit)   stack: start limit step (T: the counter's type)
    ForNext,     // V limitSlot stepSlot T t(body)
    Call,        // procIndex argc w
    Ret,
    Builtin,     // id argc
    CallHost,    // entry argc w
    CallMember,  // k(name) argc w    stack: object args
    GetProp,     // k(name)           stack: object
    SetProp,     // k(name)           stack: object value
    NewObject,   // entry
    DimArray,    // V ndims T fixed   stack: (lower upper) per dimension
    ReDim,       // V ndims T preserve
    LoadIdx,     // V nidx
    StoreIdx,    // V nidx            stack: indexes value
    Erase,       // V
    PrintItem,   // separator after it: 0 none, 1 ';', 2 ','
    PrintEnd,    // newline or not (0/1)
    OnError,     // mode (0 off, 1 goto, 2 resume next) t
    Resume,      // mode (0 same, 1 next, 2 label) t
    ErrRaise,    // argc
    ErrClear,
    ErrNumber,
    ErrDescription,
    MsgBox,      // argc w
    End,
    // Fused forms of the binary operators, made by the compiler when the right
    // operand is an Integer constant (K: the value) or a local (L: the slot).
    AddK, SubK, MulK, ModK, IDivK, EqK, NeK, LtK, GtK, LeK, GeK,
    AddL, SubL, MulL, EqL, NeL, LtL, GtL, LeL, GeL,
    AddToL,      // s T   "x = x + expression" on a local, in place
    CatToL,      // s T   "x = x & expression" on a local, appending in place
};

// The plain operator behind a fused one (the operator itself otherwise).
inline BasicOp basicPlainOp(BasicOp op) {
    constexpr BasicOp kPlain[] = {
        BasicOp::Add, BasicOp::Sub, BasicOp::Mul, BasicOp::Mod, BasicOp::IDiv, BasicOp::Eq, BasicOp::Ne,
        BasicOp::Lt,  BasicOp::Gt,  BasicOp::Le,  BasicOp::Ge,  BasicOp::Add,  BasicOp::Sub, BasicOp::Mul,
        BasicOp::Eq,  BasicOp::Ne,  BasicOp::Lt,  BasicOp::Gt,  BasicOp::Le,   BasicOp::Ge};
    return op >= BasicOp::AddK ? kPlain[static_cast<int>(op) - static_cast<int>(BasicOp::AddK)] : op;
}
// The fused form of `op` for a constant (`local` false) or a local right operand; End when none.
BasicOp basicFusedOp(BasicOp op, bool local);

struct BasicLineMark {
    std::int32_t pc;
    std::int32_t line;
};

struct BasicParam {
    std::string name;
    BasicType type = BasicType::Variant;
    bool byRef = true;
    bool optional = false;
    bool isArray = false;
};

struct BasicProc {
    std::string name;
    bool isFunction = false;
    BasicType returnType = BasicType::Variant;
    std::vector<BasicParam> params;
    // Locals after the parameters (the function's value is the first of them).
    std::vector<BasicType> localTypes;
    std::vector<std::int32_t> code;
    std::vector<BasicLineMark> lines;
    int firstLine = 0;

    int lineAt(int pc) const;
};

struct BasicModule {
    std::vector<BasicProc> procs;
    std::vector<BasicType> globalTypes;
    std::vector<BasicValue> constants;   // numbers; strings live in `strings`
    std::vector<std::string> strings;    // string constants and member names
    const BasicLibrary* library = nullptr;

    int findProc(std::string_view name) const;
};

}  // namespace kestrune
