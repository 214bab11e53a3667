// TeX's reading of characters into tokens (control sequences, groups, blanks, comments, a blank
// line as \par), as far as drawings written elsewhere need it. Private to texdraw/.
#pragma once

#include <cstddef>
#include <string_view>

enum class ETeXToken : unsigned char {
    ControlSequence, // m_str is the name without the backslash: "lvec", or one character for "\%"
    BeginGroup,      // {
    EndGroup,        // }
    Space,           // one or more blanks, or a line end inside a paragraph
    Par,             // a blank line
    Parameter,       // #
    Character,       // any other character; m_str is its byte
};

// Tokens made by a macro's expansion come from no place in the text read.
inline constexpr std::size_t kNoSource = static_cast<std::size_t>(-1);

struct CTeXToken {
    ETeXToken m_eType = ETeXToken::Character;
    std::string_view m_str;
    std::size_t m_nBegin = kNoSource;
    std::size_t m_nEnd = kNoSource;

    bool IsChar(char c) const {
        return (m_eType == ETeXToken::Character || m_eType == ETeXToken::BeginGroup ||
                m_eType == ETeXToken::EndGroup) &&
               m_str.size() == 1 && m_str[0] == c;
    }
    bool IsCs(std::string_view name) const {
        return m_eType == ETeXToken::ControlSequence && m_str == name;
    }
    // Two tokens TeX would call the same (\ifx on characters, delimiter matching).
    friend bool SameToken(const CTeXToken& a, const CTeXToken& b) {
        return a.m_eType == b.m_eType &&
               (a.m_eType == ETeXToken::Space || a.m_eType == ETeXToken::Par || a.m_str == b.m_str);
    }
};

class CTeXLexer {
public:
    explicit CTeXLexer(std::string_view text) : m_text(text) {}

    // The next token, or false at the end of the text. Comments are passed over.
    bool Next(CTeXToken& t);
    bool Peek(CTeXToken& t) const {
        CTeXLexer copy = *this;
        return copy.Next(t);
    }
    // The byte after the last token read.
    std::size_t GetPos() const { return m_nPos; }
    // Goes on reading at pos; bLineStart when pos begins a line (a blank line there is a \par).
    void Seek(std::size_t pos, bool bLineStart) {
        m_nPos = pos;
        m_eState = bLineStart ? EState::NewLine : EState::MidLine;
    }
    std::string_view GetText() const { return m_text; }

private:
    // TeX's three reading states: at the start of a line, inside one, skipping blanks after a
    // control word.
    enum class EState : unsigned char { NewLine, MidLine, SkipBlanks };

    std::string_view m_text;
    std::size_t m_nPos = 0;
    EState m_eState = EState::NewLine;
};

// A control word's letters: TeX's letters are the ASCII ones only.
inline bool IsTeXLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The end of the comment or line that begins at pos, after its line feed ("\r\n" or "\n").
std::size_t EndOfLine(std::string_view text, std::size_t pos);
