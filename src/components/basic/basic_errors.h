#pragma once
// Error numbers of the script language: the classic run-time table, and the
// compile errors, which sit in a range of their own above it.

#include <string>
#include <string_view>

namespace kestrune {

enum BasicErrorNumber : int {
    kBasicReturnWithoutGoSub = 3,
    kBasicInvalidCall = 5,
    kBasicOverflow = 6,
    kBasicOutOfMemory = 7,
    kBasicSubscript = 9,
    kBasicFixedArray = 10,
    kBasicDivisionByZero = 11,
    kBasicTypeMismatch = 13,
    kBasicOutOfStringSpace = 14,
    kBasicInterrupted = 18,
    kBasicResumeWithoutError = 20,
    kBasicOutOfStack = 28,
    kBasicUndefinedProcedure = 35,
    kBasicObjectNotSet = 91,
    kBasicForNotInitialized = 92,
    kBasicReadOnlyProperty = 383,
    kBasicWriteOnlyProperty = 394,
    kBasicObjectRequired = 424,
    kBasicNoSuchMember = 438,
    kBasicArgumentNotOptional = 449,
    kBasicWrongArgumentCount = 450,
    kBasicInvalidOrdinal = 452,
    kBasicStepBudget = 1001,  // ours: the instance's step budget ran out

    // Compile errors.
    kBasicSyntaxError = 10001,
    kBasicExpectedEndOfStatement = 10002,
    kBasicBlockNotClosed = 10003,
    kBasicUnexpectedBlockEnd = 10004,
    kBasicLabelNotDefined = 10005,
    kBasicDuplicateDeclaration = 10006,
    kBasicVariableNotDefined = 10007,
    kBasicInvalidCharacter = 10008,
    kBasicUnterminatedString = 10009,
    kBasicAssignToConstant = 10010,
    kBasicTooComplex = 10011,
    kBasicInvalidOutsideProcedure = 10012,
    kBasicExpectedArray = 10013,
};

// The text the engine gives with an error number ("" for an unknown number).
std::string_view basicErrorText(int number);

// Raised inside the engine only: the interpreter turns it into the error
// state of the instance, and the compiler into its result; it never leaves
// the engine's public functions.
struct BasicError {
    int number;
    std::string message;
};

[[noreturn]] void throwBasicError(int number);
[[noreturn]] void throwBasicError(int number, std::string message);

}  // namespace kestrune
