#include "figures/Rectangle.h"

#include <filesystem>
#include <utility>

std::unique_ptr<CFigure> CRectangle::Clone() const {
    auto copy = std::make_unique<CRectangle>();
    copy->CopyFrom(*this);
    return copy;
}

void CRectangle::SetHandlePoint(int handle, int x, int y, double zoom) {
    if (handle < kHandleStart || handle > kHandleLeft)
        return;
    CDoublePoint m = ToPageUnits(x, y, zoom);
    LimitHandlePoint(handle, m);
    ResizeFrame(handle, m);
}

void CRectangle::LimitHandlePoint(int handle, CDoublePoint& m) const {
    // The anchor is the point that stays while this handle is dragged.
    CDoublePoint k;
    switch (handle) {
    case kHandleStart:
        k = m_pt2;
        break;
    case kHandleTop:
        k = (m_pt4 + m_pt2) * 0.5;
        break;
    case kHandleTopRight:
        k = m_pt4;
        break;
    case kHandleRight:
        k = (m_pt1 + m_pt4) * 0.5;
        break;
    case kHandleEnd:
        k = m_pt1;
        break;
    case kHandleBottom:
        k = (m_pt1 + m_pt3) * 0.5;
        break;
    case kHandleBottomLeft:
        k = m_pt3;
        break;
    case kHandleLeft:
        k = (m_pt3 + m_pt2) * 0.5;
        break;
    default:
        return;
    }
    // Out of the band on the side where the point already is; a point on the anchor's own
    // coordinate goes to the lower side. It never crosses the anchor, so mirroring still works.
    auto limit = [](double& v, double anchor) {
        if (anchor - 15 <= v && v <= anchor)
            v = anchor - 15;
        else if (anchor < v && v <= anchor + 15)
            v = anchor + 15;
    };
    limit(m.x, k.x);
    limit(m.y, k.y);
}

std::unique_ptr<CFigure> CRhomb::Clone() const {
    auto copy = std::make_unique<CRhomb>();
    copy->CopyFrom(*this);
    return copy;
}

void CRhomb::Draw(CDrawSurface& dc, double zoom, int dx, int dy) const {
    if (!HasPlainStyle())
        return DrawStyled(dc, zoom, dx, dy);
    // The vertices are the edge midpoints, each rounded to pixels on its own.
    DrawHandleLoop(dc, zoom, dx, dy, kHandleTop, kHandleRight, kHandleBottom, kHandleLeft);
}

std::vector<std::vector<CDoublePoint>> CRhomb::GetStrokePaths(double zoom, CDoublePoint d) const {
    auto loop = GetFillOutline(zoom, d);
    loop.push_back(loop.front());
    return {loop};
}

std::vector<CDoublePoint> CRhomb::GetFillOutline(double zoom, CDoublePoint d) const {
    return {PixelAt(kHandleTop, zoom, d), PixelAt(kHandleRight, zoom, d),
            PixelAt(kHandleBottom, zoom, d), PixelAt(kHandleLeft, zoom, d)};
}

namespace {
std::string& DefaultImagePath() {
    static std::string path = "res/hny.gif";
    return path;
}
} // namespace

void CPictureFigure::SetDefaultImagePath(std::string path) {
    DefaultImagePath() = std::move(path);
}

const std::string& CPictureFigure::GetDefaultImagePath() {
    return DefaultImagePath();
}

std::unique_ptr<CFigure> CPictureFigure::Clone() const {
    // The copy keeps the default image path: only the frame and the common fields travel.
    auto copy = std::make_unique<CPictureFigure>();
    copy->CopyFrom(*this);
    return copy;
}

void CPictureFigure::Draw(CDrawSurface& dc, double zoom, int dx, int dy) const {
    // Whether the file is there is asked on every paint, so a picture that appears or vanishes
    // on disk is shown or left out at the next repaint; reading and keeping the image is the
    // surface's business, and so is the copy built into the program (a path beginning ":/").
    std::error_code error;
    const bool builtIn = m_strImagePath.starts_with(":/");
    if (!builtIn && !std::filesystem::exists(m_strImagePath, error))
        return;
    const CPoint d{dx, dy};
    const CPoint a = GetHandlePoint(kHandleStart, zoom) + d;
    const CPoint b = GetHandlePoint(kHandleEnd, zoom) + d;
    dc.DrawImage(m_strImagePath, CRect{a.x, a.y, b.x, b.y});
}
