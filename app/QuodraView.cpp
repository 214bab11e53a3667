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

// The drawing tool that each tool command chooses.
constexpr std::pair<int, ETool> kToolCommands[] = {
    {ID_DRAW_LINE, ETool::Line},
    {ID_DRAW_DOTTED_LINE, ETool::DottedLine},
    {ID_DRAW_RECTANGLE, ETool::Rectangle},
    {ID_DRAW_RHOMB, ETool::Rhomb},
    {ID_DRAW_ELLIPSE, ETool::Ellipse},
    {ID_DRAW_BEZIER, ETool::Bezier},
    {ID_DRAW_ARROW, ETool::Arrow},
    {ID_TEST_ROTATE_RECTANGLE, ETool::RotatableRectangle},
    {ID_TEST_ROTATE_ELLIPSE, ETool::RotatableEllipse},
    {ID_TEST_QUODRA_RECTANGLE, ETool::PlainRectangle},
    {ID_DRAW_CIRCLE, ETool::Circle},
    {ID_DRAW_AXIS_ELLIPSE, ETool::AxisEllipse},
    {ID_DRAW_ARC, ETool::Arc},
    {ID_DRAW_POLYLINE, ETool::Polyline},
    {ID_DRAW_PATH, ETool::Path},
    {ID_DRAW_LABEL, ETool::Label},
};

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
    RegisterCommands();
}

CQuodra& Cquodra_dvView::GetCanvas() const {
    return m_pCanvasWidget->GetCanvas();
}

void Cquodra_dvView::OnCommand(int id) {
    if (m_commands.Run(id))
        emit CommandUIChanged();
}

void Cquodra_dvView::RegisterCommands() {
    CCommandHandlers& c = m_commands;
    // The mode the canvas is in shows: the tool while it draws, Select again after a figure.
    for (const auto& [id, tool] : kToolCommands)
        c.Add(
            id, [this, id = id] { OnToolCommand(id); }, {},
            [this, id = id] { return GetCanvas().GetMode() == kModeDraw && id == m_nActiveTool; });
    const auto modeCommand = [this, &c](int id, EMode mode) {
        c.Add(
            id,
            [this, mode] {
                GetCanvas().SetMode(mode);
                m_bSelectMode = mode == kModeSelect;
                m_bZoomMode = mode == kModeZoom;
            },
            {}, [this, mode] { return GetCanvas().GetMode() == mode; });
    };
    modeCommand(ID_MODE_SELECT, kModeSelect);
    modeCommand(ID_MODE_ZOOM, kModeZoom);
    // The switches: each turns its own flag over and hands it to the canvas.
    const auto toggle = [this, &c](int id, bool Cquodra_dvView::*flag, bool CQuodra::*canvasFlag) {
        c.Add(
            id,
            [this, flag, canvasFlag] {
                this->*flag = !(this->*flag);
                GetCanvas().*canvasFlag = this->*flag;
            },
            {}, [this, flag] { return this->*flag; });
    };
    toggle(ID_SNAP_KEY_POINTS, &Cquodra_dvView::m_bSnapKeyPoints, &CQuodra::m_bSnapKeyPoints);
    toggle(ID_SNAP_GRID, &Cquodra_dvView::m_bSnapGrid, &CQuodra::m_bSnapGrid);
    toggle(ID_SNAP_INTERSECTIONS, &Cquodra_dvView::m_bSnapIntersections,
           &CQuodra::m_bSnapIntersections);
    c.Add(
        ID_VIEW_SHOW_GRID,
        [this] {
            m_bShowGrid = !m_bShowGrid;
            GetCanvas().SetGridVisible(m_bShowGrid);
        },
        {}, [this] { return m_bShowGrid; });
    // The canvas's own commands, without a state of their own here.
    const std::pair<int, void (CQuodra::*)()> canvasCommands[] = {
        {ID_TEST_CHANGE_TEXT, &CQuodra::ChangeText}, {ID_VIEW_ACTUAL_SIZE, &CQuodra::ActualSize},
        {ID_VIEW_FIT_PAGE, &CQuodra::FitPage},       {ID_VIEW_FIT_WIDTH, &CQuodra::FitWidth},
        {ID_VIEW_FIT_HEIGHT, &CQuodra::FitHeight},   {ID_VIEW_ZOOM_IN, &CQuodra::ZoomIn},
        {ID_VIEW_ZOOM_OUT, &CQuodra::ZoomOut},       {ID_EDIT_DUPLICATE, &CQuodra::Duplicate},
        {ID_EDIT_DELETE, &CQuodra::DeleteSelected},
    };
    for (const auto& [id, command] : canvasCommands)
        c.Add(id, [this, command = command] { (GetCanvas().*command)(); });
    // Nothing is cut, copied or pasted in the middle of a drag.
    const auto idle = [this] { return !(int(GetCanvas().GetMouseState()) & kMousePressed); };
    const auto selected = [this, idle] { return idle() && GetCanvas().HasSelection(); };
    const auto styled = [this, idle] {
        return idle() && GetCanvas().GetStyles().GetSelectionStyle().nCaps != 0;
    };
    c.Add(
        ID_EDIT_UNDO, [this] { GetCanvas().Undo(); }, [this] { return GetCanvas().CanUndo(); });
    c.Add(
        ID_EDIT_REDO, [this] { GetCanvas().Redo(); }, [this] { return GetCanvas().CanRedo(); });
    c.Add(
        ID_EDIT_CUT, [this] { GetCanvas().GetClipboard().Cut(); }, selected);
    c.Add(
        ID_EDIT_COPY, [this] { GetCanvas().GetClipboard().Copy(); }, selected);
    c.Add(
        ID_EDIT_PASTE, [this] { GetCanvas().GetClipboard().Paste(); },
        [this, idle] { return idle() && m_bClipboardHasText; });
    c.Add(
        ID_EDIT_SELECT_ALL, [this] { GetCanvas().SelectAll(); },
        [this] { return GetCanvas().HasSelectableFigure(); });
    c.Add(
        ID_EDIT_COPY_STYLE, [this] { GetCanvas().GetStyles().CopyStyle(); }, styled);
    c.Add(
        ID_EDIT_PASTE_STYLE, [this] { GetCanvas().GetStyles().PasteStyle(); },
        [this, styled] { return styled() && GetCanvas().GetStyles().HasCopiedStyle(); });
    // The file, the window and LaTeX.
    c.Add(ID_FILE_DRAWING_PROPERTIES, [this] { RunDrawingPropertiesDialog(GetCanvas(), this); });
    c.Add(ID_FILE_SAVE_TEXDRAW, [this] { OnSaveAsTeXDraw(); });
    c.Add(ID_FILE_NEW, [this] { OnFileNew(); });
    c.Add(ID_FILE_OPEN, [this] { OnFileOpen(); });
    c.Add(ID_FILE_SAVE, [this] { OnFileSave(); });
    c.Add(ID_FILE_PRINT, [this] { OnFilePrint(); });
    c.Add(ID_APP_ABOUT, [this] {
        CAboutDlg dlg(this);
        dlg.exec();
    });
    c.Add(ID_FILE_EXPORT, [this] { OnExport(); });
    c.Add(ID_VIEW_LATEX_PREAMBLE, [this] { OnLatexPreamble(); });
    c.Add(ID_HELP_LATEX, [this] { ShowInfo(GetLatexUsageHelp()); });
}

void Cquodra_dvView::OnToolCommand(int id) {
    m_bSelectMode = false;
    m_bZoomMode = false;
    m_nActiveTool = id;
    for (const auto& [command, tool] : kToolCommands)
        if (command == id)
            GetCanvas().SetToolFigure(MakeToolFigure(tool));
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
