// Cquodra_dvView: the view in the main window. It holds the canvas widget, the check marks of the
// mode, grid and snap commands, and the handlers of the commands that reach the canvas: tools,
// modes, zoom, grid, snapping, editing, and opening, saving and printing the drawing. It
// watches the drawing's file, so that what another program writes there is neither missed nor
// silently saved over.
#pragma once

#include "app/CommandHandlers.h"
#include "app/Typesetter.h"
#include "texdraw/Document.h"

#include <QMessageBox>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class CCanvasWidget;
class CQuodra;
class Cquodra_dvDoc;
struct CTeXDrawReadResult;
class QFileSystemWatcher;
class QPrinter;
class QTimer;

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
    int m_nActiveTool = 0; // the tool command last chosen
    bool m_bShowGrid = true;
    bool m_bSnapKeyPoints = true;
    bool m_bSnapGrid = true;
    bool m_bSnapIntersections = false;

    // The commands the view serves, with their handlers and states. Commands it does not serve
    // are disabled in the frame. The edit commands follow the history, the selection and the
    // clipboard; every other command is enabled when the view serves it.
    const CCommandHandlers& GetCommands() const { return m_commands; }
    bool HasHandler(int id) const { return m_commands.Has(id); }
    void OnCommand(int id);
    bool IsEnabled(int id) const { return m_commands.IsEnabled(id); }
    // The check mark of a command with a check rule; false for every other command.
    bool IsChecked(int id) const { return m_commands.IsChecked(id); }

    void OnToolCommand(int id);
    // "Save As TeXDraw file": asks for a file name, then writes the drawing. True when written.
    bool OnSaveAsTeXDraw();
    // Save: writes to the file last saved to, asking for a name the first time. When another
    // program changed that file since this window read or wrote it, asks first whether to
    // overwrite it, save under another name, or cancel.
    bool OnFileSave();
    // New: after asking to save a changed drawing, back to the start picture.
    void OnFileNew();
    void OnFilePrint();
    // Open (Ctrl+O): asks whether to save a changed drawing, then for a file, then opens it as
    // OpenDocument does.
    void OnFileOpen();
    enum class EOpenResult { Opened, Cancelled, Failed };
    // Reads a TeXDraw drawing in place of the one on screen, after asking to save a changed
    // drawing when askToSave is set. A file that cannot be read is reported with the reader's
    // reason (file and line) and the drawing on screen stays exactly as it was.
    // A save of the file that was killed half-way is found first, and its copy of the drawing
    // from before it is offered for restoring.
    EOpenResult OpenDocument(const QString& path, bool askToSave = true);
    // Compares the drawing's file with what this window last read or wrote, as after every
    // report of the file watcher: another program's change is reloaded when the drawing has no
    // unsaved changes, and asked about when it has.
    void CheckFileOnDisk();
    // Export...: asks for file, format, crop and resolution, then exports.
    void OnExport();
    // Typesets the drawing into an export file; a failure is shown to the user. True when
    // written.
    bool ExportTo(const QString& path, ETypesetOutput format, ETypesetCrop crop, int dpi);
    // LaTeX Preamble...: edits the preamble setting.
    void OnLatexPreamble();
    // Prints the page's figures (no grid, no handles) scaled to the printer's page.
    bool PrintDrawing(QPrinter& printer) const;
    // Writes the drawing to the file; a failure is shown to the user. True when written.
    bool SaveTo(const QString& path);
    // Before the drawing is dropped: asks whether to save it when it changed since it was last
    // saved. False when the user cancels (or the save failed): the drawing must stay.
    bool SaveModified();

    // Test seams; when set they answer instead of the dialogs.
    std::function<QString()> m_fnGetSavePath; // empty: cancelled
    std::function<QString()> m_fnGetOpenPath; // empty: cancelled
    std::function<void(const QString& text)> m_fnShowError;
    std::function<void(const QString& text)> m_fnShowInfo;
    std::function<QMessageBox::StandardButton(const QString& question)> m_fnAskSaveChanges;
    std::function<bool(QPrinter& printer)> m_fnPrintDialog; // true: print
    enum class ESaveOverChange { Overwrite, SaveAs, Cancel };
    std::function<ESaveOverChange(const QString& question)> m_fnAskSaveOverChange;
    std::function<bool(const QString& question)> m_fnAskReload;        // true: reload
    std::function<bool(const QString& question)> m_fnAskRestoreBackup; // true: restore
    // Which drawing of a file that holds several to edit: an index into the list, nullopt to
    // cancel.
    std::function<std::optional<int>(const QStringList& drawings)> m_fnChooseDrawing;
    struct CExportChoice {
        QString strPath;
        ETypesetOutput eFormat;
        ETypesetCrop eCrop;
        int nDpi;
    };
    std::function<std::optional<CExportChoice>()> m_fnGetExport;               // nullopt: cancelled
    std::function<std::optional<QString>(const QString& old)> m_fnGetPreamble; // nullopt: cancelled

signals:
    // The document's file name changed (the frame updates its title).
    void DocumentChanged();
    // Another drawing took the place of the one shown (a file opened or read again, a new
    // drawing): nothing made from the one before belongs to it.
    void DrawingReplaced();
    // A check mark may have changed.
    void CommandUIChanged();
    // A drawing was read from or written to this file (it belongs in the recent-file list).
    void FileUsed(const QString& path);
    // The LaTeX preamble setting changed.
    void PreambleChanged();
    // A short note for the status bar.
    void StatusMessage(const QString& text);
    // Text of the opened file that this editor does not understand and keeps as it stands: a
    // line for the status bar and the whole story for its "Details..." link.
    void KeptTextNotice(const QString& summary, const QString& details);

private:
    // Gives every command the view serves its handler and states.
    void RegisterCommands();
    QString AskSavePath();
    QString AskOpenPath();
    // Tells of the stretches of the file at path that were kept as text (KeptTextNotice).
    void ReportKeptText(const CTeXDrawReadResult& result, const QString& path);
    // The drawing of the file at path to edit when it holds several; nullopt when cancelled.
    std::optional<int> AskDrawing(const QString& path, int count);
    void ShowError(const QString& text);
    void ShowInfo(const QString& text);
    // Select mode with its check marks, as after a new or opened drawing.
    void BackToSelectMode();
    ESaveOverChange AskSaveOverChange(const QString& question);
    bool AskReload(const QString& question);
    bool AskRestoreBackup(const QString& question);
    // Offers the copy that a killed save of the file left beside it; stale leftovers go.
    void RecoverInterruptedSave(const QString& path);
    // Watches this file (and its folder) only; nothing for an empty path.
    void WatchFile(const QString& path);
    void OnWatcherReport();

    Cquodra_dvDoc& m_doc;
    CCanvasWidget* m_pCanvasWidget;
    bool m_bClipboardHasText = false;
    CCommandHandlers m_commands;
    QFileSystemWatcher* m_pWatcher;
    // Editors write a file in several steps (a temporary, a rename): the reports of one change
    // are looked at together, a moment after the last.
    QTimer* m_pDiskCheck;
    // A change on disk the user chose to keep their drawing over: not asked about again.
    CFileStamp m_declinedStamp;
    // Which drawing of the file is edited (0 for the first, and for a file of one drawing).
    int m_nDrawing = 0;
    bool m_bCheckingDisk = false;
    bool m_bCheckAgain = false;
};
