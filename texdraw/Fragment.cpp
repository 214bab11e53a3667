#include "texdraw/Fragment.h"

#include "texdraw/Document.h"

#include <algorithm>
#include <charconv>

namespace {

// The lines of the document's header, which a stretch of blocks is read behind.
int HeaderLineCount() {
    const std::string doc = MakeTeXDrawDocument(std::string("\x01"));
    const std::string header = doc.substr(0, doc.find('\x01'));
    return static_cast<int>(std::count(header.begin(), header.end(), '\n'));
}

// The reader counts lines from the header it was given; the user counts them in the text.
std::string ShiftLineNumber(const std::string& error, const std::string& name, int lines) {
    const std::string prefix = name + ", line ";
    if (error.compare(0, prefix.size(), prefix) != 0)
        return error;
    int line = 0;
    const char* first = error.data() + prefix.size();
    const auto [end, ec] = std::from_chars(first, error.data() + error.size(), line);
    if (ec != std::errc())
        return error;
    return prefix + std::to_string(std::max(1, line - lines)) + std::string(end);
}

// Line ends as a text editor on another system may give them.
void DropCarriageReturns(std::string& text) {
    if (text.find("\r\n") == std::string::npos)
        return;
    std::string lf;
    lf.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            lf += text[i];
    text.swap(lf);
}

} // namespace

CTeXDrawReadResult ReadTeXDrawFragment(std::string text, const std::string& name,
                                       CFigureList& out) {
    DropCarriageReturns(text);
    // A whole saved document is read as it stands.
    const std::string empty = MakeTeXDrawDocument(std::string());
    const std::string opening = empty.substr(0, empty.find('\n', empty.find('\n') + 1) + 1);
    if (text.compare(0, opening.size(), opening) == 0)
        return ReadTeXDrawText(text, name, out);
    if (!text.empty() && text.back() != '\n')
        text += '\n';
    CTeXDrawReadResult result = ReadTeXDrawText(MakeTeXDrawDocument(text), name, out);
    if (!result.ok)
        result.error = ShiftLineNumber(result.error, name, HeaderLineCount());
    return result;
}
