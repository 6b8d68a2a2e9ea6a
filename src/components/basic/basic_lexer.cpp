#include "components/basic/basic_lexer.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "components/basic/basic_convert.h"
#include "components/basic/basic_errors.h"

namespace kestrune {

namespace {

bool isNameStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}

bool isNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

BasicType suffixType(char c) {
    switch (c) {
        case '%': return BasicType::Integer;
        case '&': return BasicType::Long;
        case '!': return BasicType::Single;
        case '#': return BasicType::Double;
        case '$': return BasicType::String;
        default: return BasicType::Empty;
    }
}

// The type of an integer literal: Integer when it fits, then Long, then Double.
BasicType literalType(double v) {
    if (v >= -32768 && v <= 32767) return BasicType::Integer;
    if (v >= -2147483648.0 && v <= 2147483647.0) return BasicType::Long;
    return BasicType::Double;
}

class Lexer {
  public:
    explicit Lexer(std::string_view s) : src_(s) {}

    BasicLexResult run() {
        BasicLexResult out;
        bool lineStart = true;
        while (pos_ < src_.size()) {
            const char c = src_[pos_];
            if (c == '\n') {
                endStatement(out, false);
                ++line_;
                ++pos_;
                lineStart = true;
                continue;
            }
            if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
                ++pos_;
                continue;
            }
            if (c == '_' && continuation()) continue;
            if (c == '\'') {
                skipComment();
                continue;
            }
            BasicToken t;
            t.line = line_;
            t.lineStart = lineStart;
            lineStart = false;
            if (c == ':') {
                ++pos_;
                endStatement(out, true);
                continue;
            }
            if (isNameStart(c)) {
                readName(t);
                if (t.text == "REM") {
                    skipComment();
                    continue;
                }
            } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                       (c == '.' && pos_ + 1 < src_.size() && std::isdigit(static_cast<unsigned char>(src_[pos_ + 1])))) {
                if (!readNumber(t)) return fail(out, kBasicSyntaxError);
            } else if (c == '&' && pos_ + 1 < src_.size() &&
                       (src_[pos_ + 1] == 'H' || src_[pos_ + 1] == 'h' || src_[pos_ + 1] == 'O' || src_[pos_ + 1] == 'o') &&
                       pos_ + 2 < src_.size() && std::isxdigit(static_cast<unsigned char>(src_[pos_ + 2]))) {
                readRadix(t);
            } else if (c == '"') {
                if (!readString(t)) return fail(out, kBasicUnterminatedString);
            } else if (!readOperator(t)) {
                return fail(out, kBasicInvalidCharacter);
            }
            out.tokens.push_back(std::move(t));
        }
        endStatement(out, false);
        BasicToken end;
        end.kind = BasicTok::EndOfText;
        end.line = line_;
        out.tokens.push_back(end);
        return out;
    }

  private:
    BasicLexResult fail(BasicLexResult& out, int number) {
        out.errorNumber = number;
        out.errorLine = line_;
        out.tokens.clear();
        return std::move(out);
    }

    void endStatement(BasicLexResult& out, bool colon) {
        if (!out.tokens.empty() && out.tokens.back().kind == BasicTok::EndOfStatement && !colon &&
            !out.tokens.back().colonEnd)
            return;
        BasicToken t;
        t.kind = BasicTok::EndOfStatement;
        t.line = line_;
        t.colonEnd = colon;
        out.tokens.push_back(t);
    }

    // " _" followed by the end of the line joins the next line to this one.
    bool continuation() {
        std::size_t p = pos_ + 1;
        if (p < src_.size() && isNameChar(src_[p])) return false;
        if (pos_ > 0 && isNameChar(src_[pos_ - 1])) return false;
        while (p < src_.size() && (src_[p] == ' ' || src_[p] == '\t' || src_[p] == '\r')) ++p;
        if (p < src_.size() && src_[p] != '\n') return false;
        pos_ = p + 1;
        ++line_;
        return true;
    }

    void skipComment() {
        while (pos_ < src_.size() && src_[pos_] != '\n') ++pos_;
    }

    void readName(BasicToken& t) {
        t.kind = BasicTok::Name;
        const std::size_t start = pos_;
        while (pos_ < src_.size() && isNameChar(src_[pos_]) && pos_ - start < 255) ++pos_;
        for (std::size_t i = start; i < pos_; ++i)
            t.text.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(src_[i]))));
        if (pos_ < src_.size()) {
            const BasicType s = suffixType(src_[pos_]);
            // "a&b" is a concatenation, not a Long suffix, when a name follows.
            const bool joinsNext = pos_ + 1 < src_.size() && isNameChar(src_[pos_ + 1]);
            if (s != BasicType::Empty && !joinsNext) {
                t.suffix = s;
                ++pos_;
            }
        }
    }

    bool readNumber(BasicToken& t) {
        t.kind = BasicTok::Number;
        const std::size_t start = pos_;
        bool real = false;
        while (pos_ < src_.size() && std::isdigit(static_cast<unsigned char>(src_[pos_]))) ++pos_;
        if (pos_ < src_.size() && src_[pos_] == '.') {
            real = true;
            ++pos_;
            while (pos_ < src_.size() && std::isdigit(static_cast<unsigned char>(src_[pos_]))) ++pos_;
        }
        if (pos_ < src_.size() && (src_[pos_] == 'E' || src_[pos_] == 'e' || src_[pos_] == 'D' || src_[pos_] == 'd')) {
            std::size_t p = pos_ + 1;
            if (p < src_.size() && (src_[p] == '+' || src_[p] == '-')) ++p;
            if (p < src_.size() && std::isdigit(static_cast<unsigned char>(src_[p]))) {
                real = true;
                pos_ = p;
                while (pos_ < src_.size() && std::isdigit(static_cast<unsigned char>(src_[pos_]))) ++pos_;
            }
        }
        std::string text(src_.substr(start, pos_ - start));
        for (char& c : text)
            if (c == 'D' || c == 'd') c = 'E';
        t.number = std::strtod(text.c_str(), nullptr);
        if (!std::isfinite(t.number)) return false;
        t.suffix = real ? BasicType::Double : literalType(t.number);
        if (pos_ < src_.size()) {
            const BasicType s = suffixType(src_[pos_]);
            if (s != BasicType::Empty && s != BasicType::String) {
                t.suffix = s;
                ++pos_;
            }
        }
        // 1.5% is the Integer 2; a literal its suffix cannot hold is refused.
        if (t.suffix == BasicType::Integer || t.suffix == BasicType::Long) {
            t.number = std::nearbyint(t.number);
            const double limit = t.suffix == BasicType::Integer ? 32768.0 : 2147483648.0;
            if (t.number < -limit || t.number >= limit) return false;
        }
        if (t.suffix == BasicType::Single && std::fabs(t.number) > 3.402823466e38) return false;
        return true;
    }

    void readRadix(BasicToken& t) {
        t.kind = BasicTok::Number;
        const std::size_t start = pos_;
        pos_ += 2;
        while (pos_ < src_.size() && std::isxdigit(static_cast<unsigned char>(src_[pos_])) && pos_ - start < 20) ++pos_;
        basicParseNumber(src_.substr(start, pos_ - start), t.number);
        t.suffix = literalType(t.number);
        if (pos_ < src_.size() && src_[pos_] == '&') {
            // &HFFFF& is the Long 65535: the digits read as 32 bits.
            const std::string_view digits = src_.substr(start + 2, pos_ - start - 2);
            std::uint64_t v = 0;
            const unsigned base = (src_[start + 1] == 'H' || src_[start + 1] == 'h') ? 16 : 8;
            for (char c : digits) {
                const int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::toupper(static_cast<unsigned char>(c)) - 'A' + 10;
                v = (v * base + static_cast<unsigned>(d)) & 0xFFFFFFFFu;
            }
            t.number = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
            t.suffix = BasicType::Long;
            ++pos_;
        }
    }

    bool readString(BasicToken& t) {
        t.kind = BasicTok::String;
        ++pos_;
        while (true) {
            if (pos_ >= src_.size() || src_[pos_] == '\n') return false;
            if (src_[pos_] == '"') {
                if (pos_ + 1 < src_.size() && src_[pos_ + 1] == '"') {
                    t.text.push_back('"');
                    pos_ += 2;
                    continue;
                }
                ++pos_;
                return true;
            }
            t.text.push_back(src_[pos_++]);
        }
    }

    bool readOperator(BasicToken& t) {
        t.kind = BasicTok::Op;
        const char c = src_[pos_];
        const char n = pos_ + 1 < src_.size() ? src_[pos_ + 1] : '\0';
        if ((c == '<' && (n == '>' || n == '=')) || (c == '>' && n == '=')) {
            t.text = std::string{c, n};
            pos_ += 2;
            return true;
        }
        static constexpr std::string_view kSingle = "+-*/\\^&=<>(),.;#";
        if (kSingle.find(c) == std::string_view::npos) return false;
        t.text = std::string(1, c);
        ++pos_;
        return true;
    }

    std::string_view src_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

}  // namespace

BasicLexResult lexBasic(std::string_view source) {
    return Lexer(source).run();
}

}  // namespace kestrune
