#pragma once
// Splits script text into tokens. Names keep their spelling and an upper-case
// copy for comparison; a type suffix (% & ! # $) is split off. Line ends and
// ':' end statements; " _" at a line end continues the line; ' and Rem
// start comments.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "components/basic/basic_value.h"

namespace kestrune {

enum class BasicTok : std::uint8_t { Name, Number, String, Op, EndOfStatement, EndOfText };

struct BasicToken {
    BasicTok kind = BasicTok::EndOfText;
    std::string text;   // names: upper case; operators: the operator; strings: the content
    BasicType suffix = BasicType::Empty;  // a name's type suffix, or a number's type
    double number = 0;
    int line = 1;
    bool lineStart = false;  // first token of a source line (labels)
    bool colonEnd = false;   // an EndOfStatement that was a ':'
};

struct BasicLexResult {
    std::vector<BasicToken> tokens;
    int errorNumber = 0;
    int errorLine = 0;
};

BasicLexResult lexBasic(std::string_view source);

}  // namespace kestrune
