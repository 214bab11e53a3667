// CLabelRows: the style panel's rows for labels: which of the text's nine reference points lies
// on the label's point, and the angle the text is turned by. A change goes to every selected
// label as one undo step; with nothing selected it sets what new labels get.
#pragma once

#include <QObject>

#include <array>

class CCanvasWidget;
class QDoubleSpinBox;
class QGridLayout;
class QLabel;
class QToolButton;
class QWidget;

class CLabelRows : public QObject {
    Q_OBJECT
public:
    // Adds the rows to grid from row on (label column 0, controls column 1); row ends past them.
    CLabelRows(CCanvasWidget& canvas, QWidget* body, QGridLayout* grid, int& row);

    // Shows the selected labels' placement, or new labels' with nothing selected; the rows are
    // disabled when the selection holds no label. The panel calls it as it refreshes itself.
    void Refresh();
    // The first and last control, for the panel's keyboard order.
    QWidget* GetFirst() const;
    QWidget* GetLast() const;

private:
    void ApplyReference(char h, char v);
    void ApplyAngle();

    CCanvasWidget& m_canvas;
    bool m_bUpdating = false;
    std::array<QToolButton*, 9> m_refButtons{}; // rows T, C, B; columns L, C, R
    QDoubleSpinBox* m_pAngle = nullptr;
    QLabel* m_pRefLabel = nullptr;
    QLabel* m_pAngleLabel = nullptr;
};
