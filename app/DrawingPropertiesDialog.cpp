#include "app/DrawingPropertiesDialog.h"

#include "canvas/Quodra.h"
#include "figures/Style.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QVBoxLayout>

#include <optional>

namespace {

constexpr double kCmPerInch = 2.54;

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
    form->addRow("Unit &scale:", m_pScale);
    form->addRow("Drawing prints at:", m_pInk);
    form->addRow("Page prints at:", m_pPage);
    layout->addLayout(form);
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

void CDrawingPropertiesDialog::UpdateSizes() {
    const double scale = GetScale();
    const std::optional<CRect> ink = InkExtent(m_canvas.GetFigures());
    m_pInk->setText(ink ? PrintedSize(ink->Width(), ink->Height(), scale) : "nothing drawn yet");
    const CSize page = m_canvas.GetPageSizePx();
    const double zoom = m_canvas.GetZoom();
    m_pPage->setText(PrintedSize(static_cast<int>(page.cx / zoom + 0.5),
                                 static_cast<int>(page.cy / zoom + 0.5), scale));
}

bool RunDrawingPropertiesDialog(CQuodra& canvas, QWidget* parent) {
    CDrawingPropertiesDialog dlg(canvas, parent);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    return canvas.SetUnitScale(dlg.GetScale());
}
