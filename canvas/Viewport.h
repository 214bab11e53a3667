// CViewport: which part of the page the canvas's window shows, and at what size: the zoom, the
// page and its margins in page units and in pixels, the centring of paper smaller than the
// window, the scroll bars, and the conversions between client, area and page pixels.
#pragma once

#include "canvas/CanvasHost.h"
#include "figures/Geometry.h"

// The scroll-bar requests the widget forwards (line, page, thumb, ends).
enum class EScrollRequest {
    LineUp, // line left / up
    LineDown,
    PageUp,
    PageDown,
    ThumbTrack,
    ThumbPosition,
    Top, // leftmost / top
    Bottom,
    EndScroll,
};

// None of these repaint: the canvas repaints after the commands that call them.
class CViewport {
public:
    explicit CViewport(CCanvasHost& host) : m_host(host) {}
    CViewport(const CViewport&) = delete;
    CViewport& operator=(const CViewport&) = delete;

    // --- Coordinate spaces. Client pixels are the window's, area pixels the scrolled area's
    // (the paper with its centring), page pixels start at the page's top-left corner.
    CPoint ClientToArea(CPoint p) const;
    CPoint AreaToClient(CPoint p) const;
    CPoint GetPageOrigin() const; // in area pixels
    CPoint AreaToPage(CPoint p) const { return p - GetPageOrigin(); }
    CPoint PageToArea(CPoint p) const { return p + GetPageOrigin(); }
    CRect GetPaperRect() const; // area pixels
    CRect GetPageRect() const;  // area pixels
    bool IsOutsidePaper(CPoint area) const;
    CPoint ClampToPage(CPoint area) const;
    // Whether a rectangle in page pixels (a shifted selection) lies on the page: both its
    // top-left and bottom-right corner inside (0, 0, page width - 1, page height - 1), right
    // and bottom edges exclusive.
    bool FitsOnPage(const CRect& r) const;
    // A pointer position as it enters from the window, kept far inside the int range so that
    // adding the scroll position or taking a move's difference cannot overflow.
    static CPoint ClampClient(CPoint client);
    int ScrollPos(EScrollBar bar) const { return m_host.GetScrollPos(bar); }

    // --- State.
    double GetZoom() const { return m_dZoom; }
    bool IsHScrollEnabled() const { return m_bHScroll; }
    bool IsVScrollEnabled() const { return m_bVScroll; }
    int GetCenterLeft() const { return m_nCenterLeft; }
    int GetCenterTop() const { return m_nCenterTop; }
    int GetCenterRight() const { return m_nCenterRight; }
    int GetCenterBottom() const { return m_nCenterBottom; }
    CSize GetPageSizePx() const { return {m_nPageWidthPx, m_nPageHeightPx}; }
    CSize GetGridStepPx() const { return {m_nGridStepXPx, m_nGridStepYPx}; }
    // In page units, as the grid lines are made.
    CSize GetPageSize() const { return {m_nPageWidth, m_nPageHeight}; }
    CSize GetGridStep() const { return {m_nGridStepX, m_nGridStepY}; }
    CPoint GetGridOrigin() const { return {m_nGridOriginX, m_nGridOriginY}; }

    // --- Layout: scroll bars and centring for the client size, zoom changes, scrolling.
    void UpdateScrollBars(int h, int v);
    void UpdateCentring();
    // Scroll bars from the top left, then the centring: a new window size or the first paint.
    void Relayout();
    // The common tail of every zoom change.
    void ApplyZoom(double zoom, int h, int v);
    // Sets the zoom z keeping the scroll positions in proportion; false when z is not usable.
    bool FitZoom(double z);
    bool FitWidth();
    bool FitHeight();
    void ActualSize();
    // Zooms so that the (square) rectangle in area pixels fills the smaller client side. Refused
    // (false) for an empty rectangle or when the zoom would leave [m_dZoomMin, m_dZoomMax].
    bool ZoomToRect(CRect rect, bool square);
    void ZoomIn();  // twice the zoom around the client centre
    void ZoomOut(); // half the zoom around the client centre
    // Multiplies the zoom by factor (kept within [m_dZoomMin, m_dZoomMax]) so that the page point
    // under the client point stays under it where the scroll bars allow. False when the zoom
    // stays as it was.
    bool ZoomAbout(CPoint client, double factor);
    // A request from one scroll bar; false when the bar is disabled and nothing happened.
    bool Scroll(EScrollBar bar, EScrollRequest request, int trackPos);
    // A drag that left the window scrolls toward the pointer.
    void AutoScroll(CPoint client);

    // Smallest and largest zoom that zoom in, zoom out and zoom to rectangle may reach. The floor
    // keeps every conversion away from a division by zero.
    double m_dZoomMax = 10.0;
    double m_dZoomMin = 0.01;

private:
    void Rescale();

    CCanvasHost& m_host;

    int m_nCenterTop = 0;
    int m_nCenterBottom = 0;
    int m_nCenterLeft = 0;
    int m_nCenterRight = 0;
    int m_nMarginTopPx = 7;
    int m_nMarginBottomPx = 7;
    int m_nMarginLeftPx = 7;
    int m_nMarginRightPx = 7;
    int m_nPageWidthPx = 681;
    int m_nPageHeightPx = 801;
    int m_nGridStepXPx = 51;
    int m_nGridStepYPx = 51;
    int m_nGridOriginXPx = 2;
    int m_nGridOriginYPx = 2;
    int m_nGridStepX = 51;
    int m_nGridStepY = 51;
    int m_nGridOriginX = 2;
    int m_nGridOriginY = 2;
    int m_nMarginTop = 7;
    int m_nMarginBottom = 7;
    int m_nMarginLeft = 7;
    int m_nMarginRight = 7;
    int m_nPageWidth = 681;
    int m_nPageHeight = 801;
    double m_dZoom = 1.0;
    bool m_bHScroll = true;
    bool m_bVScroll = true;
};
