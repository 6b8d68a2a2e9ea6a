#include "components/basic/basic_errors.h"

namespace kestrune {

std::string_view basicErrorText(int number) {
    switch (number) {
        case 3: return "Return without GoSub";
        case 5: return "Invalid procedure call or argument";
        case 6: return "Overflow";
        case 7: return "Out of memory";
        case 9: return "Subscript out of range";
        case 10: return "This array is fixed or temporarily locked";
        case 11: return "Division by zero";
        case 13: return "Type mismatch";
        case 14: return "Out of string space";
        case 18: return "User interrupt occurred";
        case 20: return "Resume without error";
        case 28: return "Out of stack space";
        case 35: return "Sub or Function not defined";
        case 91: return "Object variable or With block variable not set";
        case 92: return "For loop not initialized";
        case 94: return "Invalid use of Null";
        case 383: return "Property is read-only";
        case 394: return "Property is write-only";
        case 424: return "Object required";
        case 438: return "Object doesn't support this property or method";
        case 449: return "Argument not optional";
        case 450: return "Wrong number of arguments or invalid property assignment";
        case 452: return "Invalid ordinal";
        case 1001: return "Step budget exhausted";
        case 10001: return "Syntax error";
        case 10002: return "Expected end of statement";
        case 10003: return "Block not closed";
        case 10004: return "Block end without its beginning";
        case 10005: return "Label not defined";
        case 10006: return "Duplicate declaration";
        case 10007: return "Variable not defined";
        case 10008: return "Invalid character";
        case 10009: return "Unterminated string";
        case 10010: return "Assignment to a constant";
        case 10011: return "Statement too complex";
        case 10012: return "Invalid outside procedure";
        case 10013: return "Expected array";
        default: return "";
    }
}

void throwBasicError(int number) {
    throw BasicError{number, std::string(basicErrorText(number))};
}

void throwBasicError(int number, std::string message) {
    throw BasicError{number, std::move(message)};
}

}  // namespace kestrune
