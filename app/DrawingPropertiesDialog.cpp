#include "app/DrawingPropertiesDialog.h"

#include "canvas/Quodra.h"
#include "figures/Style.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include <optional>

namespace {

constexpr double kCmPerInch = 2.54;
constexpr double kPointsPerInch = 72.27;

// Text widths of common LaTeX documents, in points; 0 stands for the user's own.
struct CTextWidth {
    const char* name;
    double points;
};
constexpr CTextWidth kTextWidths[] = {
    {"article, 10 pt (345 pt)", 345.0},
    {"article, 11 pt (360 pt)", 360.0},
    {"article, 12 pt (390 pt)", 390.0},
    {"a4paper, 1 in margins (455 pt)", 455.0},
    {"letterpaper, 1 in margins (469 pt)", 469.0},
    {"two columns (241 pt)", 241.0},
    {"A width of your own", 0.0},
};

// A page-unit size printed at the scale, in both units: "8.64 × 5.33 cm (3.40 × 2.10 in)".
QString PrintedSize(double widthUnits, double heightUnits, double scale) {
    const double w = widthUnits * 0.01 * scale, h = heightUnits * 0.01 * scale;
    const QLocale c = QLocale::c();
    return QString::fromUtf8("%1 \u00d7 %2 cm (%3 \u00d7 %4 in)")
        .arg(c.toString(w * kCmPerInch, 'f', 2), c.toString(h * kCmPerInch, 'f', 2),
             c.toString(w, 'f', 2), c.toString(h, 'f', 2));
}

// The extent of everything the drawing prints, whatever is selected; none for an empty drawing.
std::optional<CRect> InkExtent(const CFigureList& figures) {
    std::optional<CRect> ink;
    for (int i = 0; i < figures.GetCount(); ++i) {
        const CFigure* f = figures.GetAt(i);
        // The canvas's own lines (the grid) are never printed.
        if (!f->m_bVisible || !f->m_strTag.empty())
            continue;
        const CRect r = f->GetBoundingRect(1.0);
        if (!ink) {
            ink = r;
            continue;
        }
        ink->left = std::min(ink->left, r.left);
        ink->top = std::min(ink->top, r.top);
        ink->right = std::max(ink->right, r.right);
        ink->bottom = std::max(ink->bottom, r.bottom);
    }
    return ink;
}

} // namespace

CDrawingPropertiesDialog::CDrawingPropertiesDialog(const CQuodra& canvas, QWidget* parent)
    : QDialog(parent), m_canvas(canvas) {
    setWindowTitle("Drawing Properties");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_pScale = new QDoubleSpinBox(this);
    m_pScale->setObjectName("unitScale");
    m_pScale->setRange(kMinUnitScale, kMaxUnitScale);
    m_pScale->setDecimals(3);
    m_pScale->setSingleStep(0.1);
    m_pScale->setValue(canvas.GetUnitScale());
    m_pScale->setToolTip("TeXDraw's unit scale: a page unit prints as 0.01 in times the scale. "
                         "Line widths, patterns and arrowheads keep their printed size.");
    m_pInk = new QLabel(this);
    m_pInk->setObjectName("inkSize");
    m_pInk->setToolTip("The printed width and height of all the figures");
    m_pPage = new QLabel(this);
    m_pPage->setObjectName("pageSize");
    m_pPage->setToolTip("The printed width and height of the whole page");
    m_pWidth = new QComboBox(this);
    m_pWidth->setObjectName("textWidth");
    for (const CTextWidth& w : kTextWidths)
        m_pWidth->addItem(w.name, w.points);
    m_pWidth->setToolTip("The width of the document's text that the drawing should fit");
    m_pOwnWidth = new QDoubleSpinBox(this);
    m_pOwnWidth->setObjectName("ownTextWidth");
    m_pOwnWidth->setRange(10.0, 2000.0);
    m_pOwnWidth->setDecimals(1);
    m_pOwnWidth->setSuffix(" pt");
    m_pOwnWidth->setValue(345.0);
    m_pOwnWidth->setEnabled(false);
    auto* fit = new QPushButton("&Fit", this);
    fit->setObjectName("fitToWidth");
    fit->setToolTip("Sets the unit scale at which the drawing prints as wide as the text");
    auto* widthRow = new QHBoxLayout;
    widthRow->addWidget(m_pWidth, 1);
    widthRow->addWidget(m_pOwnWidth);
    widthRow->addWidget(fit);
    m_pWidthWarning = new QLabel(this);
    m_pWidthWarning->setObjectName("widthWarning");
    m_pWidthWarning->setWordWrap(true);
    form->addRow("Unit &scale:", m_pScale);
    form->addRow("Drawing prints at:", m_pInk);
    form->addRow("Page prints at:", m_pPage);
    form->addRow("Text &width:", widthRow);
    form->addRow("", m_pWidthWarning);
    layout->addLayout(form);
    connect(m_pWidth, &QComboBox::currentIndexChanged, this, [this] {
        m_pOwnWidth->setEnabled(m_pWidth->currentData().toDouble() == 0.0);
        UpdateSizes();
    });
    connect(m_pOwnWidth, &QDoubleSpinBox::valueChanged, this,
            &CDrawingPropertiesDialog::UpdateSizes);
    connect(fit, &QPushButton::clicked, this, &CDrawingPropertiesDialog::FitToWidth);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    connect(m_pScale, &QDoubleSpinBox::valueChanged, this, &CDrawingPropertiesDialog::UpdateSizes);
    UpdateSizes();
}

double CDrawingPropertiesDialog::GetScale() const {
    return m_pScale->value();
}

QString CDrawingPropertiesDialog::GetInkText() const {
    return m_pInk->text();
}

QString CDrawingPropertiesDialog::GetPageText() const {
    return m_pPage->text();
}

double CDrawingPropertiesDialog::ChosenWidthPoints() const {
    const double listed = m_pWidth->currentData().toDouble();
    return listed > 0.0 ? listed : m_pOwnWidth->value();
}

QString CDrawingPropertiesDialog::GetWidthWarning() const {
    return m_pWidthWarning->text();
}

void CDrawingPropertiesDialog::FitToWidth() {
    const std::optional<CRect> ink = InkExtent(m_canvas.GetFigures());
    if (!ink || ink->Width() <= 0)
        return; // nothing that has a width to fit
    const double inkInches = ink->Width() * 0.01;
    m_pScale->setValue(ChosenWidthPoints() / kPointsPerInch / inkInches);
}

void CDrawingPropertiesDialog::UpdateSizes() {
    const double scale = GetScale();
    const std::optional<CRect> ink = InkExtent(m_canvas.GetFigures());
    m_pInk->setText(ink ? PrintedSize(ink->Width(), ink->Height(), scale) : "nothing drawn yet");
    // Wider than the text, LaTeX lets it stick out into the margin (with an overfull box).
    const double inkPoints = ink ? ink->Width() * 0.01 * scale * kPointsPerInch : 0.0;
    const double text = ChosenWidthPoints();
    m_pWidthWarning->setText(
        inkPoints > text + 0.05
            ? QString("The drawing prints wider than the text: %1 pt, the text %2 pt.")
                  .arg(QLocale::c().toString(inkPoints, 'f', 1),
                       QLocale::c().toString(text, 'f', 1))
            : QString());
    const CSize page = m_canvas.GetPageSizePx();
    const double zoom = m_canvas.GetZoom();
    m_pPage->setText(PrintedSize(static_cast<int>(page.cx / zoom + 0.5),
                                 static_cast<int>(page.cy / zoom + 0.5), scale));
}

bool RunDrawingPropertiesDialog(CQuodra& canvas, QWidget* parent) {
    CDrawingPropertiesDialog dlg(canvas, parent);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    return canvas.GetStyles().SetUnitScale(dlg.GetScale());
}
