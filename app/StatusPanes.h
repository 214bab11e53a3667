// CStatusPanes: the status-bar panes that say where the pointer is on the page, how large the
// figure being drawn or moved is, and the zoom. They follow the canvas widget by themselves.
#pragma once

#include <QObject>
#include <QPoint>

#include <optional>

class CCanvasWidget;
class QLabel;
class QStatusBar;

class CStatusPanes : public QObject {
    Q_OBJECT
public:
    // Adds the three panes to the bar's permanent side (before whatever is added later).
    CStatusPanes(QStatusBar& bar, CCanvasWidget& canvas);

    QLabel* GetPositionPane() const { return m_pPosition; }
    QLabel* GetSizePane() const { return m_pSize; }
    QLabel* GetZoomPane() const { return m_pZoom; }

    // Reads the zoom, the gesture and the pointer's page point from the canvas again.
    void Refresh();

private:
    // Each pane is read again when what it shows may have changed (CCanvasWidget::EStateChange).
    void OnStateChanged(unsigned changes);
    void OnPointerMoved(QPoint client);
    void OnPointerLeft();
    void ShowZoom();
    void ShowPosition();
    void ShowSize();
    QString DragSizeText() const;

    CCanvasWidget& m_canvas;
    QLabel* m_pPosition;
    QLabel* m_pSize;
    QLabel* m_pZoom;
    std::optional<QPoint> m_ptPointer; // client pixels; none while the pointer is elsewhere
};
