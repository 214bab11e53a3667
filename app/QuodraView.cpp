#include "app/QuodraView.h"

#include "app/CanvasWidget.h"
#include "app/Commands.h"
#include "app/Dialogs.h"
#include "app/DrawingPropertiesDialog.h"
#include "app/LatexDialogs.h"
#include "app/QtSurface.h"
#include "app/QuodraDoc.h"
#include "figures/FigureFactory.h"
#include "latex/LatexLog.h"
#include "texdraw/Reader.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGuiApplication>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>
#include <optional>

namespace {

// The drawing tool that a tool command chooses; nothing for every other command.
std::optional<ETool> ToolForCommand(int id) {
    switch (id) {
    case ID_DRAW_LINE:
        return ETool::Line;
    case ID_DRAW_DOTTED_LINE:
        return ETool::DottedLine;
    case ID_DRAW_RECTANGLE:
        return ETool::Rectangle;
    case ID_DRAW_RHOMB:
        return ETool::Rhomb;
    case ID_DRAW_ELLIPSE:
        return ETool::Ellipse;
    case ID_DRAW_BEZIER:
        return ETool::Bezier;
    case ID_DRAW_ARROW:
        return ETool::Arrow;
    case ID_TEST_ROTATE_RECTANGLE:
        return ETool::RotatableRectangle;
    case ID_TEST_ROTATE_ELLIPSE:
        return ETool::RotatableEllipse;
    case ID_TEST_QUODRA_RECTANGLE:
        return ETool::PlainRectangle;
    case ID_DRAW_CIRCLE:
        return ETool::Circle;
    case ID_DRAW_AXIS_ELLIPSE:
        return ETool::AxisEllipse;
    case ID_DRAW_ARC:
        return ETool::Arc;
    case ID_DRAW_POLYLINE:
        return ETool::Polyline;
    case ID_DRAW_PATH:
        return ETool::Path;
    case ID_DRAW_LABEL:
        return ETool::Label;
    default:
        return std::nullopt;
    }
}

} // namespace

Cquodra_dvView::Cquodra_dvView(Cquodra_dvDoc& doc, QWidget* parent) : QWidget(parent), m_doc(doc) {
    m_pCanvasWidget = new CCanvasWidget(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pCanvasWidget);
    setFocusProxy(m_pCanvasWidget);
    // The canvas starts in zoom mode; the view starts it in select mode, as its check marks say.
    GetCanvas().SetMode(kModeSelect);
    GetCanvas().m_bSnapKeyPoints = m_bSnapKeyPoints;
    GetCanvas().m_bSnapGrid = m_bSnapGrid;
    GetCanvas().m_bSnapIntersections = m_bSnapIntersections;
    // Asking the clipboard of another program for its text is a round trip to the display, so
    // it is asked once per change of the clipboard, not at every click.
    QClipboard* clipboard = QGuiApplication::clipboard();
    m_bClipboardHasText = !clipboard->text().isEmpty();
    connect(clipboard, &QClipboard::dataChanged, this, [this, clipboard] {
        m_bClipboardHasText = !clipboard->text().isEmpty();
        emit CommandUIChanged();
    });
    m_pWatcher = new QFileSystemWatcher(this);
    m_pDiskCheck = new QTimer(this);
    m_pDiskCheck->setSingleShot(true);
    m_pDiskCheck->setInterval(100);
    connect(m_pWatcher, &QFileSystemWatcher::fileChanged, this, &Cquodra_dvView::OnWatcherReport);
    connect(m_pWatcher, &QFileSystemWatcher::directoryChanged, this,
            &Cquodra_dvView::OnWatcherReport);
    connect(m_pDiskCheck, &QTimer::timeout, this, &Cquodra_dvView::CheckFileOnDisk);
}

CQuodra& Cquodra_dvView::GetCanvas() const {
    return m_pCanvasWidget->GetCanvas();
}

bool Cquodra_dvView::HasHandler(int id) {
    switch (id) {
    case ID_DRAW_CIRCLE:
    case ID_DRAW_AXIS_ELLIPSE:
    case ID_DRAW_ARC:
    case ID_DRAW_POLYLINE:
    case ID_DRAW_PATH:
    case ID_DRAW_LABEL:
    case ID_DRAW_LINE:
    case ID_DRAW_DOTTED_LINE:
    case ID_DRAW_RECTANGLE:
    case ID_DRAW_RHOMB:
    case ID_DRAW_ELLIPSE:
    case ID_DRAW_BEZIER:
    case ID_DRAW_ARROW:
    case ID_TEST_ROTATE_RECTANGLE:
    case ID_TEST_ROTATE_ELLIPSE:
    case ID_TEST_CHANGE_TEXT:
    case ID_TEST_QUODRA_RECTANGLE:
    case ID_MODE_SELECT:
    case ID_MODE_ZOOM:
    case ID_SNAP_KEY_POINTS:
    case ID_SNAP_GRID:
    case ID_SNAP_INTERSECTIONS:
    case ID_VIEW_ACTUAL_SIZE:
    case ID_VIEW_FIT_PAGE:
    case ID_VIEW_FIT_WIDTH:
    case ID_VIEW_FIT_HEIGHT:
    case ID_VIEW_SHOW_GRID:
    case ID_VIEW_ZOOM_IN:
    case ID_VIEW_ZOOM_OUT:
    case ID_EDIT_DUPLICATE:
    case ID_EDIT_CUT:
    case ID_EDIT_DELETE:
    case ID_EDIT_UNDO:
    case ID_EDIT_REDO:
    case ID_EDIT_COPY:
    case ID_EDIT_PASTE:
    case ID_EDIT_SELECT_ALL:
    case ID_FILE_SAVE_TEXDRAW:
    case ID_FILE_NEW:
    case ID_FILE_OPEN:
    case ID_FILE_SAVE:
    case ID_FILE_PRINT:
    case ID_APP_ABOUT:
    case ID_FILE_EXPORT:
    case ID_VIEW_LATEX_PREAMBLE:
    case ID_HELP_LATEX:
    case ID_EDIT_COPY_STYLE:
    case ID_EDIT_PASTE_STYLE:
    case ID_FILE_DRAWING_PROPERTIES:
        return true;
    default:
        return false;
    }
}

bool Cquodra_dvView::IsEnabled(int id) const {
    const CQuodra& canvas = GetCanvas();
    // Nothing is cut, copied or pasted in the middle of a drag.
    const bool idle = !(int(canvas.GetMouseState()) & kMousePressed);
    switch (id) {
    case ID_EDIT_UNDO:
        return canvas.CanUndo();
    case ID_EDIT_REDO:
        return canvas.CanRedo();
    case ID_EDIT_CUT:
    case ID_EDIT_COPY:
        return idle && canvas.HasSelection();
    case ID_EDIT_PASTE:
        return idle && m_bClipboardHasText;
    case ID_EDIT_SELECT_ALL:
        return canvas.HasSelectableFigure();
    case ID_EDIT_COPY_STYLE:
        return idle && canvas.GetStyles().GetSelectionStyle().nCaps != 0;
    case ID_EDIT_PASTE_STYLE:
        return idle && canvas.GetStyles().HasCopiedStyle() &&
               canvas.GetStyles().GetSelectionStyle().nCaps != 0;
    default:
        return HasHandler(id);
    }
}

bool Cquodra_dvView::IsChecked(int id) const {
    // The mode the canvas is in shows: the tool while it draws, Select again after a figure.
    const EMode mode = GetCanvas().GetMode();
    switch (id) {
    case ID_MODE_SELECT:
        return mode == kModeSelect;
    case ID_MODE_ZOOM:
        return mode == kModeZoom;
    case ID_VIEW_SHOW_GRID:
        return m_bShowGrid;
    case ID_SNAP_KEY_POINTS:
        return m_bSnapKeyPoints;
    case ID_SNAP_GRID:
        return m_bSnapGrid;
    case ID_SNAP_INTERSECTIONS:
        return m_bSnapIntersections;
    default:
        if (IsToolCommand(id))
            return mode == kModeDraw && id == m_nActiveTool;
        return false;
    }
}

void Cquodra_dvView::OnCommand(int id) {
    CQuodra& canvas = GetCanvas();
    switch (id) {
    case ID_DRAW_LINE:
    case ID_DRAW_DOTTED_LINE:
    case ID_DRAW_RECTANGLE:
    case ID_DRAW_RHOMB:
    case ID_DRAW_ELLIPSE:
    case ID_DRAW_BEZIER:
    case ID_DRAW_ARROW:
    case ID_TEST_ROTATE_RECTANGLE:
    case ID_TEST_ROTATE_ELLIPSE:
    case ID_TEST_QUODRA_RECTANGLE:
    case ID_DRAW_CIRCLE:
    case ID_DRAW_AXIS_ELLIPSE:
    case ID_DRAW_ARC:
    case ID_DRAW_POLYLINE:
    case ID_DRAW_PATH:
    case ID_DRAW_LABEL:
        OnToolCommand(id);
        break;
    case ID_TEST_CHANGE_TEXT:
        canvas.ChangeText();
        break;
    case ID_MODE_SELECT:
        canvas.SetMode(kModeSelect);
        m_bSelectMode = true;
        m_bZoomMode = false;
        break;
    case ID_MODE_ZOOM:
        canvas.SetMode(kModeZoom);
        m_bSelectMode = false;
        m_bZoomMode = true;
        break;
    case ID_SNAP_KEY_POINTS:
        m_bSnapKeyPoints = !m_bSnapKeyPoints;
        canvas.m_bSnapKeyPoints = m_bSnapKeyPoints;
        break;
    case ID_SNAP_GRID:
        m_bSnapGrid = !m_bSnapGrid;
        canvas.m_bSnapGrid = m_bSnapGrid;
        break;
    case ID_SNAP_INTERSECTIONS:
        m_bSnapIntersections = !m_bSnapIntersections;
        canvas.m_bSnapIntersections = m_bSnapIntersections;
        break;
    case ID_VIEW_ACTUAL_SIZE:
        canvas.ActualSize();
        break;
    case ID_VIEW_FIT_PAGE:
        canvas.FitPage();
        break;
    case ID_VIEW_FIT_WIDTH:
        canvas.FitWidth();
        break;
    case ID_VIEW_FIT_HEIGHT:
        canvas.FitHeight();
        break;
    case ID_VIEW_SHOW_GRID:
        m_bShowGrid = !m_bShowGrid;
        canvas.SetGridVisible(m_bShowGrid);
        break;
    case ID_VIEW_ZOOM_IN:
        canvas.ZoomIn();
        break;
    case ID_VIEW_ZOOM_OUT:
        canvas.ZoomOut();
        break;
    case ID_EDIT_DUPLICATE:
        canvas.Duplicate();
        break;
    case ID_EDIT_DELETE:
        canvas.DeleteSelected();
        break;
    case ID_EDIT_CUT:
        canvas.GetClipboard().Cut();
        break;
    case ID_EDIT_COPY:
        canvas.GetClipboard().Copy();
        break;
    case ID_EDIT_COPY_STYLE:
        canvas.GetStyles().CopyStyle();
        break;
    case ID_EDIT_PASTE_STYLE:
        canvas.GetStyles().PasteStyle();
        break;
    case ID_FILE_DRAWING_PROPERTIES:
        RunDrawingPropertiesDialog(canvas, this);
        break;
    case ID_EDIT_PASTE:
        canvas.GetClipboard().Paste();
        break;
    case ID_EDIT_UNDO:
        canvas.Undo();
        break;
    case ID_EDIT_REDO:
        canvas.Redo();
        break;
    case ID_EDIT_SELECT_ALL:
        canvas.SelectAll();
        break;
    case ID_FILE_SAVE_TEXDRAW:
        OnSaveAsTeXDraw();
        break;
    case ID_FILE_NEW:
        OnFileNew();
        break;
    case ID_FILE_OPEN:
        OnFileOpen();
        break;
    case ID_FILE_SAVE:
        OnFileSave();
        break;
    case ID_FILE_PRINT:
        OnFilePrint();
        break;
    case ID_APP_ABOUT: {
        CAboutDlg dlg(this);
        dlg.exec();
        break;
    }
    case ID_FILE_EXPORT:
        OnExport();
        break;
    case ID_VIEW_LATEX_PREAMBLE:
        OnLatexPreamble();
        break;
    case ID_HELP_LATEX:
        ShowInfo(GetLatexUsageHelp());
        break;
    default:
        return;
    }
    emit CommandUIChanged();
}

void Cquodra_dvView::OnToolCommand(int id) {
    m_bSelectMode = false;
    m_bZoomMode = false;
    m_nActiveTool = id;
    if (const std::optional<ETool> tool = ToolForCommand(id))
        GetCanvas().SetToolFigure(MakeToolFigure(*tool));
    // How to use it, until the status bar has other news.
    if (const CCommandInfo* c = FindCommand(id); c && *c->pszPrompt)
        emit StatusMessage(QString::fromUtf8(c->pszPrompt));
}

// --- Printing

void Cquodra_dvView::OnFilePrint() {
    // Screen resolution keeps the drawing's pixel proportions, text size included; on a PDF
    // the lines stay vectors all the same.
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setDocName(m_doc.GetTitle());
    bool go = false;
    if (m_fnPrintDialog) {
        go = m_fnPrintDialog(printer);
    } else {
        QPrintDialog dlg(&printer, this);
        go = dlg.exec() == QDialog::Accepted;
    }
    if (go && !PrintDrawing(printer))
        ShowError("The drawing could not be printed.");
}

bool Cquodra_dvView::PrintDrawing(QPrinter& printer) const {
    const CQuodra& canvas = GetCanvas();
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const double zoom = canvas.GetZoom();
    const CSize pagePx = canvas.GetPageSizePx();
    const double pageW = pagePx.cx / zoom;
    const double pageH = pagePx.cy / zoom;
    const QRect target = painter.viewport();
    const double scale = std::min(target.width() / pageW, target.height() / pageH);
    painter.scale(scale, scale);
    CQtSurface surface(painter);
    const CFigureList& figures = canvas.GetFigures();
    for (int i = 0; i < figures.GetCount(); ++i) {
        const CFigure* f = figures.GetAt(i);
        if (!f->m_bVisible || f->IsGridLine())
            continue;
        f->Draw(surface, 1.0, 0, 0);
    }
    return painter.end();
}

// --- LaTeX: export and preamble

void Cquodra_dvView::OnExport() {
    std::optional<CExportChoice> choice;
    if (m_fnGetExport) {
        choice = m_fnGetExport();
    } else {
        // The drawing's own name with the format's extension is the first suggestion.
        const QString saved = m_doc.GetPathName();
        const QString suggested = saved.isEmpty()
                                      ? QDir::current().filePath("drawing.pdf")
                                      : QFileInfo(saved).absolutePath() + "/" +
                                            QFileInfo(saved).completeBaseName() + ".pdf";
        CExportDialog dlg(suggested, this);
        if (dlg.exec() == QDialog::Accepted)
            choice = CExportChoice{dlg.GetPath(), dlg.GetFormat(), dlg.GetCrop(), dlg.GetDpi()};
    }
    if (choice)
        ExportTo(choice->strPath, choice->eFormat, choice->eCrop, choice->nDpi);
}

bool Cquodra_dvView::ExportTo(const QString& path, ETypesetOutput format, ETypesetCrop crop,
                              int dpi) {
    const CQuodra& canvas = GetCanvas();
    const CTeXDrawLineMap map(canvas.GetFigures());
    CTypesetRequest request;
    request.strPreamble = GetLatexPreamble();
    const CSize page = canvas.GetPageSizePx();
    SetTypesetDrawing(request, canvas.GetFigures(), map, page.cx / canvas.GetZoom(),
                      page.cy / canvas.GetZoom());
    request.eOutput = format;
    request.eCrop = crop;
    request.dDpi = dpi;
    request.strOutputPath = QFileInfo(path).absoluteFilePath();
    request.strSourcePath = m_doc.GetPathName();
    request.strTitle = m_doc.GetTitle();
    // The window keeps repainting while the tools run, but takes no input.
    QWidget* top = window();
    top->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    CTypesetter typesetter;
    const CTypesetResult result = typesetter.Run(request);
    QApplication::restoreOverrideCursor();
    top->setEnabled(true);
    if (!result.bOk) {
        ShowError(QString("The drawing could not be exported to\n%1\n\n%2")
                      .arg(QDir::toNativeSeparators(path),
                           DescribeTypesetFailure(result, canvas.GetFigures(), map)));
        return false;
    }
    emit StatusMessage(DescribeExport(path, result));
    return true;
}

void Cquodra_dvView::OnLatexPreamble() {
    const QString old = GetLatexPreamble();
    std::optional<QString> preamble;
    if (m_fnGetPreamble) {
        preamble = m_fnGetPreamble(old);
    } else {
        CPreambleDialog dlg(old, this);
        if (dlg.exec() == QDialog::Accepted)
            preamble = dlg.GetPreamble();
    }
    if (!preamble || *preamble == old)
        return;
    SetLatexPreamble(*preamble);
    emit PreambleChanged();
}
