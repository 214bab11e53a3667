#include "canvas/Viewport.h"

#include <algorithm>
#include <cmath>

// --- Coordinate spaces

CPoint CViewport::ClampClient(CPoint client) {
    // Sixteen million pixels: beyond every screen, and far from the int limits.
    constexpr int kReach = 1 << 24;
    return {std::clamp(client.x, -kReach, kReach), std::clamp(client.y, -kReach, kReach)};
}

CPoint CViewport::ClientToArea(CPoint p) const {
    return {p.x + ScrollPos(EScrollBar::Horizontal), p.y + ScrollPos(EScrollBar::Vertical)};
}

CPoint CViewport::AreaToClient(CPoint p) const {
    return {p.x - ScrollPos(EScrollBar::Horizontal), p.y - ScrollPos(EScrollBar::Vertical)};
}

CPoint CViewport::GetPageOrigin() const {
    return {m_nCenterLeft + m_nMarginLeftPx, m_nCenterTop + m_nMarginTopPx};
}

CRect CViewport::GetPaperRect() const {
    return {m_nCenterLeft, m_nCenterTop,
            m_nCenterLeft + m_nMarginLeftPx + m_nPageWidthPx + m_nMarginRightPx,
            m_nCenterTop + m_nMarginTopPx + m_nPageHeightPx + m_nMarginBottomPx};
}

CRect CViewport::GetPageRect() const {
    const CPoint o = GetPageOrigin();
    return {o.x, o.y, o.x + m_nPageWidthPx, o.y + m_nPageHeightPx};
}

bool CViewport::IsOutsidePaper(CPoint area) const {
    return !GetPaperRect().Contains(area);
}

CPoint CViewport::ClampToPage(CPoint area) const {
    const CRect page = GetPageRect();
    // The last pixel inside the page, not the exclusive edge.
    return {std::clamp(area.x, page.left, std::max(page.left, page.right - 1)),
            std::clamp(area.y, page.top, std::max(page.top, page.bottom - 1))};
}

bool CViewport::FitsOnPage(const CRect& r) const {
    const CRect page{0, 0, m_nPageWidthPx - 1, m_nPageHeightPx - 1};
    return page.Contains(r.TopLeft()) && page.Contains(r.BottomRight());
}

// --- Layout

void CViewport::Rescale() {
    const auto px = [this](int units) { return RoundHalf(units * m_dZoom); };
    m_nMarginTopPx = px(m_nMarginTop);
    m_nMarginBottomPx = px(m_nMarginBottom);
    m_nMarginLeftPx = px(m_nMarginLeft);
    m_nMarginRightPx = px(m_nMarginRight);
    m_nPageWidthPx = px(m_nPageWidth);
    m_nPageHeightPx = px(m_nPageHeight);
    m_nGridStepXPx = px(m_nGridStepX);
    m_nGridStepYPx = px(m_nGridStepY);
    m_nGridOriginXPx = px(m_nGridOriginX);
    m_nGridOriginYPx = px(m_nGridOriginY);
}

void CViewport::UpdateScrollBars(int h, int v) {
    const CSize client = m_host.GetClientSize();
    const int w = m_nMarginLeftPx + m_nPageWidthPx + m_nMarginRightPx;
    const int ht = m_nMarginTopPx + m_nPageHeightPx + m_nMarginBottomPx;
    const auto update = [this](EScrollBar bar, bool& enabled, int clientSide, int areaSide,
                               int pos) {
        if (clientSide < areaSide) {
            if (!enabled) {
                m_host.EnableScrollBar(bar, true);
                enabled = true;
            }
            m_host.SetScrollRange(bar, 0, areaSide - 1);
            m_host.SetScrollPage(bar, clientSide);
            m_host.SetScrollPos(bar, pos);
        } else if (enabled) {
            m_host.SetScrollPos(bar, 0);
            m_host.EnableScrollBar(bar, false);
            enabled = false;
        }
    };
    update(EScrollBar::Horizontal, m_bHScroll, client.cx, w, h);
    update(EScrollBar::Vertical, m_bVScroll, client.cy, ht, v);
}

void CViewport::UpdateCentring() {
    const CSize client = m_host.GetClientSize();
    const int w = m_nMarginLeftPx + m_nPageWidthPx + m_nMarginRightPx;
    const int h = m_nMarginTopPx + m_nPageHeightPx + m_nMarginBottomPx;
    if (m_bHScroll) {
        m_nCenterLeft = m_nCenterRight = 0;
    } else {
        m_nCenterLeft = RoundHalf((client.cx - w) * 0.5);
        m_nCenterRight = client.cx - m_nCenterLeft - w;
    }
    if (m_bVScroll) {
        m_nCenterTop = m_nCenterBottom = 0;
    } else {
        m_nCenterTop = RoundHalf((client.cy - h) * 0.5);
        m_nCenterBottom = client.cy - m_nCenterTop - h;
    }
}

void CViewport::Relayout() {
    UpdateScrollBars(0, 0);
    UpdateCentring();
}

// --- Zoom

void CViewport::ApplyZoom(double zoom, int h, int v) {
    m_dZoom = zoom;
    m_nCenterLeft = m_nCenterRight = m_nCenterTop = m_nCenterBottom = 0;
    Rescale();
    UpdateScrollBars(h, v);
    UpdateCentring();
}

// A fit to a client side of zero pixels (a minimised window) would give zoom 0; it is refused.
// A window of a few pixels stops at the zoom floor, like the other zoom commands.
bool CViewport::FitZoom(double z) {
    if (!(z > 0.0) || !std::isfinite(z))
        return false;
    z = std::max(z, m_dZoomMin);
    const double k = z / m_dZoom;
    ApplyZoom(z, RoundHalf(k * ScrollPos(EScrollBar::Horizontal)),
              RoundHalf(k * ScrollPos(EScrollBar::Vertical)));
    return true;
}

bool CViewport::FitWidth() {
    return FitZoom(m_host.GetClientSize().cx /
                   double(m_nPageWidth + m_nMarginLeft + m_nMarginRight));
}

bool CViewport::FitHeight() {
    return FitZoom(m_host.GetClientSize().cy /
                   double(m_nPageHeight + m_nMarginTop + m_nMarginBottom));
}

void CViewport::ActualSize() {
    const double k = 1.0 / m_dZoom;
    ApplyZoom(1.0, RoundHalf(k * ScrollPos(EScrollBar::Horizontal)),
              RoundHalf(k * ScrollPos(EScrollBar::Vertical)));
}

bool CViewport::ZoomToRect(CRect rect, bool square) {
    if (rect.Width() == 0 || rect.Height() == 0)
        return false;
    rect = rect.Normalized();
    if (!square) {
        const int d = std::min(rect.Width(), rect.Height());
        rect.right = std::min(rect.right, rect.left + d);
        rect.bottom = std::min(rect.bottom, rect.top + d);
    }
    const CSize client = m_host.GetClientSize();
    const int s = std::min(client.cx, client.cy);
    const double t = double(s) / rect.Width();
    const double zoom = t * m_dZoom;
    if (!(zoom >= m_dZoomMin && zoom <= m_dZoomMax))
        return false;
    int h = 0;
    int v = 0;
    if (GetPaperRect().Contains(rect.TopLeft())) {
        // Puts the s x s image of the rectangle in the middle of the window.
        h = std::max(0, RoundHalf((rect.left - m_nCenterLeft) * t - (client.cx / 2 - s * 0.5)));
        v = std::max(0, RoundHalf((rect.top - m_nCenterTop) * t - (client.cy / 2 - s * 0.5)));
    }
    ApplyZoom(zoom, h, v);
    return true;
}

void CViewport::ZoomIn() {
    const CSize client = m_host.GetClientSize();
    const CPoint c = ClientToArea({client.cx / 2, client.cy / 2});
    const int g = RoundHalf(std::min(client.cx, client.cy) * 0.25);
    ZoomToRect({c.x - g, c.y - g, c.x + g, c.y + g}, true);
}

void CViewport::ZoomOut() {
    const CSize client = m_host.GetClientSize();
    const CPoint c = ClientToArea({client.cx / 2, client.cy / 2});
    const int g = std::min(client.cx, client.cy);
    ZoomToRect({c.x - g, c.y - g, c.x + g, c.y + g}, true);
}

bool CViewport::ZoomAbout(CPoint client, double factor) {
    const double zoom = std::clamp(m_dZoom * factor, m_dZoomMin, m_dZoomMax);
    if (!(zoom > 0.0) || !std::isfinite(zoom) || zoom == m_dZoom)
        return false;
    client = ClampClient(client);
    const CPoint page = AreaToPage(ClientToArea(client));
    const double ux = page.x / m_dZoom;
    const double uy = page.y / m_dZoom;
    // The new layout (which bars are on, the centring) decides where the page lands; the scroll
    // positions then bring the same page point back under the client point.
    ApplyZoom(zoom, 0, 0);
    const CPoint origin = GetPageOrigin();
    UpdateScrollBars(RoundHalf(origin.x + ux * zoom) - client.x,
                     RoundHalf(origin.y + uy * zoom) - client.y);
    return true;
}

// --- Scrolling

bool CViewport::Scroll(EScrollBar bar, EScrollRequest request, int trackPos) {
    if (!(bar == EScrollBar::Horizontal ? m_bHScroll : m_bVScroll))
        return false;
    const int pos = m_host.GetScrollPos(bar);
    const int lo = m_host.GetScrollMin(bar);
    const int hi = m_host.GetScrollMax(bar);
    const int page = m_host.GetScrollPage(bar);
    int next = pos;
    switch (request) {
    case EScrollRequest::LineUp:
        next = std::max(lo, pos - 1);
        break;
    case EScrollRequest::LineDown:
        next = std::min(hi, pos + 1);
        break;
    case EScrollRequest::PageUp:
        next = std::max(lo, pos - page);
        break;
    case EScrollRequest::PageDown:
        next = std::min(hi, pos + page);
        break;
    case EScrollRequest::ThumbTrack:
    case EScrollRequest::ThumbPosition:
        next = trackPos;
        break;
    case EScrollRequest::Top:
        next = lo;
        break;
    case EScrollRequest::Bottom:
        next = hi;
        break;
    case EScrollRequest::EndScroll:
        break;
    }
    m_host.SetScrollPos(bar, next);
    return true;
}

void CViewport::AutoScroll(CPoint client) {
    const CSize size = m_host.GetClientSize();
    const CRect rc{0, 0, size.cx, size.cy};
    if (rc.Contains(client))
        return;
    const int dx = client.x < rc.left ? client.x - rc.left : std::max(0, client.x - rc.right);
    const int dy = client.y < rc.top ? client.y - rc.top : std::max(0, client.y - rc.bottom);
    if (m_bHScroll)
        m_host.SetScrollPos(EScrollBar::Horizontal, ScrollPos(EScrollBar::Horizontal) + dx);
    if (m_bVScroll)
        m_host.SetScrollPos(EScrollBar::Vertical, ScrollPos(EScrollBar::Vertical) + dy);
}
