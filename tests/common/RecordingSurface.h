// A draw surface that records every call, so tests can check exactly what a figure or the
// canvas drew without looking at pixels.
#pragma once

#include "figures/DrawSurface.h"

#include <optional>
#include <string>
#include <vector>

struct CDrawCall {
    enum EKind { Line, Pixel, Rectangle, Fill, Bezier, Polygon, Text, Image, XorRect, Origin };
    EKind kind;
    std::vector<CPoint> points; // Line: from, to; Pixel: p; Bezier/Polygon: all; Origin: origin
    CRect rect{};               // Rectangle, Fill, Text, Image, XorRect
    CPen pen{};
    std::optional<COLORREF> fill; // Rectangle fill, Fill/Polygon/Pixel colour
    std::string text;             // Text, Image path
};

class CRecordingSurface : public CDrawSurface {
public:
    std::vector<CDrawCall> calls;

    void Line(CPoint from, CPoint to, const CPen& pen) override {
        calls.push_back({CDrawCall::Line, {from, to}, {}, pen, {}, {}});
    }
    void SetPixel(CPoint p, COLORREF color) override {
        calls.push_back({CDrawCall::Pixel, {p}, {}, {}, color, {}});
    }
    void Rectangle(const CRect& r, const CPen& pen, std::optional<COLORREF> fill) override {
        calls.push_back({CDrawCall::Rectangle, {}, r, pen, fill, {}});
    }
    void FillRect(const CRect& r, COLORREF color) override {
        calls.push_back({CDrawCall::Fill, {}, r, {}, color, {}});
    }
    void PolyBezier(const std::vector<CPoint>& points, const CPen& pen) override {
        calls.push_back({CDrawCall::Bezier, points, {}, pen, {}, {}});
    }
    void FillPolygon(const std::vector<CPoint>& points, COLORREF color) override {
        calls.push_back({CDrawCall::Polygon, points, {}, {}, color, {}});
    }
    void DrawText(const CRect& r, const std::string& text) override {
        calls.push_back({CDrawCall::Text, {}, r, {}, {}, text});
    }
    // Recorded as a Text call: the point in points, the references, angle and size in rect
    // (left h, top v, right degrees, bottom pixel size).
    void DrawTextAt(CPoint at, const std::string& text, char h, char v, double degrees,
                    int pixelSize) override {
        calls.push_back(
            {CDrawCall::Text, {at}, {h, v, static_cast<int>(degrees), pixelSize}, {}, {}, text});
    }
    void DrawImage(const std::string& path, const CRect& r) override {
        calls.push_back({CDrawCall::Image, {}, r, {}, {}, path});
    }
    void XorRectangle(const CRect& r) override {
        calls.push_back({CDrawCall::XorRect, {}, r, {}, {}, {}});
    }
    void SetOrigin(CPoint origin) override {
        calls.push_back({CDrawCall::Origin, {origin}, {}, {}, {}, {}});
    }

    std::vector<CDrawCall> OfKind(CDrawCall::EKind kind) const {
        std::vector<CDrawCall> out;
        for (const auto& c : calls)
            if (c.kind == kind)
                out.push_back(c);
        return out;
    }
};
