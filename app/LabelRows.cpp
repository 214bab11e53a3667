// The label rows of the style panel: nine buttons, one a reference point, each showing where the
// text lies around its point, and the text's angle in degrees.
#include "app/LabelRows.h"

#include "app/CanvasWidget.h"
#include "app/StyleIcons.h"
#include "canvas/Quodra.h"

#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QToolButton>

namespace {

constexpr char kHRefs[] = {'L', 'C', 'R'};
constexpr char kVRefs[] = {'T', 'C', 'B'};
// Shown in the angle field when the selected labels are turned differently.
constexpr double kMixedAngle = -0.01;
constexpr int kAngleSettleMs = 400;
constexpr QSize kRefIconSize{26, 18};

// A grey block standing for the text, placed so that the dot, the label's point, lies at the
// reference: h 0/1/2 = the point at the text's left/centre/right, v 0/1/2 = top/centre/baseline.
QIcon MakeReferenceIcon(int h, int v) {
    return MakeDrawnIcon(kRefIconSize, [h, v](QPainter& p) {
        const QPointF dot(kRefIconSize.width() / 2.0, kRefIconSize.height() / 2.0);
        const double w = 12, a = 7;
        const double left = dot.x() - h * w / 2.0;
        const double top = dot.y() - v * a / 2.0;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(150, 150, 150));
        p.drawRect(QRectF(left, top, w, a));
        p.setBrush(QColor(200, 0, 0));
        p.drawEllipse(dot, 1.8, 1.8);
    });
}

QString ReferenceTip(int h, int v) {
    static const char* const where[3][3] = {
        {"top left", "top centre", "top right"},
        {"middle of the left side", "centre", "middle of the right side"},
        {"left end of the baseline", "middle of the baseline", "right end of the baseline"}};
    return QString("The label's point at the text's %1").arg(where[v][h]);
}

} // namespace

CLabelRows::CLabelRows(CCanvasWidget& canvas, QWidget* body, QGridLayout* grid, int& row)
    : QObject(body), m_canvas(canvas) {
    auto* refs = new QGridLayout;
    refs->setSpacing(0);
    refs->setContentsMargins(0, 0, 0, 0);
    for (int v = 0; v < 3; ++v) {
        for (int h = 0; h < 3; ++h) {
            auto* b = new QToolButton(body);
            const QString tip = ReferenceTip(h, v);
            b->setObjectName(QString("textref%1%2").arg(kHRefs[h]).arg(kVRefs[v]));
            b->setIcon(MakeReferenceIcon(h, v));
            b->setIconSize(kRefIconSize);
            b->setCheckable(true);
            b->setAutoRaise(true);
            b->setToolTip(tip);
            b->setAccessibleName(tip);
            b->setFocusPolicy(Qt::StrongFocus);
            const char hc = kHRefs[h], vc = kVRefs[v];
            connect(b, &QToolButton::clicked, this, [this, hc, vc] { ApplyReference(hc, vc); });
            refs->addWidget(b, v, h);
            m_refButtons[static_cast<std::size_t>(v * 3 + h)] = b;
        }
    }
    refs->setColumnStretch(3, 1);
    m_pRefLabel = new QLabel("Te&xt at:", body);
    m_pRefLabel->setToolTip("Where the label's text lies around its point");
    m_pRefLabel->setBuddy(m_refButtons[0]);
    grid->addWidget(m_pRefLabel, row, 0, Qt::AlignRight | Qt::AlignVCenter);
    grid->addLayout(refs, row++, 1);

    m_pAngle = new QDoubleSpinBox(body);
    m_pAngle->setObjectName("textAngle");
    m_pAngle->setDecimals(2);
    m_pAngle->setRange(kMixedAngle, 359.99);
    m_pAngle->setSingleStep(15);
    m_pAngle->setSuffix(QString::fromUtf8("\u00b0"));
    m_pAngle->setSpecialValueText("mixed");
    m_pAngle->setKeyboardTracking(false);
    m_pAngle->setToolTip("The label's angle in degrees counterclockwise: 0 level, 90 upright");
    m_pAngleLabel = new QLabel("A&ngle:", body);
    m_pAngleLabel->setBuddy(m_pAngle);
    grid->addWidget(m_pAngleLabel, row, 0, Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(m_pAngle, row++, 1);
    // Typed values apply on Enter or leaving the field; the arrows once they rest.
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setInterval(kAngleSettleMs);
    connect(timer, &QTimer::timeout, this, [this] { ApplyAngle(); });
    connect(m_pAngle, &QDoubleSpinBox::valueChanged, timer, [this, timer] {
        if (!m_bUpdating)
            timer->start();
    });
    connect(m_pAngle, &QDoubleSpinBox::editingFinished, this, [this, timer] {
        timer->stop();
        ApplyAngle();
    });

    Refresh();
}

QWidget* CLabelRows::GetFirst() const {
    return m_refButtons[0];
}

QWidget* CLabelRows::GetLast() const {
    return m_pAngle;
}

void CLabelRows::Refresh() {
    const CQuodra& canvas = m_canvas.GetCanvas();
    const CStyles::CSelectionLabels labels = canvas.GetStyles().GetSelectionLabels();
    const bool enabled = labels.nCount > 0 || !canvas.HasSelection();
    m_bUpdating = true;
    const CStyles::CLabelPlacement& p = labels.placement;
    for (int v = 0; v < 3; ++v) {
        for (int h = 0; h < 3; ++h) {
            QToolButton* b = m_refButtons[static_cast<std::size_t>(v * 3 + h)];
            b->setChecked(enabled && labels.bSameRef && p.cHRef == kHRefs[h] &&
                          p.cVRef == kVRefs[v]);
            b->setEnabled(enabled);
        }
    }
    // Without a label to show, the field is blank rather than "mixed".
    m_pAngle->setSpecialValueText(enabled ? "mixed" : " ");
    if (!m_pAngle->hasFocus() || !enabled)
        m_pAngle->setValue(enabled && labels.bSameAngle ? p.dAngle : kMixedAngle);
    m_pAngle->setEnabled(enabled);
    m_pRefLabel->setEnabled(enabled);
    m_pAngleLabel->setEnabled(enabled);
    m_bUpdating = false;
}

void CLabelRows::ApplyReference(char h, char v) {
    CQuodra& canvas = m_canvas.GetCanvas();
    CStyles::CLabelPlacement p = canvas.GetStyles().GetSelectionLabels().placement;
    p.cHRef = h;
    p.cVRef = v;
    canvas.GetStyles().ApplyLabelPlacement(p, true);
    Refresh();
}

void CLabelRows::ApplyAngle() {
    if (m_bUpdating || m_pAngle->value() == kMixedAngle)
        return;
    CQuodra& canvas = m_canvas.GetCanvas();
    CStyles::CLabelPlacement p = canvas.GetStyles().GetSelectionLabels().placement;
    p.dAngle = m_pAngle->value();
    canvas.GetStyles().ApplyLabelPlacement(p, false);
}
