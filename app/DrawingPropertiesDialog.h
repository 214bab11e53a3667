// CDrawingPropertiesDialog: the drawing's unit scale, with the printed size of its ink and of its
// page shown in centimetres and inches as the scale is edited, and a fit of the ink to a common
// LaTeX text width (or one of the user's own). OK sets the scale as one step.
#pragma once

#include <QDialog>

class CQuodra;
class QComboBox;
class QDoubleSpinBox;
class QLabel;

class CDrawingPropertiesDialog : public QDialog {
    Q_OBJECT
public:
    CDrawingPropertiesDialog(const CQuodra& canvas, QWidget* parent = nullptr);

    double GetScale() const;
    QDoubleSpinBox* GetScaleField() const { return m_pScale; }
    // The printed sizes as shown, for a look from outside.
    QString GetInkText() const;
    QString GetPageText() const;
    // The text width to fit to: the list of common ones, and the width of one's own (points).
    QComboBox* GetWidthChoice() const { return m_pWidth; }
    QDoubleSpinBox* GetOwnWidthField() const { return m_pOwnWidth; }
    // Sets the scale at which the ink prints as wide as the chosen text width.
    void FitToWidth();
    // The warning that the ink prints wider than the chosen text width; empty when it fits.
    QString GetWidthWarning() const;

private:
    void UpdateSizes();
    double ChosenWidthPoints() const;

    const CQuodra& m_canvas;
    QDoubleSpinBox* m_pScale;
    QLabel* m_pInk;
    QLabel* m_pPage;
    QComboBox* m_pWidth;
    QDoubleSpinBox* m_pOwnWidth;
    QLabel* m_pWidthWarning;
};

// Drawing Properties...: runs the dialog and on OK gives the drawing its scale (one step
// "Drawing Scale"). True when the scale changed.
bool RunDrawingPropertiesDialog(CQuodra& canvas, QWidget* parent);
