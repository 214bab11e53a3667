#include "app/PreviewDock.h"

#include "app/CanvasWidget.h"
#include "app/LatexDialogs.h"
#include "latex/LatexLog.h"

#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QMainWindow>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

// The page as typeset, on its paper, with scroll bars of its own that follow the canvas's.
class CPreviewDock::CPageView : public QAbstractScrollArea {
public:
    explicit CPageView(CPreviewDock& dock) : QAbstractScrollArea(&dock), m_dock(dock) {
        setMinimumSize(120, 120);
        viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
        setFrameShape(QFrame::NoFrame);
    }

    // The paper's size as the canvas shows it sets the bars' ranges; the bars move to the
    // canvas's scroll positions whenever those change.
    void FollowCanvas() {
        const CQuodra& canvas = m_dock.m_canvas.GetCanvas();
        const CRect paper = canvas.GetPaperRect();
        const QSize view = viewport()->size();
        horizontalScrollBar()->setRange(0, std::max(0, paper.Width() - view.width()));
        verticalScrollBar()->setRange(0, std::max(0, paper.Height() - view.height()));
        horizontalScrollBar()->setPageStep(view.width());
        verticalScrollBar()->setPageStep(view.height());
        horizontalScrollBar()->setSingleStep(20);
        verticalScrollBar()->setSingleStep(20);
        const QPoint scroll(m_dock.m_canvas.horizontalScrollBar()->value(),
                            m_dock.m_canvas.verticalScrollBar()->value());
        if (scroll != m_canvasScroll) {
            m_canvasScroll = scroll;
            horizontalScrollBar()->setValue(scroll.x());
            verticalScrollBar()->setValue(scroll.y());
        }
        viewport()->update();
    }
    QPoint GetScroll() const {
        return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(viewport());
        painter.fillRect(viewport()->rect(), QColor(160, 160, 160));
        const CQuodra& canvas = m_dock.m_canvas.GetCanvas();
        const CSize page = canvas.GetPageSizePx();
        const QPoint corner = m_dock.GetPageCorner();
        painter.fillRect(QRect(corner, QSize(page.cx, page.cy)), Qt::white);
        // After a failed run the last good picture stays, faded: it is out of date.
        m_dock.PaintPage(painter, corner, m_dock.m_lastResult.bOk ? 1.0 : 0.35);
    }
    void resizeEvent(QResizeEvent* event) override {
        QAbstractScrollArea::resizeEvent(event);
        FollowCanvas();
    }
    void scrollContentsBy(int, int) override { viewport()->update(); }

private:
    CPreviewDock& m_dock;
    QPoint m_canvasScroll{-1, -1};
};

CPreviewDock::CPreviewDock(CCanvasWidget& canvas, QWidget* parent)
    : QDockWidget("Typeset Preview", parent), m_canvas(canvas),
      m_pTypesetter(std::make_unique<CTypesetter>()) {
    setObjectName("TypesetPreview");
    m_strPreamble = GetLatexPreamble();
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    m_pStatus = new QLabel(body);
    m_pStatus->setObjectName("status");
    m_pStatus->setWordWrap(true);
    m_pStatus->setTextFormat(Qt::RichText);
    m_pStatus->setTextInteractionFlags(Qt::TextBrowserInteraction);
    m_pStatus->setOpenExternalLinks(false);
    m_pOverlay = new QCheckBox("&Overlay on the canvas", body);
    m_pPageView = new CPageView(*this);
    m_pPageView->setParent(body);
    layout->addWidget(m_pStatus);
    layout->addWidget(m_pOverlay);
    layout->addWidget(m_pPageView, 1);
    setWidget(body);

    m_pDebounce = new QTimer(this);
    m_pDebounce->setSingleShot(true);
    m_pDebounce->setInterval(kDebounceMs);
    connect(m_pDebounce, &QTimer::timeout, this, &CPreviewDock::StartRun);
    connect(m_pTypesetter.get(), &CTypesetter::Finished, this, &CPreviewDock::OnFinished);
    connect(m_pStatus, &QLabel::linkActivated, this, [this](const QString& link) {
        if (link == "#log")
            ShowLatexLog();
        else
            SelectErrorFigure();
    });
    connect(m_pOverlay, &QCheckBox::toggled, this, [this] { m_canvas.viewport()->update(); });
    connect(this, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible)
            OnCanvasPainted();
        else
            m_canvas.viewport()->update(); // the overlay goes with the dock
    });
    SetStatus("The preview shows the drawing as LaTeX prints it.");
}

CPreviewDock::~CPreviewDock() = default;

void CPreviewDock::showEvent(QShowEvent* event) {
    QDockWidget::showEvent(event);
    // First shown: wide enough to show a good part of the page.
    if (!m_bSized) {
        m_bSized = true;
        if (auto* frame = qobject_cast<QMainWindow*>(parentWidget()))
            frame->resizeDocks({this}, {std::max(360, frame->width() / 3)}, Qt::Horizontal);
    }
    OnCanvasPainted();
}

bool CPreviewDock::IsActive() const {
    return isVisible();
}

bool CPreviewDock::IsOverlayOn() const {
    return IsActive() && m_pOverlay->isChecked();
}

void CPreviewDock::SetOverlay(bool on) {
    m_pOverlay->setChecked(on);
}

QString CPreviewDock::GetStatusText() const {
    QTextDocument doc;
    doc.setHtml(m_pStatus->text());
    return doc.toPlainText();
}

void CPreviewDock::SetStatus(const QString& html) {
    m_pStatus->setText(html);
}

QPoint CPreviewDock::GetCanvasPageCorner() const {
    const CQuodra& canvas = m_canvas.GetCanvas();
    const CPoint c = canvas.AreaToClient(canvas.GetPageOrigin());
    return {c.x, c.y};
}

QPoint CPreviewDock::GetPageCorner() const {
    // The canvas centres a page smaller than its window; the dock, usually narrower, shows the
    // paper from its left and top edge, scrolled by its own bars.
    const CQuodra& canvas = m_canvas.GetCanvas();
    const CPoint margin =
        canvas.GetPageOrigin() - CPoint{canvas.GetCenterLeft(), canvas.GetCenterTop()};
    return QPoint(margin.x, margin.y) - m_pPageView->GetScroll();
}

bool CPreviewDock::IsOverlayShowingPage() const {
    return IsOverlayOn() && !m_image.isNull();
}

double CPreviewDock::WantedDpi() const {
    // One page unit prints as a hundredth of an inch times the unit scale: 100 dpi / scale shows
    // it as one pixel at zoom 1. The cap holds for the canvas's pixels, whatever the scale, so
    // the image is never larger than the page on the canvas.
    const CQuodra& canvas = m_canvas.GetCanvas();
    return std::min(kMaxDpi, 100.0 * canvas.GetZoom()) / canvas.GetUnitScale();
}

void CPreviewDock::OnPreambleChanged() {
    m_strPreamble = GetLatexPreamble();
    m_strPendingKey.clear();
    m_seen.reset();
    OnCanvasPainted();
}

void CPreviewDock::ForgetPage() {
    m_pTypesetter->Cancel();
    m_pDebounce->stop();
    m_image = QImage();
    m_lastResult = {};
    m_pErrorFigure = nullptr;
    m_pRunMap.reset();
    m_strPendingKey.clear();
    m_seen.reset();
    SetStatus("The preview shows the drawing as LaTeX prints it.");
    m_pPageView->viewport()->update();
    m_canvas.viewport()->update();
    OnCanvasPainted();
}

void CPreviewDock::OnCanvasPainted() {
    if (!IsActive())
        return;
    m_pPageView->FollowCanvas();
    const CQuodra& canvas = m_canvas.GetCanvas();
    if (canvas.IsFirstPaintPending())
        return;
    auto seen = std::make_tuple(canvas.GetRevision(), m_strPreamble, WantedDpi());
    if (seen == m_seen)
        return;
    m_seen = std::move(seen);
    const std::string document = canvas.GetTeXDrawDocument();
    const std::string key =
        document + '\x01' + m_strPreamble.toStdString() + '\x01' + std::to_string(WantedDpi());
    if (key == m_strPendingKey)
        return;
    // A newer state of the drawing: whatever runs is out of date.
    m_strPendingKey = key;
    m_pTypesetter->Cancel();
    m_pDebounce->start();
    SetStatus("Typesetting\u2026");
}

void CPreviewDock::StartRun() {
    const CQuodra& canvas = m_canvas.GetCanvas();
    m_pRunMap = std::make_unique<CTeXDrawLineMap>(canvas.GetFigures());
    CTypesetRequest request;
    request.strPreamble = m_strPreamble;
    const double zoom = canvas.GetZoom();
    const CSize page = canvas.GetPageSizePx();
    m_dRunUnitScale = canvas.GetUnitScale();
    SetTypesetDrawing(request, canvas.GetFigures(), *m_pRunMap, page.cx / zoom, page.cy / zoom);
    request.eOutput = ETypesetOutput::Preview;
    request.dDpi = WantedDpi();
    m_pTypesetter->Start(request);
}

void CPreviewDock::OnFinished(const CTypesetResult& result) {
    m_lastResult = result;
    m_pErrorFigure = nullptr;
    if (result.bOk) {
        m_image = result.image;
        m_dImageDpi = result.dDpi;
        m_dImageUnitScale = m_dRunUnitScale;
        SetStatus(QString("Up to date (%1 s)").arg(result.nMilliseconds / 1000.0, 0, 'f', 1));
    } else if (result.bToolsMissing) {
        m_image = QImage();
        SetStatus("<b>No preview.</b> " + result.strError.toHtmlEscaped().replace("\n", "<br>"));
    } else if (result.latexError) {
        const CFigureList& figures = m_canvas.GetCanvas().GetFigures();
        QString where = "LaTeX error";
        if (const CFigure* f =
                m_pRunMap ? FindTypesetErrorFigure(result, figures, *m_pRunMap) : nullptr) {
            m_pErrorFigure = f;
            where += QString(" in <a href=\"#figure\">%1</a> (click to select it)")
                         .arg(QString::fromStdString(DescribeFigure(*f)).toHtmlEscaped());
        } else if (result.bInPreamble) {
            where += " in the LaTeX preamble (View > LaTeX Preamble...)";
        }
        SetStatus(QString("<span style=\"color:#b00000\"><b>%1:</b></span> %2%3")
                      .arg(where, result.strError.toHtmlEscaped().replace("\n", "<br>"),
                           LogLink(result)));
    } else {
        SetStatus("<span style=\"color:#b00000\"><b>Typesetting failed:</b></span> " +
                  result.strError.toHtmlEscaped().replace("\n", "<br>") + LogLink(result));
    }
    m_pPageView->viewport()->update();
    if (IsOverlayOn())
        m_canvas.viewport()->update();
    emit Updated();
}

QString CPreviewDock::LogLink(const CTypesetResult& result) {
    return result.strLogPath.isEmpty() ? QString() : " <a href=\"#log\">Show LaTeX Log</a>";
}

void CPreviewDock::ShowLatexLog() {
    const QString path = m_lastResult.strLogPath;
    QFile file(path);
    QString text;
    if (file.open(QIODevice::ReadOnly))
        text = QString::fromUtf8(file.read(4 << 20));
    else
        text = QString("The log %1 cannot be read: %2").arg(path, file.errorString());
    QDialog dlg(this);
    dlg.setWindowTitle("LaTeX Log");
    auto* layout = new QVBoxLayout(&dlg);
    auto* where = new QLabel(QDir::toNativeSeparators(path), &dlg);
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* view = new QPlainTextEdit(text, &dlg);
    view->setObjectName("log");
    view->setReadOnly(true);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // The first error is what the user is looking for.
    const QTextCursor error = view->document()->find(QRegularExpression("^(! |\\S+:\\d+: )"));
    if (!error.isNull()) {
        view->setTextCursor(error);
        view->centerCursor();
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dlg);
    connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    layout->addWidget(where);
    layout->addWidget(view, 1);
    layout->addWidget(buttons);
    dlg.resize(720, 480);
    if (m_fnShowLog)
        m_fnShowLog(dlg);
    else
        dlg.exec();
}

bool CPreviewDock::SelectErrorFigure() {
    if (!m_canvas.GetCanvas().SelectFigure(m_pErrorFigure))
        return false;
    m_canvas.setFocus();
    return true;
}

void CPreviewDock::PaintPage(QPainter& painter, QPoint corner, double opacity) const {
    if (m_image.isNull() || m_dImageDpi <= 0)
        return;
    const CQuodra& canvas = m_canvas.GetCanvas();
    // The image holds page unit u at pixel u * unit scale * dpi / 100; the canvas shows it at
    // u * zoom.
    const double scale = canvas.GetZoom() * 100.0 / (m_dImageDpi * m_dImageUnitScale);
    painter.save();
    painter.setOpacity(opacity);
    painter.translate(corner);
    if (scale != 1.0) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.scale(scale, scale);
    }
    painter.drawImage(QPoint(0, 0), m_image);
    painter.restore();
}

void CPreviewDock::PaintOverlay(QPainter& painter) const {
    if (IsOverlayOn())
        PaintPage(painter, GetCanvasPageCorner(), 0.5);
}
