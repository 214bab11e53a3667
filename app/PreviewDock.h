// CPreviewDock: the typeset preview beside the canvas. A moment after each change of the drawing
// (or of the zoom or the preamble) it typesets the drawing in the background and shows the page
// as LaTeX prints it, at the canvas's zoom and scroll, or drawn half-transparent over the canvas.
// Its status line says what it is doing, how long the last run took, or LaTeX's first error with
// the figure that caused it (a click on the figure's name selects it).
#pragma once

#include "app/Typesetter.h"

#include <QDockWidget>
#include <QImage>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <tuple>

class CCanvasWidget;
class CFigure;
class QCheckBox;
class QDialog;
class QLabel;
class QPainter;
class QTimer;

class CPreviewDock : public QDockWidget {
    Q_OBJECT
public:
    CPreviewDock(CCanvasWidget& canvas, QWidget* parent = nullptr);
    ~CPreviewDock() override;

    // Time between the last change and the start of a run.
    static constexpr int kDebounceMs = 150;
    // The preview is rendered at the canvas's zoom up to this resolution, and scaled beyond it.
    static constexpr double kMaxDpi = 300;

    // The canvas has painted: typesets again (after the pause) when the drawing, the zoom or the
    // preamble differ from what the preview shows, and repaints the preview at the new scroll.
    void OnCanvasPainted();
    // The preamble setting changed.
    void OnPreambleChanged();
    // Another drawing replaced the one typeset: its page, its error and any run for it go, so
    // that no page is ever shown under another drawing.
    void ForgetPage();
    // Draws the typeset page over the canvas when the overlay is on.
    void PaintOverlay(QPainter& painter) const;
    // Selects the figure that caused the last error on the canvas; false when there is none.
    bool SelectErrorFigure();
    // Shows the log of the last failed LaTeX run in a dialog (the status line's link).
    void ShowLatexLog();
    // Tests look at the log dialog instead of running it.
    std::function<void(QDialog&)> m_fnShowLog;

    bool IsActive() const;
    bool IsOverlayOn() const;
    // The overlay is on and has a typeset page to show (the canvas then leaves out its texts).
    bool IsOverlayShowingPage() const;
    void SetOverlay(bool on);
    QString GetStatusText() const;
    const CFigure* GetErrorFigure() const { return m_pErrorFigure; }
    const QImage& GetImage() const { return m_image; }
    double GetImageDpi() const { return m_dImageDpi; }
    const CTypesetResult& GetLastResult() const { return m_lastResult; }
    CTypesetter& GetTypesetter() { return *m_pTypesetter; }
    // Where the page's corner lies in the preview and on the canvas, in client pixels.
    QPoint GetPageCorner() const;
    QPoint GetCanvasPageCorner() const;

signals:
    // A run has ended and the preview shows its result.
    void Updated();

protected:
    void showEvent(QShowEvent* event) override;

private:
    class CPageView;
    void StartRun();
    void OnFinished(const CTypesetResult& result);
    void SetStatus(const QString& html);
    static QString LogLink(const CTypesetResult& result);
    double WantedDpi() const;
    void PaintPage(QPainter& painter, QPoint corner, double opacity) const;

    CCanvasWidget& m_canvas;
    std::unique_ptr<CTypesetter> m_pTypesetter;
    QTimer* m_pDebounce;
    QLabel* m_pStatus;
    QCheckBox* m_pOverlay;
    CPageView* m_pPageView;

    // What the preview shows or is about to show: document, preamble and resolution.
    std::string m_strPendingKey;
    // The drawing's revision, the preamble and the resolution when the key was last made: the
    // document is only built again when one of them changed.
    std::optional<std::tuple<std::uint64_t, QString, double>> m_seen;
    QString m_strPreamble;
    std::unique_ptr<CTeXDrawLineMap> m_pRunMap; // the lines of the document being typeset
    QImage m_image;
    double m_dImageDpi = 0;
    // The drawing's unit scale when the image was typeset, and that of the run going.
    double m_dImageUnitScale = 1;
    double m_dRunUnitScale = 1;
    CTypesetResult m_lastResult;
    const CFigure* m_pErrorFigure = nullptr;
    bool m_bSized = false;
};
