// The TeXDraw commands that set a part of the drawing's style, in one table: the writer, the
// block parser, the interpreter and the reader of others' drawings spell them from here.
#pragma once

#include <string_view>

enum class EStyleCommand { LineWd, LPatt, SetGray, ArrowHeadType, ArrowHeadSize, TextRef };

struct CStyleCommandInfo {
    EStyleCommand eCommand;
    std::string_view strName;    // the control word without its backslash
    std::string_view strOpening; // as the editor writes it, up to its first value
    std::string_view strReset;   // the line that puts TeXDraw's default back; none for textref
};

inline constexpr CStyleCommandInfo kStyleCommands[] = {
    {EStyleCommand::LineWd, "linewd", "\\linewd ", "\\linewd 0.01\n"},
    {EStyleCommand::LPatt, "lpatt", "\\lpatt(", "\\lpatt()\n"},
    {EStyleCommand::SetGray, "setgray", "\\setgray ", "\\setgray 0\n"},
    {EStyleCommand::ArrowHeadType, "arrowheadtype", "\\arrowheadtype t:", "\\arrowheadtype t:F\n"},
    {EStyleCommand::ArrowHeadSize, "arrowheadsize",
     "\\arrowheadsize l:", "\\arrowheadsize l:0.16 w:0.08\n"},
    {EStyleCommand::TextRef, "textref", "\\textref h:", ""},
};

constexpr const CStyleCommandInfo& StyleCommand(EStyleCommand command) {
    return kStyleCommands[static_cast<int>(command)];
}

// The style command of that control word (without its backslash); nullptr for any other.
constexpr const CStyleCommandInfo* FindStyleCommand(std::string_view name) {
    for (const CStyleCommandInfo& c : kStyleCommands)
        if (c.strName == name)
            return &c;
    return nullptr;
}
