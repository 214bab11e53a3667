// CStyleDock: the line style of the selected figures, shown and changed in a compact panel: width,
// pattern, grey, fill and arrowheads. Lengths are shown in points as they print at the drawing's
// unit scale. A change goes to every selected figure that takes it as one undo step named after
// the value; with nothing selected it sets the style of new figures, which the settings keep.
#pragma once

#include "figures/Style.h"

#include <QDockWidget>
#include <QString>

#include <array>
#include <functional>
#include <vector>

class CCanvasWidget;
class CLabelRows;
class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QSlider;
class QTimer;
class QToolButton;

class CStyleDock : public QDockWidget {
    Q_OBJECT
public:
    explicit CStyleDock(CCanvasWidget& canvas, QWidget* parent = nullptr);

    // The preset widths (pt) and patterns (page units) of the buttons.
    static constexpr std::array<double, 5> kPresetWidths{0.4, 0.8, 1.2, 1.6, 2.4};
    static const std::vector<std::vector<double>>& GetPresetPatterns();

    // Shows the style of the selection, or that of new figures when nothing is selected. Does
    // nothing while what it would show is what it shows (a field being typed in keeps its text).
    void Refresh();
    // Lengths between page units and points at the drawing's unit scale.
    double ToPoints(double pageUnits) const;
    double ToPageUnits(double points) const;
    // The style new figures get, as the settings keep it (lengths in points), and its parts.
    const CStyle& GetNewStylePoints() const { return m_newPoints; }
    unsigned GetNewStyleParts() const { return m_nNewParts; }
    // Why the last value typed was refused; empty after a value was taken.
    QString GetRefusal() const;

signals:
    // A short note for the status bar (a refused value).
    void MessageWanted(const QString& text);

private:
    QToolButton* MakeButton(const QIcon& icon, const QString& tip, const QString& name);
    QDoubleSpinBox* MakeLengthField(const QString& tip, const QString& name, double max);
    // Calls apply when the field's value was typed (Enter, focus out) or stepped (once it rests).
    void WhenEdited(QDoubleSpinBox* field, const std::function<void()>& apply);
    // Gives the selection (or new figures) the part of style.
    void Apply(const CStyle& style, unsigned part, const char* stepName);
    void Refuse(const std::string& why);
    void ApplyWidth(double points);
    // The fills that may go without their outline: without it (alone) or with it.
    void ApplyFillAlone(bool alone);
    void ApplyWidthField();
    void ApplyPattern(const std::vector<double>& pattern);
    void ApplyPatternField();
    void ApplyGrey(double grey);
    void ApplyFill(std::optional<double> grey);
    void ApplyHeadEnds(EArrowHeads ends);
    void ApplyHeadType(char type);
    void ApplyHeadSize();
    // Settings of the style for new figures.
    void LoadNewStyle();
    void SaveNewStyle() const;
    void PushNewStyle();
    CStyle NewStyleInPageUnits() const;
    // What the dock shows: the selection's style, or the new figures' style.
    struct CShown {
        CStyle style;
        unsigned nSame = 0;
        unsigned nCaps = 0;
        int nCount = 0;
        int nOutlined = 0, nFillsAlone = 0; // as CStyles::CSelectionStyle counts them
        double dScale = 1;
        friend bool operator==(const CShown&, const CShown&) = default;
    };
    CShown Current() const;
    void Show(const CShown& shown);

    CCanvasWidget& m_canvas;
    CShown m_shown;
    bool m_bShownOnce = false;
    bool m_bUpdating = false;
    CStyle m_newPoints; // lengths in points
    unsigned m_nNewParts = 0;
    double m_dNewStyleScale = 0;  // the unit scale the canvas's new style was made for
    double m_dLastFillGrey = 0.8; // a light grey until the user chooses one

    std::array<QToolButton*, 5> m_widthButtons{};
    QDoubleSpinBox* m_pWidth = nullptr;
    std::vector<QToolButton*> m_patternButtons;
    QLineEdit* m_pPattern = nullptr;
    QSlider* m_pGreySlider = nullptr;
    QDoubleSpinBox* m_pGrey = nullptr;
    QCheckBox* m_pFill = nullptr;
    QCheckBox* m_pFillAlone = nullptr; // a fill without its outline
    QSlider* m_pFillSlider = nullptr;
    QDoubleSpinBox* m_pFillGrey = nullptr;
    std::array<QToolButton*, 4> m_endsButtons{};
    std::array<QToolButton*, 5> m_typeButtons{};
    QDoubleSpinBox* m_pHeadLength = nullptr;
    QDoubleSpinBox* m_pHeadWidth = nullptr;
    QLabel* m_pMessage = nullptr;
    QLabel* m_pScale = nullptr;
    // Slider moves by keyboard or clicks on the groove are gathered into one change.
    QTimer* m_pGreyTimer = nullptr;
    QTimer* m_pFillTimer = nullptr;
    // The rows' labels, disabled with their controls.
    QLabel* m_pWidthLabel = nullptr;
    QLabel* m_pPatternLabel = nullptr;
    QLabel* m_pGreyLabel = nullptr;
    QLabel* m_pHeadsLabel = nullptr;
    QLabel* m_pTypeLabel = nullptr;
    QLabel* m_pSizeLabel = nullptr;
    CLabelRows* m_pLabelRows = nullptr;
};
