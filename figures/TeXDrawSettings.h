// What TeXDraw keeps in force between its statements and a figure's look depends on: the line
// style, the arrowheads and the text reference, in page units. The reader of others' drawings
// records them; a figure read from such a drawing writes itself again against them.
#pragma once

#include <vector>

// The line style in force when something was drawn.
struct CTeXDrawStyle {
    double m_dWidth = 1.0;        // page units (TeXDraw's default 0.01 in)
    std::vector<double> m_dashes; // \lpatt's on/off lengths in page units; empty is solid
    double m_dGray = 0.0;         // 0 black ... 1 white
    friend bool operator==(const CTeXDrawStyle&, const CTeXDrawStyle&) = default;
};

// The settings in force that a figure's look depends on, beside its own arguments.
struct CTeXDrawSettings {
    CTeXDrawStyle m_style;
    char m_cHeadType = 'T';                         // \arrowheadtype's letter (F, T, W, V or H)
    double m_dHeadLength = 0.0, m_dHeadWidth = 0.0; // page units
    char m_cHRef = 'L', m_cVRef = 'B';              // \textref
    friend bool operator==(const CTeXDrawSettings&, const CTeXDrawSettings&) = default;
};
