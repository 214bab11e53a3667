#include "texdraw/TeXLexer.h"

namespace {

bool IsBlank(std::string_view text, std::size_t pos) {
    const char c = text[pos];
    // A carriage return before a line feed belongs to the line end, any other one is a blank.
    return c == ' ' || c == '\t' ||
           (c == '\r' && (pos + 1 >= text.size() || text[pos + 1] != '\n'));
}

ETeXToken CharacterType(char c) {
    switch (c) {
    case '{':
        return ETeXToken::BeginGroup;
    case '}':
        return ETeXToken::EndGroup;
    case '#':
        return ETeXToken::Parameter;
    default:
        return ETeXToken::Character;
    }
}

} // namespace

std::size_t EndOfLine(std::string_view text, std::size_t pos) {
    const std::size_t nl = text.find('\n', pos);
    return nl == std::string_view::npos ? text.size() : nl + 1;
}

bool CTeXLexer::Next(CTeXToken& t) {
    const std::size_t size = m_text.size();
    while (m_nPos < size) {
        const std::size_t start = m_nPos;
        const char c = m_text[m_nPos];
        if (IsBlank(m_text, m_nPos)) {
            while (m_nPos < size && IsBlank(m_text, m_nPos))
                ++m_nPos;
            if (m_eState != EState::MidLine)
                continue;
            m_eState = EState::SkipBlanks;
            t = {ETeXToken::Space, " ", start, m_nPos};
            return true;
        }
        if (c == '\n' || c == '\r') {
            m_nPos += c == '\r' ? 2 : 1;
            const EState was = m_eState;
            m_eState = EState::NewLine;
            if (was == EState::NewLine) {
                t = {ETeXToken::Par, "par", start, m_nPos};
                return true;
            }
            if (was == EState::MidLine) {
                t = {ETeXToken::Space, " ", start, m_nPos};
                return true;
            }
            continue;
        }
        if (c == '%') {
            m_nPos = EndOfLine(m_text, m_nPos);
            m_eState = EState::NewLine;
            continue;
        }
        if (c == '\\') {
            std::size_t p = start + 1;
            if (p < size && IsTeXLetter(m_text[p])) {
                while (p < size && IsTeXLetter(m_text[p]))
                    ++p;
                m_eState = EState::SkipBlanks;
            } else if (p < size) {
                // A control symbol; "\ " skips the blanks after it like a control word.
                m_eState = m_text[p] == ' ' ? EState::SkipBlanks : EState::MidLine;
                ++p;
            }
            m_nPos = p;
            t = {ETeXToken::ControlSequence, m_text.substr(start + 1, p - start - 1), start, p};
            return true;
        }
        m_eState = EState::MidLine;
        ++m_nPos;
        t = {CharacterType(c), m_text.substr(start, 1), start, m_nPos};
        return true;
    }
    return false;
}
