#include "app/StyleDock.h"

#include "app/LabelRows.h"

#include "app/CanvasWidget.h"
#include "app/StyleDockValues.h"
#include "app/StyleIcons.h"
#include "canvas/Quodra.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>
#include <QSettings>
#include <QSlider>
#include <QTimer>
#include <QToolButton>

#include <cmath>

using namespace StyleDockValues;

namespace {

// Settings keys of the style for new figures; lengths in points, so that a new line prints as
// wide whatever the drawing's unit scale.
const char* const kPartsKey = "NewFigureStyle/Parts";
const char* const kWidthKey = "NewFigureStyle/WidthPt";
const char* const kPatternKey = "NewFigureStyle/PatternPt";
const char* const kGreyKey = "NewFigureStyle/Grey";
const char* const kFillKey = "NewFigureStyle/Fill"; // negative: no fill
const char* const kHeadsKey = "NewFigureStyle/Heads";
const char* const kHeadTypeKey = "NewFigureStyle/HeadType";
const char* const kHeadLengthKey = "NewFigureStyle/HeadLengthPt";
const char* const kHeadWidthKey = "NewFigureStyle/HeadWidthPt";

// A slider's move by keyboard is applied this long after the last key, as one change.
constexpr int kSliderSettleMs = 400;

const char kHeadTypes[] = {'F', 'T', 'W', 'V', 'H'};
const char* const kHeadTypeTips[] = {"Filled triangle", "Open triangle", "White-filled triangle",
                                     "Vee",
                                     ("Vee, the line stopping "
                                      "short of its tip")};
const EArrowHeads kEnds[] = {EArrowHeads::None, EArrowHeads::Start, EArrowHeads::End,
                             EArrowHeads::Both};

QString Number(double v) {
    QString s = QLocale::c().toString(v, 'f', 2);
    if (s.contains('.')) {
        while (s.endsWith('0'))
            s.chop(1);
        if (s.endsWith('.'))
            s.chop(1);
    }
    return s;
}

void SetField(QDoubleSpinBox* field, bool mixed, double value) {
    field->setValue(mixed ? kMixed : value);
}

} // namespace

const std::vector<std::vector<double>>& CStyleDock::GetPresetPatterns() {
    static const std::vector<std::vector<double>> patterns{
        {}, {kDottedDash, kDottedGap}, {6, 4}, {6, 3, 1, 3}};
    return patterns;
}

CStyleDock::CStyleDock(CCanvasWidget& canvas, QWidget* parent)
    : QDockWidget("Style", parent), m_canvas(canvas) {
    setObjectName("Style");
    auto* body = new QWidget(this);
    auto* grid = new QGridLayout(body);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    int row = 0;
    const auto addRow = [&](QLabel* label, QLayout* content) {
        grid->addWidget(label, row, 0, Qt::AlignRight | Qt::AlignVCenter);
        grid->addLayout(content, row, 1);
        ++row;
    };
    const auto hbox = [] {
        auto* box = new QHBoxLayout;
        box->setSpacing(1);
        box->setContentsMargins(0, 0, 0, 0);
        return box;
    };

    // Width: presets and a field in points.
    auto* widths = hbox();
    for (std::size_t i = 0; i < kPresetWidths.size(); ++i) {
        const double pt = kPresetWidths[i];
        m_widthButtons[i] = MakeButton(MakeLineWidthIcon(pt), QString("Line width %1 pt").arg(pt),
                                       QString("width%1").arg(i));
        connect(m_widthButtons[i], &QToolButton::clicked, this, [this, pt] { ApplyWidth(pt); });
        widths->addWidget(m_widthButtons[i]);
    }
    m_pWidth = MakeLengthField("Line width in points (0 to 100 pt), as printed", "width",
                               kMaxLineWidthPoints * 10);
    widths->addSpacing(4);
    widths->addWidget(m_pWidth, 1);
    WhenEdited(m_pWidth, [this] { ApplyWidthField(); });
    m_pWidthLabel = new QLabel("&Width:", body);
    m_pWidthLabel->setBuddy(m_pWidth);
    addRow(m_pWidthLabel, widths);

    // Pattern: the pictures and a field of lengths in points.
    auto* patterns = hbox();
    const char* const patternTips[] = {"Solid line", "Dotted line", "Dashed line", "Dash-dot line"};
    for (std::size_t i = 0; i < GetPresetPatterns().size(); ++i) {
        const std::vector<double>& pattern = GetPresetPatterns()[i];
        auto* button =
            MakeButton(MakeLinePatternIcon(pattern), patternTips[i], QString("pattern%1").arg(i));
        connect(button, &QToolButton::clicked, this, [this, pattern] { ApplyPattern(pattern); });
        m_patternButtons.push_back(button);
        patterns->addWidget(button);
    }
    m_pPattern = new QLineEdit(body);
    m_pPattern->setObjectName("pattern");
    m_pPattern->setToolTip("A pattern of your own: lengths of line and gap in points, in turn "
                           "(e.g. \"4 2 1 2\"); Enter applies it");
    m_pPattern->setPlaceholderText("4 2 1 2");
    m_pPattern->setMinimumWidth(50);
    patterns->addSpacing(4);
    patterns->addWidget(m_pPattern, 1);
    connect(m_pPattern, &QLineEdit::editingFinished, this, &CStyleDock::ApplyPatternField);
    m_pPatternLabel = new QLabel("&Pattern:", body);
    m_pPatternLabel->setBuddy(m_pPattern);
    addRow(m_pPatternLabel, patterns);

    // Greys: a slider of hundredths and the value, for the line and for the fill.
    const auto makeGrey = [&](QSlider*& slider, QDoubleSpinBox*& field, QTimer*& timer,
                              const QString& what, const QString& name, auto apply) {
        slider = new QSlider(Qt::Horizontal, body);
        slider->setObjectName(name + "Slider");
        slider->setRange(0, 100);
        slider->setPageStep(10);
        slider->setToolTip(what + ": 0 black to 1 white");
        field = new QDoubleSpinBox(body);
        field->setObjectName(name);
        field->setDecimals(2);
        field->setRange(kMixed, 10);
        field->setSingleStep(0.05);
        field->setSpecialValueText("mixed");
        field->setKeyboardTracking(false);
        field->setToolTip(what + " from 0 (black) to 1 (white)");
        field->setMaximumWidth(64);
        timer = new QTimer(this);
        timer->setSingleShot(true);
        timer->setInterval(kSliderSettleMs);
        // The slider moves the value shown at once, and changes the figures when let go.
        connect(slider, &QSlider::valueChanged, this, [this, slider, field, timer](int v) {
            if (m_bUpdating)
                return;
            m_bUpdating = true;
            field->setValue(v / 100.0);
            m_bUpdating = false;
            if (!slider->isSliderDown())
                timer->start();
        });
        connect(slider, &QSlider::sliderReleased, this, [slider, timer, apply] {
            timer->stop();
            apply(slider->value() / 100.0);
        });
        connect(timer, &QTimer::timeout, this, [slider, apply] { apply(slider->value() / 100.0); });
        WhenEdited(field, [field, apply] {
            if (field->value() != kMixed)
                apply(field->value());
        });
        auto* box = hbox();
        box->setSpacing(4);
        box->addWidget(slider, 1);
        box->addWidget(field);
        return box;
    };
    auto* grey = makeGrey(m_pGreySlider, m_pGrey, m_pGreyTimer, "Line grey", "grey",
                          [this](double g) { ApplyGrey(g); });
    m_pGreyLabel = new QLabel("&Grey:", body);
    m_pGreyLabel->setBuddy(m_pGrey);
    addRow(m_pGreyLabel, grey);

    m_pFill = new QCheckBox("F&ill:", body);
    m_pFill->setObjectName("fill");
    m_pFill->setToolTip("Fill closed figures with a grey");
    auto* fill = makeGrey(m_pFillSlider, m_pFillGrey, m_pFillTimer, "Fill grey", "fillGrey",
                          [this](double g) { ApplyFill(g); });
    connect(m_pFill, &QCheckBox::clicked, this, [this] {
        if (m_bUpdating)
            return;
        const bool on = m_pFill->checkState() == Qt::Checked;
        const double grey = m_pFillGrey->value() == kMixed ? m_dLastFillGrey : m_pFillGrey->value();
        ApplyFill(on ? std::optional<double>(grey) : std::nullopt);
    });
    m_pFillAlone = new QCheckBox("No &outline", body);
    m_pFillAlone->setObjectName("fillAlone");
    m_pFillAlone->setToolTip(
        "The fill alone, without its outline (circles, ellipses with their axes "
        "along the page, polylines and polygons)");
    connect(m_pFillAlone, &QCheckBox::clicked, this, [this] {
        if (!m_bUpdating)
            ApplyFillAlone(m_pFillAlone->checkState() == Qt::Checked);
    });
    fill->addWidget(m_pFillAlone);
    grid->addWidget(m_pFill, row, 0, Qt::AlignRight | Qt::AlignVCenter);
    grid->addLayout(fill, row, 1);
    ++row;

    // Arrowheads: where, which type, how large.
    auto* ends = hbox();
    const char* const endTips[] = {"No arrowheads", "Arrowhead at the start",
                                   "Arrowhead at the end", "Arrowheads at both ends"};
    for (std::size_t i = 0; i < m_endsButtons.size(); ++i) {
        const EArrowHeads e = kEnds[i];
        m_endsButtons[i] =
            MakeButton(MakeHeadEndsIcon(e == EArrowHeads::Start || e == EArrowHeads::Both,
                                        e == EArrowHeads::End || e == EArrowHeads::Both),
                       endTips[i], QString("heads%1").arg(i));
        connect(m_endsButtons[i], &QToolButton::clicked, this, [this, e] { ApplyHeadEnds(e); });
        ends->addWidget(m_endsButtons[i]);
    }
    ends->addStretch(1);
    m_pHeadsLabel = new QLabel("&Arrows:", body);
    m_pHeadsLabel->setBuddy(m_endsButtons[0]);
    addRow(m_pHeadsLabel, ends);

    auto* types = hbox();
    for (std::size_t i = 0; i < m_typeButtons.size(); ++i) {
        const char type = kHeadTypes[i];
        m_typeButtons[i] =
            MakeButton(MakeHeadTypeIcon(type),
                       QString("Arrowhead type %1: %2").arg(type).arg(kHeadTypeTips[i]),
                       QString("type%1").arg(type));
        connect(m_typeButtons[i], &QToolButton::clicked, this,
                [this, type] { ApplyHeadType(type); });
        types->addWidget(m_typeButtons[i]);
    }
    types->addStretch(1);
    m_pTypeLabel = new QLabel("&Head:", body);
    m_pTypeLabel->setBuddy(m_typeButtons[0]);
    addRow(m_pTypeLabel, types);

    auto* size = hbox();
    size->setSpacing(4);
    m_pHeadLength = MakeLengthField("Arrowhead length in points", "headLength", 7227);
    m_pHeadWidth = MakeLengthField("Arrowhead width at its base in points", "headWidth", 7227);
    WhenEdited(m_pHeadLength, [this] { ApplyHeadSize(); });
    WhenEdited(m_pHeadWidth, [this] { ApplyHeadSize(); });
    size->addWidget(m_pHeadLength, 1);
    size->addWidget(new QLabel(QString::fromUtf8("\u00d7"), body));
    size->addWidget(m_pHeadWidth, 1);
    m_pSizeLabel = new QLabel("Si&ze:", body);
    m_pSizeLabel->setBuddy(m_pHeadLength);
    addRow(m_pSizeLabel, size);

    // Labels: where the text lies around its point, and its angle.
    m_pLabelRows = new CLabelRows(m_canvas, body, grid, row);

    m_pMessage = new QLabel(body);
    m_pMessage->setObjectName("refusal");
    m_pMessage->setWordWrap(true);
    m_pMessage->setStyleSheet("color: #b00000");
    m_pMessage->hide();
    grid->addWidget(m_pMessage, row++, 0, 1, 2);
    m_pScale = new QLabel(body);
    m_pScale->setObjectName("scale");
    m_pScale->setToolTip("Lengths are shown as printed at the drawing's unit scale (File > "
                         "Drawing Properties...)");
    m_pScale->setEnabled(false);
    grid->addWidget(m_pScale, row++, 0, 1, 2);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(1, 1);
    setWidget(body);

    // Keyboard order: down the rows, each row from left to right.
    QWidget* order[] = {m_widthButtons[0], m_widthButtons[1], m_widthButtons[2],
                        m_widthButtons[3], m_widthButtons[4], m_pWidth};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    QWidget* last = m_pWidth;
    const auto chain = [&last](QWidget* w) {
        setTabOrder(last, w);
        last = w;
    };
    for (QToolButton* b : m_patternButtons)
        chain(b);
    for (QWidget* w : {static_cast<QWidget*>(m_pPattern), static_cast<QWidget*>(m_pGreySlider),
                       static_cast<QWidget*>(m_pGrey), static_cast<QWidget*>(m_pFill),
                       static_cast<QWidget*>(m_pFillSlider), static_cast<QWidget*>(m_pFillGrey)})
        chain(w);
    for (QToolButton* b : m_endsButtons)
        chain(b);
    for (QToolButton* b : m_typeButtons)
        chain(b);
    chain(m_pHeadLength);
    chain(m_pHeadWidth);
    chain(m_pLabelRows->GetFirst());
    chain(m_pLabelRows->GetLast());

    LoadNewStyle();
    // What the panel shows follows the selection and the figures' styles: scrolling and zooming
    // leave it. The steps of a drag move and reshape figures but restyle none; whatever restyles
    // them, and the release, tell the edit state: the panel is read then, not at every step.
    connect(&m_canvas, &CCanvasWidget::StateChanged, this, [this](unsigned changes) {
        const bool dragging = int(m_canvas.GetCanvas().GetMouseState()) & kMousePressed;
        if ((changes & CCanvasWidget::kSelectionChanged) ||
            ((changes & CCanvasWidget::kFiguresChanged) && !dragging))
            Refresh();
    });
    Refresh();
}

QToolButton* CStyleDock::MakeButton(const QIcon& icon, const QString& tip, const QString& name) {
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setIcon(icon);
    button->setIconSize(kStyleIconSize);
    button->setCheckable(true);
    button->setAutoRaise(true);
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

void CStyleDock::WhenEdited(QDoubleSpinBox* field, const std::function<void()>& apply) {
    // Enter or leaving the field applies at once; the arrows and the wheel apply once they rest,
    // so that holding an arrow down makes one step, not one a click.
    auto* timer = new QTimer(field);
    timer->setSingleShot(true);
    timer->setInterval(kSliderSettleMs);
    connect(timer, &QTimer::timeout, this, [this, apply] {
        if (!m_bUpdating)
            apply();
    });
    connect(field, &QDoubleSpinBox::valueChanged, timer, [this, timer] {
        if (!m_bUpdating)
            timer->start();
    });
    connect(field, &QDoubleSpinBox::editingFinished, this, [this, timer, apply] {
        timer->stop();
        if (!m_bUpdating)
            apply();
    });
}

QDoubleSpinBox* CStyleDock::MakeLengthField(const QString& tip, const QString& name, double max) {
    auto* field = new QDoubleSpinBox(this);
    field->setObjectName(name);
    field->setDecimals(2);
    // Wider than a style takes, so that a value out of range is refused with its reason
    // instead of being cut short without a word.
    field->setRange(kMixed, max);
    field->setSingleStep(0.1);
    field->setSuffix(" pt");
    field->setSpecialValueText("mixed");
    field->setKeyboardTracking(false);
    field->setToolTip(tip);
    field->setMinimumWidth(60);
    return field;
}

double CStyleDock::ToPoints(double pageUnits) const {
    return pageUnits * kPointsPerPageUnit * m_canvas.GetCanvas().GetUnitScale();
}

double CStyleDock::ToPageUnits(double points) const {
    return points / (kPointsPerPageUnit * m_canvas.GetCanvas().GetUnitScale());
}

QString CStyleDock::GetRefusal() const {
    return m_pMessage->isHidden() ? QString() : m_pMessage->text();
}

CStyle CStyleDock::NewStyleInPageUnits() const {
    return ScaleLengths(m_newPoints,
                        1.0 / (kPointsPerPageUnit * m_canvas.GetCanvas().GetUnitScale()));
}

void CStyleDock::LoadNewStyle() {
    const QSettings s;
    m_newPoints = ScaleLengths(CStyle{}, kPointsPerPageUnit);
    m_nNewParts = s.value(kPartsKey, 0).toUInt() & kStyleAll;
    m_newPoints.dLineWidth = s.value(kWidthKey, m_newPoints.dLineWidth).toDouble();
    m_newPoints.pattern.clear();
    for (const QString& v : s.value(kPatternKey).toString().split(' ', Qt::SkipEmptyParts))
        m_newPoints.pattern.push_back(QLocale::c().toDouble(v));
    m_newPoints.dLineGrey = s.value(kGreyKey, 0.0).toDouble();
    const double fill = s.value(kFillKey, -1.0).toDouble();
    if (fill >= 0)
        m_newPoints.fillGrey = fill;
    const int heads = s.value(kHeadsKey, 0).toInt();
    m_newPoints.eHeads =
        heads >= 0 && heads <= 3 ? static_cast<EArrowHeads>(heads) : EArrowHeads::None;
    const QString type = s.value(kHeadTypeKey).toString();
    if (type.size() == 1 && IsArrowHeadType(type[0].toLatin1()))
        m_newPoints.cHeadType = type[0].toLatin1();
    m_newPoints.dHeadLength = s.value(kHeadLengthKey, m_newPoints.dHeadLength).toDouble();
    m_newPoints.dHeadWidth = s.value(kHeadWidthKey, m_newPoints.dHeadWidth).toDouble();
    // Whatever the settings hold, the canvas gets a style it can print.
    m_newPoints = ScaleLengths(Bounded(ScaleLengths(m_newPoints, 1.0 / kPointsPerPageUnit)),
                               kPointsPerPageUnit);
    PushNewStyle();
}

void CStyleDock::SaveNewStyle() const {
    QSettings s;
    s.setValue(kPartsKey, m_nNewParts);
    s.setValue(kWidthKey, m_newPoints.dLineWidth);
    QStringList pattern;
    for (double v : m_newPoints.pattern)
        pattern << QLocale::c().toString(v, 'g', 10);
    s.setValue(kPatternKey, pattern.join(' '));
    s.setValue(kGreyKey, m_newPoints.dLineGrey);
    s.setValue(kFillKey, m_newPoints.fillGrey.value_or(-1.0));
    s.setValue(kHeadsKey, static_cast<int>(m_newPoints.eHeads));
    s.setValue(kHeadTypeKey, QString(QChar(m_newPoints.cHeadType)));
    s.setValue(kHeadLengthKey, m_newPoints.dHeadLength);
    s.setValue(kHeadWidthKey, m_newPoints.dHeadWidth);
}

void CStyleDock::PushNewStyle() {
    CQuodra& canvas = m_canvas.GetCanvas();
    m_dNewStyleScale = canvas.GetUnitScale();
    canvas.GetStyles().SetNewFigureStyle(NewStyleInPageUnits(), m_nNewParts);
}

CStyleDock::CShown CStyleDock::Current() const {
    const CQuodra& canvas = m_canvas.GetCanvas();
    const CStyles::CSelectionStyle selection = canvas.GetStyles().GetSelectionStyle();
    CShown shown;
    shown.dScale = canvas.GetUnitScale();
    shown.nCount = selection.nCount;
    if (selection.nCount > 0) {
        shown.style = selection.style;
        shown.nSame = selection.nSame;
        shown.nCaps = selection.nCaps;
        shown.nOutlined = selection.nOutlined;
        shown.nFillsAlone = selection.nFillsAlone;
    } else {
        shown.style = NewStyleInPageUnits();
        shown.nSame = kStyleAll;
        shown.nCaps = kStyleAll;
        if (shown.style.fillGrey)
            ++(shown.style.bOutline ? shown.nOutlined : shown.nFillsAlone);
    }
    return shown;
}

void CStyleDock::Refresh() {
    // A drawing of another scale (opened, or rescaled) gets new figures as wide in points.
    if (m_canvas.GetCanvas().GetUnitScale() != m_dNewStyleScale)
        PushNewStyle();
    if (m_pLabelRows)
        m_pLabelRows->Refresh();
    const CShown shown = Current();
    if (m_bShownOnce && shown == m_shown)
        return;
    m_bShownOnce = true;
    m_shown = shown;
    // Another selection or another style: an earlier refusal no longer applies.
    m_pMessage->hide();
    Show(shown);
}

void CStyleDock::Show(const CShown& shown) {
    m_bUpdating = true;
    const CStyle& s = shown.style;
    const auto mixed = [&](unsigned bit) { return !(shown.nSame & bit); };
    const auto takes = [&](unsigned bit) { return (shown.nCaps & bit) != 0; };

    const double width = ToPoints(s.dLineWidth);
    for (std::size_t i = 0; i < m_widthButtons.size(); ++i) {
        m_widthButtons[i]->setChecked(!mixed(kStyleWidth) && SameShown(width, kPresetWidths[i]));
        m_widthButtons[i]->setEnabled(takes(kStyleWidth));
    }
    SetField(m_pWidth, mixed(kStyleWidth), width);
    m_pWidth->setEnabled(takes(kStyleWidth));
    m_pWidthLabel->setEnabled(takes(kStyleWidth));

    for (std::size_t i = 0; i < m_patternButtons.size(); ++i) {
        const std::vector<double>& preset = GetPresetPatterns()[i];
        bool same = !mixed(kStylePattern) && preset.size() == s.pattern.size();
        for (std::size_t k = 0; same && k < preset.size(); ++k)
            same = std::abs(preset[k] - s.pattern[k]) < 1e-9;
        m_patternButtons[i]->setChecked(same);
        m_patternButtons[i]->setEnabled(takes(kStylePattern));
    }
    QStringList lengths;
    for (double v : s.pattern)
        lengths << Number(ToPoints(v));
    m_pPattern->setText(mixed(kStylePattern) ? QString() : lengths.join(' '));
    m_pPattern->setPlaceholderText(mixed(kStylePattern) ? "mixed" : "4 2 1 2");
    m_pPattern->setEnabled(takes(kStylePattern));
    m_pPatternLabel->setEnabled(takes(kStylePattern));

    m_pGreySlider->setValue(static_cast<int>(s.dLineGrey * 100 + 0.5));
    SetField(m_pGrey, mixed(kStyleGrey), s.dLineGrey);
    for (QWidget* w : {static_cast<QWidget*>(m_pGreySlider), static_cast<QWidget*>(m_pGrey),
                       static_cast<QWidget*>(m_pGreyLabel)})
        w->setEnabled(takes(kStyleGrey));

    // Only a mixed fill shows the third state; a click never leads back to it.
    const bool fillMixed = takes(kStyleFill) && mixed(kStyleFill);
    m_pFill->setTristate(fillMixed);
    m_pFill->setCheckState(fillMixed    ? Qt::PartiallyChecked
                           : s.fillGrey ? Qt::Checked
                                        : Qt::Unchecked);
    // Without a fill the controls offer the grey last chosen, which ticking Fill gives.
    const double fill = s.fillGrey.value_or(m_dLastFillGrey);
    m_pFillSlider->setValue(static_cast<int>(fill * 100 + 0.5));
    SetField(m_pFillGrey, mixed(kStyleFill), fill);
    m_pFill->setEnabled(takes(kStyleFill));
    const bool filled = takes(kStyleFill) && (mixed(kStyleFill) || s.fillGrey);
    m_pFillSlider->setEnabled(filled);
    m_pFillGrey->setEnabled(filled);
    // Ticked when every fill that may go without its outline does.
    const bool aloneMixed = shown.nOutlined > 0 && shown.nFillsAlone > 0;
    m_pFillAlone->setTristate(aloneMixed);
    m_pFillAlone->setCheckState(aloneMixed              ? Qt::PartiallyChecked
                                : shown.nFillsAlone > 0 ? Qt::Checked
                                                        : Qt::Unchecked);
    m_pFillAlone->setEnabled(shown.nOutlined + shown.nFillsAlone > 0);

    for (std::size_t i = 0; i < m_endsButtons.size(); ++i) {
        m_endsButtons[i]->setChecked(!mixed(kStyleHeadEnds) && s.eHeads == kEnds[i]);
        m_endsButtons[i]->setEnabled(takes(kStyleHeadEnds));
    }
    m_pHeadsLabel->setEnabled(takes(kStyleHeadEnds));
    for (std::size_t i = 0; i < m_typeButtons.size(); ++i) {
        m_typeButtons[i]->setChecked(!mixed(kStyleHeadType) && s.cHeadType == kHeadTypes[i]);
        m_typeButtons[i]->setEnabled(takes(kStyleHeadType));
    }
    m_pTypeLabel->setEnabled(takes(kStyleHeadType));
    SetField(m_pHeadLength, mixed(kStyleHeadSize), ToPoints(s.dHeadLength));
    SetField(m_pHeadWidth, mixed(kStyleHeadSize), ToPoints(s.dHeadWidth));
    for (QWidget* w : {static_cast<QWidget*>(m_pHeadLength), static_cast<QWidget*>(m_pHeadWidth),
                       static_cast<QWidget*>(m_pSizeLabel)})
        w->setEnabled(takes(kStyleHeadSize));

    // A value that no selected figure takes shows nothing rather than "mixed".
    const std::pair<QDoubleSpinBox*, unsigned> fields[] = {{m_pWidth, kStyleWidth},
                                                           {m_pGrey, kStyleGrey},
                                                           {m_pFillGrey, kStyleFill},
                                                           {m_pHeadLength, kStyleHeadSize},
                                                           {m_pHeadWidth, kStyleHeadSize}};
    for (const auto& [field, bit] : fields) {
        field->setSpecialValueText(takes(bit) ? "mixed" : " ");
        if (!takes(bit))
            field->setValue(field->minimum());
    }
    if (!takes(kStylePattern))
        m_pPattern->setPlaceholderText(QString());

    m_pScale->setText(
        (shown.nCount > 0 ? QString("%1 selected").arg(shown.nCount) : QString("New figures")) +
        QString(" \u00b7 unit scale %1").arg(Number(shown.dScale)));
    m_bUpdating = false;
}
