#include "app/CanvasWidget.h"

#include "app/Commands.h"

#include "app/Dialogs.h"
#include "app/TextlessSurface.h"
#include "app/surface/QtSurface.h"
#include "app/surface/SurfaceCaches.h"
#include "latex/LatexLog.h"
#include "latex/TextChecks.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygon>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <tuple>
#include <utility>
#include <vector>

namespace {

CPoint ToCPoint(const QPointF& p) {
    return {static_cast<int>(std::floor(p.x())), static_cast<int>(std::floor(p.y()))};
}

Qt::CursorShape ToQtCursor(ECursor cursor) {
    switch (cursor) {
    case ECursor::Cross:
        return Qt::CrossCursor;
    case ECursor::SizeWE:
        return Qt::SizeHorCursor;
    case ECursor::SizeNS:
        return Qt::SizeVerCursor;
    case ECursor::SizeNESW:
        return Qt::SizeBDiagCursor;
    case ECursor::SizeNWSE:
        return Qt::SizeFDiagCursor;
    case ECursor::None:
    case ECursor::Arrow:
        break;
    }
    return Qt::ArrowCursor;
}

// The canvas's key for a key event; Other for every key it does not use. The plus and minus
// keys zoom only on the numeric keypad.
EKey ToCanvasKey(const QKeyEvent& e) {
    const bool keypad = e.modifiers() & Qt::KeypadModifier;
    switch (e.key()) {
    case Qt::Key_Left:
        return EKey::Left;
    case Qt::Key_Up:
        return EKey::Up;
    case Qt::Key_Right:
        return EKey::Right;
    case Qt::Key_Down:
        return EKey::Down;
    case Qt::Key_Delete:
        return EKey::Delete;
    case Qt::Key_Escape:
        return EKey::Escape;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return EKey::Enter;
    case Qt::Key_Plus:
        return keypad ? EKey::NumPlus : EKey::Other;
    case Qt::Key_Minus:
        return keypad ? EKey::NumMinus : EKey::Other;
    default:
        return EKey::Other;
    }
}

} // namespace

CCanvasWidget::CCanvasWidget(QWidget* parent)
    : QAbstractScrollArea(parent), m_pSurfaceCaches(std::make_unique<CSurfaceCaches>()) {
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The canvas paints every pixel of the client area each time: nothing is erased first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    viewport()->setMouseTracking(true);
    for (EScrollBar bar : {EScrollBar::Horizontal, EScrollBar::Vertical}) {
        QScrollBar* sb = Bar(bar);
        sb->setSingleStep(1);
        connect(sb, &QAbstractSlider::actionTriggered, this,
                [this, bar](int action) { OnBarAction(bar, action); });
        connect(sb, &QAbstractSlider::sliderReleased, this, [this, bar] { OnBarReleased(bar); });
        ApplyRange(bar);
    }
    m_pCanvas = std::make_unique<CQuodra>(*this);
    m_told = ReadToldState();
}

CCanvasWidget::~CCanvasWidget() = default;

QScrollBar* CCanvasWidget::Bar(EScrollBar bar) const {
    return bar == EScrollBar::Vertical ? verticalScrollBar() : horizontalScrollBar();
}

// --- Scroll bars: a range [min, max] and a page as the canvas gives them; the slider's own
// maximum is the last position, max - page + 1.

void CCanvasWidget::ApplyRange(EScrollBar bar) {
    const CBarState& s = State(bar);
    QScrollBar* sb = Bar(bar);
    const QSignalBlocker block(sb);
    if (!s.bEnabled) {
        // Nothing to scroll: the slider fills the whole bar, as a disabled bar shows it.
        sb->setRange(0, 0);
        return;
    }
    const int last = std::max(s.nMin, s.nMax - std::max(s.nPage, 1) + 1);
    sb->setRange(s.nMin, last);
    sb->setPageStep(std::max(s.nPage, 1));
}

void CCanvasWidget::SetScrollRange(EScrollBar bar, int min, int max) {
    State(bar).nMin = min;
    State(bar).nMax = std::max(min, max);
    ApplyRange(bar);
}

void CCanvasWidget::SetScrollPage(EScrollBar bar, int page) {
    State(bar).nPage = std::max(0, page);
    ApplyRange(bar);
}

void CCanvasWidget::SetScrollPos(EScrollBar bar, int pos) {
    QScrollBar* sb = Bar(bar);
    const QSignalBlocker block(sb);
    sb->setValue(pos); // the slider clamps it to [min, max - page + 1]
    sb->setSliderPosition(sb->value());
}

int CCanvasWidget::GetScrollPos(EScrollBar bar) const {
    return Bar(bar)->value();
}
int CCanvasWidget::GetScrollMin(EScrollBar bar) const {
    return State(bar).nMin;
}
int CCanvasWidget::GetScrollMax(EScrollBar bar) const {
    return State(bar).nMax;
}
int CCanvasWidget::GetScrollPage(EScrollBar bar) const {
    return State(bar).nPage;
}

void CCanvasWidget::EnableScrollBar(EScrollBar bar, bool enable) {
    State(bar).bEnabled = enable;
    ApplyRange(bar);
    Bar(bar)->setEnabled(enable);
}

// A click or drag on a scroll bar goes to the canvas as a request; the canvas sets the position
// and repaints. The slider's own move is undone so that only the canvas moves it.
void CCanvasWidget::OnBarAction(EScrollBar bar, int action) {
    QScrollBar* sb = Bar(bar);
    const int proposed = sb->sliderPosition();
    sb->setSliderPosition(sb->value());
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        Scroll(bar, EScrollRequest::LineDown);
        break;
    case QAbstractSlider::SliderSingleStepSub:
        Scroll(bar, EScrollRequest::LineUp);
        break;
    case QAbstractSlider::SliderPageStepAdd:
        Scroll(bar, EScrollRequest::PageDown);
        break;
    case QAbstractSlider::SliderPageStepSub:
        Scroll(bar, EScrollRequest::PageUp);
        break;
    case QAbstractSlider::SliderToMinimum:
        Scroll(bar, EScrollRequest::Top);
        break;
    case QAbstractSlider::SliderToMaximum:
        Scroll(bar, EScrollRequest::Bottom);
        break;
    case QAbstractSlider::SliderMove:
        Scroll(bar, EScrollRequest::ThumbTrack, proposed);
        break;
    default:
        break;
    }
    sb->setSliderPosition(sb->value());
}

void CCanvasWidget::OnBarReleased(EScrollBar bar) {
    Scroll(bar, EScrollRequest::ThumbPosition, Bar(bar)->value());
    Scroll(bar, EScrollRequest::EndScroll);
}

void CCanvasWidget::Scroll(EScrollBar bar, EScrollRequest request, int pos) {
    if (bar == EScrollBar::Vertical)
        m_pCanvas->OnVScroll(request, pos);
    else
        m_pCanvas->OnHScroll(request, pos);
}

void CCanvasWidget::scrollContentsBy(int, int) {
    // The canvas draws from the scroll positions itself; nothing is shifted here.
}

// --- The rest of the host

CSize CCanvasWidget::GetClientSize() const {
    const QSize s = viewport()->size();
    return {s.width(), s.height()};
}

void CCanvasWidget::RepaintNow() {
    m_damage = QRegion();
    if (m_bDeferRepaint)
        viewport()->update();
    else
        viewport()->repaint();
    TellChanges(false);
}

void CCanvasWidget::InvalidateRect(const CRect& client) {
    if (client.left >= client.right || client.top >= client.bottom)
        return;
    const QRect r =
        QRect(QPoint(client.left, client.top), QPoint(client.right - 1, client.bottom - 1)) &
        viewport()->rect();
    if (!r.isEmpty())
        m_damage += r;
}

void CCanvasWidget::UpdateNow() {
    if (!m_damage.isEmpty())
        viewport()->repaint(std::exchange(m_damage, QRegion()));
    TellChanges(false);
}

// Qt keeps sending the mouse to the widget that got the button press until its release, which
// is the capture the canvas asks for; an explicit grab would only fight with that.
void CCanvasWidget::CaptureMouse() {}
void CCanvasWidget::ReleaseMouse() {}

void CCanvasWidget::TakeFocus() {
    setFocus(Qt::OtherFocusReason);
}

void CCanvasWidget::SetCursorShape(ECursor cursor) {
    viewport()->setCursor(ToQtCursor(cursor));
}

CPoint CCanvasWidget::GetPointerPos() const {
    const QPoint p = viewport()->mapFromGlobal(QCursor::pos());
    return {p.x(), p.y()};
}

void CCanvasWidget::SetPointerPos(CPoint client) {
    QCursor::setPos(viewport()->mapToGlobal(QPoint(client.x, client.y)));
}

std::optional<std::string> CCanvasWidget::RunPropertiesDialog(const std::string& text,
                                                              bool enabled) {
    if (m_fnPropertiesDialog)
        return m_fnPropertiesDialog(text, enabled);
    CProperties dlg(this);
    dlg.m_bEnabled = enabled;
    dlg.m_strText = QString::fromStdString(text);
    if (dlg.exec() != CProperties::kApplied)
        return std::nullopt;
    return dlg.m_strText.toStdString();
}

std::optional<std::string> CCanvasWidget::RunSetTextDialog() {
    if (m_fnSetTextDialog)
        return m_fnSetTextDialog();
    CSetTextDialog dlg(this);
    if (dlg.exec() != QDialog::Accepted)
        return std::nullopt;
    return dlg.m_strText.toStdString();
}

void CCanvasWidget::SetClipboardText(const std::string& text) {
    QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

std::string CCanvasWidget::GetClipboardText() const {
    return QGuiApplication::clipboard()->text().toStdString();
}

void CCanvasWidget::ShowMessage(const std::string& text) {
    emit MessageWanted(QString::fromStdString(text));
}

void CCanvasWidget::OnEditStateChanged() {
    TellChanges(true);
    emit EditStateChanged();
}

CCanvasWidget::CToldState CCanvasWidget::ReadToldState() const {
    const CQuodra& c = *m_pCanvas;
    CToldState s;
    s.nRevision = c.GetRevision();
    s.dZoom = c.GetZoom();
    s.scroll = {GetScrollPos(EScrollBar::Horizontal), GetScrollPos(EScrollBar::Vertical)};
    s.pageOrigin = c.GetPageOrigin();
    s.client = GetClientSize();
    s.eMode = c.GetMode();
    s.eMouse = c.GetMouseState();
    s.nGrabbedHandle = c.GetGrabbedHandle();
    s.bBand = c.IsRubberBandShown();
    s.down = c.GetDownPoint();
    s.current = c.GetCurrentPoint();
    return s;
}

void CCanvasWidget::TellChanges(bool editState) {
    const CToldState now = ReadToldState();
    const CToldState was = std::exchange(m_told, now);
    unsigned changes = editState ? kSelectionChanged : 0u;
    if (now.nRevision != was.nRevision)
        changes |= kFiguresChanged;
    if (now.dZoom != was.dZoom)
        changes |= kZoomChanged;
    if (now.scroll != was.scroll || now.pageOrigin != was.pageOrigin || now.client != was.client)
        changes |= kViewMoved;
    if (std::tie(now.eMode, now.eMouse, now.nGrabbedHandle, now.bBand, now.down, now.current) !=
        std::tie(was.eMode, was.eMouse, was.nGrabbedHandle, was.bBand, was.down, was.current))
        changes |= kGestureChanged;
    if (changes != 0)
        emit StateChanged(changes);
}

// --- Events

bool CCanvasWidget::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Leave)
        emit PointerLeft();
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString text = GetTextWarningAt(help->pos());
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, viewport());
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

bool CCanvasWidget::event(QEvent* event) {
    // The keys the canvas uses are its own, whatever shortcut might want them.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
        if (mods == Qt::NoModifier && ToCanvasKey(*key) != EKey::Other) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

// Tab and Shift+Tab stay with the canvas instead of moving the focus.
bool CCanvasWidget::focusNextPrevChild(bool) {
    return false;
}

void CCanvasWidget::paintEvent(QPaintEvent* event) {
    // The canvas is painted into an image of the window's raster pixels and then copied: in an
    // image the surface can write one-pixel lines straight into the scan lines. The image is kept,
    // and only what the event asks for is painted again.
    const qreal ratio = viewport()->devicePixelRatioF();
    const QSize size = viewport()->size() * ratio;
    bool whole = event->region().contains(viewport()->rect());
    if (m_buffer.size() != size || m_buffer.devicePixelRatio() != ratio) {
        m_buffer = QImage(size, QImage::Format_RGB32);
        m_buffer.setDevicePixelRatio(ratio);
        whole = true;
    }
    // A view that moved since the last painting (the pointer scrolled it in a drag) no longer fits
    // what the image holds: all of it is painted, and the window copies the rest soon after.
    const bool moved = m_pCanvas->IsFirstPaintPending() || m_pCanvas->IsViewChangedSincePaint();
    PaintCanvasImage(*m_pCanvas, *m_pSurfaceCaches, m_buffer,
                     whole || moved ? QRegion() : event->region(), HidesTexts());
    QPainter painter(viewport());
    painter.drawImage(QPoint(0, 0), m_buffer); // the painter is clipped to the event's region
    // Drawn by the window over what the canvas painted, in client pixels.
    if (m_fnPaintOverlay)
        m_fnPaintOverlay(painter);
    PaintTextWarnings(painter, event->region());
    painter.end();
    if (moved && !whole)
        viewport()->update();
    emit Painted();
}

namespace {

qint64 Area(const QRect& r) {
    return qint64(r.width()) * r.height();
}

void MergeNearbyRects(std::vector<QRect>& rects) {
    // Each rectangle costs a pass over the figures that meet it, and a figure meeting two is
    // painted twice: pieces that lie close together (the bands a region cuts two overlapping
    // rectangles into, or a figure's place before and after a step) are painted as one, when that
    // paints at most twice their pixels. What lies between them is painted again as it already
    // is.
    for (std::size_t i = 0; i < rects.size(); ++i) {
        for (std::size_t j = i + 1; j < rects.size(); ++j) {
            const QRect both = rects[i] | rects[j];
            if (Area(both) > 2 * (Area(rects[i]) + Area(rects[j])))
                continue;
            rects[i] = both;
            rects.erase(rects.begin() + static_cast<std::ptrdiff_t>(j));
            j = i; // the grown rectangle may now take pieces it passed over
        }
    }
}

} // namespace

void PaintCanvasImage(CQuodra& canvas, CSurfaceCaches& caches, QImage& image, const QRegion& region,
                      bool hideTexts) {
    const auto paint = [&](CDrawSurface& surface, const QRect* r) {
        CTextlessSurface textless(surface);
        CDrawSurface& dc = hideTexts ? static_cast<CDrawSurface&>(textless) : surface;
        if (r)
            canvas.OnPaint(dc, {r->left(), r->top(), r->right() + 1, r->bottom() + 1});
        else
            canvas.OnPaint(dc);
    };
    if (region.isEmpty()) {
        // Written as the calls come: holding the writes back for a helper thread measured slower
        // (scripts/bench shows both), with the second core idle or busy.
        QPainter painter(&image);
        CQtSurface surface(painter, caches);
        paint(surface, nullptr);
        return;
    }
    // Rectangle by rectangle, each painted into an image of the same size with no clip, where
    // every call sets the pixels it sets in a whole painting (a clip would change how the painter
    // rounds what it cuts), with the surface's own writes kept to the rectangle; the rectangle is
    // then copied over. A region of many pieces is painted as its bounding rectangle.
    std::vector<QRect> rects(region.begin(), region.end());
    if (rects.size() > CDamage::kMaxRects)
        rects = {region.boundingRect()};
    MergeNearbyRects(rects);
    QImage& scratch = caches.DamageImage();
    const qreal ratio = image.devicePixelRatio();
    if (scratch.size() != image.size() || scratch.format() != image.format()) {
        scratch = QImage(image.size(), image.format());
        scratch.fill(0);
    }
    scratch.setDevicePixelRatio(ratio);
    scratch.setDotsPerMeterX(image.dotsPerMeterX());
    scratch.setDotsPerMeterY(image.dotsPerMeterY());
    QPainter scratchPainter(&scratch);
    const QRect imageRect = image.rect();
    for (const QRect& r : rects) {
        // The image pixels the rectangle covers, rounded outwards, and the whole client pixels
        // that cover those.
        const QRect pixels =
            QRect(QPoint(int(std::floor(r.left() * ratio)), int(std::floor(r.top() * ratio))),
                  QPoint(int(std::ceil((r.right() + 1) * ratio)) - 1,
                         int(std::ceil((r.bottom() + 1) * ratio)) - 1)) &
            imageRect;
        if (pixels.isEmpty())
            continue;
        const QRect units(
            QPoint(int(std::floor(pixels.left() / ratio)), int(std::floor(pixels.top() / ratio))),
            QPoint(int(std::ceil((pixels.right() + 1) / ratio)) - 1,
                   int(std::ceil((pixels.bottom() + 1) / ratio)) - 1));
        {
            CQtSurface surface(scratchPainter, caches);
            surface.LimitWrites(pixels);
            paint(surface, &units);
        }
        const auto bytes = static_cast<std::size_t>(pixels.width()) * 4;
        for (int y = pixels.top(); y <= pixels.bottom(); ++y)
            std::memcpy(image.scanLine(y) + std::size_t(pixels.left()) * 4,
                        scratch.constScanLine(y) + std::size_t(pixels.left()) * 4, bytes);
    }
}

QImage CCanvasWidget::PaintWhole() {
    QImage image(m_buffer.size(), m_buffer.format());
    image.setDevicePixelRatio(m_buffer.devicePixelRatio());
    PaintCanvasImage(*m_pCanvas, *m_pSurfaceCaches, image, QRegion(), HidesTexts());
    return image;
}

void CCanvasWidget::resizeEvent(QResizeEvent*) {
    m_pCanvas->OnResize();
}

void CCanvasWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    m_pCanvas->OnLButtonDown(ToCPoint(event->position()),
                             event->modifiers().testFlag(Qt::ControlModifier));
}

void CCanvasWidget::mouseMoveEvent(QMouseEvent* event) {
    m_pCanvas->OnMouseMove(ToCPoint(event->position()));
    m_pCanvas->OnSetCursor();
    // A move that painted nothing may still have moved the gesture on.
    TellChanges(false);
    emit PointerMoved(event->position().toPoint());
}

void CCanvasWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    m_pCanvas->OnLButtonUp(ToCPoint(event->position()));
    m_pCanvas->OnSetCursor();
}

void CCanvasWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    m_pCanvas->OnLButtonDblClk(ToCPoint(event->position()));
}

void CCanvasWidget::keyPressEvent(QKeyEvent* event) {
    const EKey key = ToCanvasKey(*event);
    // A tool's letter chooses it, but never in the middle of a gesture: a drag or a polyline's
    // corners finish with the tool they began with.
    const Qt::KeyboardModifiers mods =
        event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    if (key == EKey::Other && mods == Qt::NoModifier && event->key() >= Qt::Key_A &&
        event->key() <= Qt::Key_Z && !event->isAutoRepeat()) {
        if (const int command = FindToolKeyCommand(char('A' + (event->key() - Qt::Key_A)));
            command != 0 && !m_pCanvas->IsGestureUnderWay() && !IsButtonDown()) {
            emit ToolKeyPressed(command);
            event->accept();
            return;
        }
    }
    if (key == EKey::Other) {
        // Tab stays with the canvas (focusNextPrevChild): passed on, it would reach the window,
        // which moves the focus into the docks.
        if (event->key() != Qt::Key_Tab && event->key() != Qt::Key_Backtab)
            event->ignore();
        return;
    }
    m_pCanvas->OnKeyDown(key);
}

void CCanvasWidget::wheelEvent(QWheelEvent* event) {
    // The view changes at once; the painting comes when the events waiting are handled, however
    // many wheel events there are among them.
    const QScopedValueRollback defer(m_bDeferRepaint, true);
    QPoint delta = event->angleDelta();
    if (event->modifiers().testFlag(Qt::ControlModifier)) {
        // Zooms about the pointer; a wheel turned sideways counts as well.
        const int d = delta.y() != 0 ? delta.y() : delta.x();
        if (d != 0 && !IsButtonDown())
            m_pCanvas->ZoomAbout(ToCPoint(event->position()), WheelZoomFactor(d));
        event->accept();
        return;
    }
    if (event->modifiers().testFlag(Qt::ShiftModifier) && delta.x() == 0)
        delta = {delta.y(), 0};
    // A notch is 120; finer wheels and touch pads send parts of it.
    for (EScrollBar bar : {EScrollBar::Horizontal, EScrollBar::Vertical}) {
        const int d = bar == EScrollBar::Vertical ? delta.y() : delta.x();
        const int step = static_cast<int>(std::lround(-d / 120.0 * kWheelStep));
        if (step != 0)
            Scroll(bar, EScrollRequest::ThumbPosition, GetScrollPos(bar) + step);
    }
    event->accept();
}

bool CCanvasWidget::IsButtonDown() const {
    return (int(m_pCanvas->GetMouseState()) & kMousePressed) != 0;
}

void CCanvasWidget::contextMenuEvent(QContextMenuEvent* event) {
    // Not in the middle of a drag: the left button's gesture keeps the pointer.
    if (IsButtonDown())
        return;
    emit ContextMenuWanted(event->pos(), event->globalPos());
    event->accept();
}
