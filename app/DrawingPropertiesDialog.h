// CDrawingPropertiesDialog: the drawing's unit scale, with the printed size of its ink and of its
// page shown in centimetres and inches as the scale is edited. OK sets the scale as one step.
#pragma once

#include <QDialog>

class CQuodra;
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

private:
    void UpdateSizes();

    const CQuodra& m_canvas;
    QDoubleSpinBox* m_pScale;
    QLabel* m_pInk;
    QLabel* m_pPage;
};

// Drawing Properties...: runs the dialog and on OK gives the drawing its scale (one step
// "Drawing Scale"). True when the scale changed.
bool RunDrawingPropertiesDialog(CQuodra& canvas, QWidget* parent);
