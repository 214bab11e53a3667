// Cquodra_dvView: the view in the main window. It holds the canvas widget, the check marks of the
// mode, grid and snap commands, and the handlers of the commands that reach the canvas: tools,
// modes, zoom, grid, snapping, editing, and saving and printing the drawing.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QWidget>

#include <functional>

class CCanvasWidget;
class CQuodra;
class Cquodra_dvDoc;
class QPrinter;

class Cquodra_dvView : public QWidget {
    Q_OBJECT
public:
    Cquodra_dvView(Cquodra_dvDoc& doc, QWidget* parent = nullptr);

    Cquodra_dvDoc& GetDocument() { return m_doc; }
    CCanvasWidget* GetCanvasWidget() const { return m_pCanvasWidget; }
    CQuodra& GetCanvas() const;

    // Check marks. The select and zoom marks follow the last mode or tool command, not the
    // canvas (which returns to select mode by itself after drawing a figure).
    bool m_bSelectMode = true;
    bool m_bZoomMode = false;
    bool m_bShowGrid = true;
    bool m_bSnapKeyPoints = true;
    bool m_bSnapGrid = true;
    bool m_bSnapIntersections = false;

    // Does the view serve the command? Commands it does not serve are disabled in the frame.
    static bool HasHandler(int id);
    void OnCommand(int id);
    // The check mark of a command with a check rule; false for every other command.
    bool IsChecked(int id) const;

    void OnToolCommand(int id);
    // "Save As TeXDraw file": asks for a file name, then writes the drawing. True when written.
    bool OnSaveAsTeXDraw();
    // Save: writes to the file last saved to, asking for a name the first time.
    bool OnFileSave();
    // New: after asking to save a changed drawing, back to the start picture.
    void OnFileNew();
    void OnFilePrint();
    // Prints the page's figures (no grid, no handles) scaled to the printer's page.
    bool PrintDrawing(QPrinter& printer) const;
    // Writes the drawing to the file; a failure is shown to the user. True when written.
    bool SaveTo(const QString& path);
    // Before the drawing is dropped: asks whether to save it when it changed since it was last
    // saved. False when the user cancels (or the save failed): the drawing must stay.
    bool SaveModified();

    // Test seams; when set they answer instead of the dialogs.
    std::function<QString()> m_fnGetSavePath; // empty: cancelled
    std::function<void(const QString& text)> m_fnShowError;
    std::function<QMessageBox::StandardButton(const QString& question)> m_fnAskSaveChanges;
    std::function<bool(QPrinter& printer)> m_fnPrintDialog; // true: print

signals:
    // The document's file name changed (the frame updates its title).
    void DocumentChanged();
    // A check mark may have changed.
    void CommandUIChanged();

private:
    QString AskSavePath();
    void ShowError(const QString& text);

    Cquodra_dvDoc& m_doc;
    CCanvasWidget* m_pCanvasWidget;
};
