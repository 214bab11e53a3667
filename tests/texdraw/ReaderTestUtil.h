// Helpers of the reader tests: reading a text into a fresh list, naming what came back, and
// comparing two documents whose numbers may differ by rounding.
#pragma once

#include "figures/BezierCurve.h"
#include "figures/FigureList.h"
#include "figures/Label.h"
#include "figures/Line.h"
#include "figures/Polyline.h"
#include "figures/RawTeX.h"
#include "figures/Rectangle.h"
#include "figures/RotatableFigures.h"
#include "figures/Shapes.h"
#include "figures/TextFigures.h"
#include "texdraw/Document.h"
#include "texdraw/Reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <string>
#include <vector>

struct CReadBack {
    CTeXDrawReadResult result;
    CFigureList list;
};

inline CReadBack ReadBack(const std::string& text, const std::string& name = "drawing.txt") {
    CReadBack r;
    r.result = ReadTeXDrawText(text, name, r.list);
    return r;
}

// The class of a figure, as the reader is to choose it (the type names alone do not tell a
// rhomb from a rectangle, nor a turnable figure from a plain one).
inline std::string ClassOf(const CFigure* f) {
    if (!f)
        return "null";
    if (dynamic_cast<const CRawTeXFigure*>(f))
        return "Raw";
    if (dynamic_cast<const CTextRectangle*>(f))
        return "TextRectangle";
    if (dynamic_cast<const CTextEllipse*>(f))
        return "TextEllipse";
    if (dynamic_cast<const CTextRhomb*>(f))
        return "TextRhomb";
    if (dynamic_cast<const CRotatableEllipse*>(f))
        return "RotatableEllipse";
    if (dynamic_cast<const CRotatableRectangle*>(f))
        return "RotatableRectangle";
    if (dynamic_cast<const CBezierCurve*>(f))
        return "Bezier";
    if (dynamic_cast<const CPictureFigure*>(f))
        return "Picture";
    if (dynamic_cast<const CRhomb*>(f))
        return "Rhomb";
    if (dynamic_cast<const CEllipse*>(f))
        return "Ellipse";
    if (dynamic_cast<const CRectangle*>(f))
        return "Rectangle";
    if (dynamic_cast<const CArrow*>(f))
        return "Arrow";
    if (const auto* line = dynamic_cast<const CLine*>(f))
        return line->m_nPenStyle == kPenStyleDotted ? "DottedLine" : "Line";
    return f->m_strType;
}

inline std::vector<std::string> ClassesOf(const CFigureList& list) {
    std::vector<std::string> names;
    for (int i = 0; i < list.GetCount(); ++i)
        names.push_back(ClassOf(list.GetAt(i)));
    return names;
}

// Fails unless a and b are the same text but for numbers that differ by at most tolerance.
inline void ExpectSameWithin(const std::string& a, const std::string& b, double tolerance) {
    static const std::regex number(R"(-?[0-9]+\.[0-9]+)");
    EXPECT_EQ(std::regex_replace(a, number, "#"), std::regex_replace(b, number, "#"));
    std::vector<double> na, nb;
    for (auto it = std::sregex_iterator(a.begin(), a.end(), number); it != std::sregex_iterator();
         ++it)
        na.push_back(std::stod(it->str()));
    for (auto it = std::sregex_iterator(b.begin(), b.end(), number); it != std::sregex_iterator();
         ++it)
        nb.push_back(std::stod(it->str()));
    ASSERT_EQ(na.size(), nb.size());
    for (std::size_t i = 0; i < na.size(); ++i)
        EXPECT_NEAR(na[i], nb[i], tolerance + 1e-9) << "number " << i;
}

inline const std::string& TestHeader() {
    static const std::string header = [] {
        const std::string doc = MakeTeXDrawDocument(std::string("|"));
        return doc.substr(0, doc.find('|'));
    }();
    return header;
}

inline std::string TestDocument(const std::string& body) {
    return MakeTeXDrawDocument(body);
}
