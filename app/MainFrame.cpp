#include "app/MainFrame.h"

#include "app/CanvasContextMenu.h"
#include "app/CanvasWidget.h"
#include "app/Commands.h"
#include "app/LockIndicators.h"
#include "app/PreviewDock.h"
#include "app/QuodraDoc.h"
#include "app/QuodraView.h"
#include "app/RecentFileList.h"
#include "app/StatusPanes.h"
#include "app/StyleDock.h"
#include "app/ToolbarImages.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>

#include <algorithm>

namespace {

constexpr int kImageSize = 24;
// How long a message of the canvas (a refused paste) stays in the status bar.
constexpr int kMessageMs = 10000;
// Settings keys of the window's layout.
const char* const kGeometryKey = "Window/Geometry";
const char* const kStateKey = "Window/State";

// The typeset preview's button: a page with a typeset formula on it.
QIcon MakePreviewIcon() {
    QPixmap pixmap(kImageSize, kImageSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 1.5, 15, 21));
    QFont font("serif");
    font.setItalic(true);
    font.setPixelSize(13);
    p.setFont(font);
    p.setPen(QColor(0, 0, 140));
    p.drawText(QRect(4, 2, 16, 20), Qt::AlignCenter, QString::fromUtf8("\u03b1"));
    return QIcon(pixmap);
}

} // namespace

CMainFrame::CMainFrame(Cquodra_dvDoc& doc, QWidget* parent) : QMainWindow(parent), m_doc(doc) {
    QIcon icon(":/res/quodra.png");
    for (int size : {24, 96, 192})
        icon.addFile(QString(":/res/icons/quodra-%1.png").arg(size));
    setWindowIcon(icon);
    m_pView = new Cquodra_dvView(doc, this);
    setCentralWidget(m_pView);
    m_pRecentFiles = new CRecentFileList(this);

    RegisterCommands();
    CreateActions();
    CreateMenus();
    const auto main = GetMainToolbarButtons();
    const auto additional = GetAdditionalToolbarButtons();
    m_pMainToolBar = CreateToolBar(" Main toolbar", "MainToolBar", {main.begin(), main.end()});
    m_pAdditionalToolBar = CreateToolBar(" Additional toolbar", "AdditionalToolBar",
                                         {additional.begin(), additional.end()});
    setDockOptions(dockOptions() | QMainWindow::AnimatedDocks);
    addToolBar(Qt::RightToolBarArea, m_pAdditionalToolBar);
    addToolBar(Qt::TopToolBarArea, m_pMainToolBar);
    CreateStatusBar();
    CreatePreviewDock();
    CreateStyleDock();
    m_pRecentFiles->Load();

    connect(m_pView, &Cquodra_dvView::CommandUIChanged, this, &CMainFrame::UpdateCommandUI);
    connect(m_pView, &Cquodra_dvView::DocumentChanged, this, &CMainFrame::UpdateTitle);
    // Files opened and saved go to the top of the recent-file list; its entries open them.
    connect(m_pView, &Cquodra_dvView::FileUsed, m_pRecentFiles, &CRecentFileList::Add);
    connect(m_pRecentFiles, &CRecentFileList::FileChosen, this, &CMainFrame::OnRecentFile);
    // Undo, redo, cut, copy, paste and select all follow the history, the selection and the
    // clipboard, whoever changed them.
    CCanvasWidget* canvas = m_pView->GetCanvasWidget();
    connect(canvas, &CCanvasWidget::EditStateChanged, this, &CMainFrame::UpdateCommandUI);
    connect(canvas, &CCanvasWidget::MessageWanted, this,
            [this](const QString& text) { statusBar()->showMessage(text, kMessageMs); });
    connect(m_pView, &Cquodra_dvView::StatusMessage, this,
            [this](const QString& text) { statusBar()->showMessage(text, kMessageMs); });
    // The title's mark follows the figures: any change of them may set it or, undone back to the
    // saved drawing, clear it.
    connect(canvas, &CCanvasWidget::StateChanged, this, [this](unsigned changes) {
        if (changes & CCanvasWidget::kFiguresChanged)
            UpdateTitle();
    });
    connect(canvas, &CCanvasWidget::ToolKeyPressed, this, &CMainFrame::OnAction);
    connect(canvas, &CCanvasWidget::ContextMenuWanted, this, [this](QPoint client, QPoint global) {
        MakeCanvasContextMenu(*this, client)->exec(global);
        UpdateCommandUI();
    });
    // The keys go to the canvas first, not to the style dock's fields.
    m_pView->setFocus();
    UpdateTitle();
    UpdateCommandUI();
}

CMainFrame::~CMainFrame() {
    // The docks reach into the canvas and the actions; as the window goes, they hide without
    // telling anyone.
    if (m_pPreviewDock) {
        m_pPreviewDock->disconnect();
        disconnect(m_pPreviewDock, nullptr, this, nullptr);
        m_pView->GetCanvasWidget()->m_fnPaintOverlay = nullptr;
        m_pView->GetCanvasWidget()->m_fnHideTexts = nullptr;
    }
    if (m_pStyleDock) {
        disconnect(m_pStyleDock, nullptr, this, nullptr);
        disconnect(m_pView->GetCanvasWidget(), nullptr, m_pStyleDock, nullptr);
    }
}

void CMainFrame::CreateActions() {
    const QList<QIcon> mainIcons =
        LoadToolbarIcons(":/res/toolbar-main.bmp", ":/res/toolbar-main-hot.bmp",
                         ":/res/toolbar-main-disabled.bmp", kImageSize);
    const QList<QIcon> additionalIcons =
        LoadToolbarIcons(":/res/toolbar-additional.bmp", ":/res/toolbar-additional-hot.bmp",
                         ":/res/toolbar-additional-disabled.bmp", kImageSize);
    const QList<QIcon> editIcons =
        LoadToolbarIcons(":/res/toolbar-edit.bmp", ":/res/toolbar-edit-hot.bmp",
                         ":/res/toolbar-edit-disabled.bmp", kImageSize);

    for (const CCommandInfo& c : GetCommandTable()) {
        auto* action = new QAction(QString::fromUtf8(c.pszMenuText), this);
        const QString prompt = QString::fromUtf8(c.pszPrompt);
        action->setStatusTip(prompt);
        action->setToolTip(prompt.isEmpty() ? action->iconText() : prompt);
        action->setCheckable(c.bCheckable);
        const QList<QIcon>& icons = c.eStrip == EToolbarImage::Main   ? mainIcons
                                    : c.eStrip == EToolbarImage::Edit ? editIcons
                                                                      : additionalIcons;
        if (c.eStrip != EToolbarImage::None && c.nImage < icons.size())
            action->setIcon(icons[c.nImage]);
        QList<QKeySequence> keys;
        for (const QString& k : QString::fromUtf8(c.pszShortcuts).split("; ", Qt::SkipEmptyParts))
            keys.append(QKeySequence(k));
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        const int id = c.nId;
        action->setData(id);
        connect(action, &QAction::triggered, this, [this, id] { OnAction(id); });
        // Commands without a handler are shown disabled.
        action->setEnabled(m_commands.Has(id) || m_pView->HasHandler(id));
        // Shortcuts work anywhere in the window, also for commands that are not in a menu.
        addAction(action);
        m_actions.insert(id, action);
    }
    m_actions.value(ID_VIEW_TYPESET_PREVIEW)->setIcon(MakePreviewIcon());
    const std::pair<int, EShapeToolImage> shapeTools[] = {
        {ID_DRAW_CIRCLE, EShapeToolImage::Circle},
        {ID_DRAW_AXIS_ELLIPSE, EShapeToolImage::AxisEllipse},
        {ID_DRAW_ARC, EShapeToolImage::Arc},
        {ID_DRAW_POLYLINE, EShapeToolImage::Polyline},
        {ID_DRAW_PATH, EShapeToolImage::Path},
        {ID_DRAW_LABEL, EShapeToolImage::Label}};
    for (const auto& [id, image] : shapeTools)
        m_actions.value(id)->setIcon(MakeShapeToolIcon(image, kImageSize));
    // The recent-file placeholder is never a command of its own.
    m_actions.value(ID_FILE_MRU_FILE1)->setEnabled(false);
}

void CMainFrame::CreateMenus() {
    for (const CMenuInfo& m : GetMenuBar()) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(m.pszTitle));
        for (int id : m.items) {
            if (id == 0) {
                menu->addSeparator();
            } else if (id == -1) {
                QMenu* test = menu->addMenu("Test mode");
                for (int t : GetTestModeMenu()) {
                    if (t == 0)
                        test->addSeparator();
                    else
                        test->addAction(m_actions.value(t));
                }
            } else {
                menu->addAction(m_actions.value(id));
            }
        }
        if (std::find(m.items.begin(), m.items.end(), int(ID_FILE_MRU_FILE1)) != m.items.end()) {
            // The separator that follows the recent files is the anchor of their entries.
            QAction* placeholder = m_actions.value(ID_FILE_MRU_FILE1);
            const QList<QAction*> list = menu->actions();
            const qsizetype at = list.indexOf(placeholder);
            m_pRecentFiles->AttachToMenu(menu, placeholder, list.value(at + 1));
        }
    }
}

QToolBar* CMainFrame::CreateToolBar(const QString& title, const QString& objectName,
                                    const QList<int>& buttons) {
    auto* bar = new QToolBar(title, this);
    bar->setObjectName(objectName);
    bar->setIconSize(QSize(kImageSize, kImageSize));
    bar->setMovable(true);
    bar->setFloatable(true);
    bar->setAllowedAreas(Qt::AllToolBarAreas);
    for (int id : buttons) {
        if (id == 0)
            bar->addSeparator();
        else
            bar->addAction(m_actions.value(id));
    }
    connect(bar, &QToolBar::visibilityChanged, this, &CMainFrame::UpdateCommandUI);
    return bar;
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    // The message pane: shows "Ready" while no prompt of a menu entry or button is shown.
    m_pMessagePane = new QLabel("Ready", bar);
    bar->addWidget(m_pMessagePane, 1);
    m_pKeptNotice = new QLabel(bar);
    m_pKeptNotice->setObjectName("keptTextNotice");
    m_pKeptNotice->setToolTip("Text of the file that this editor does not understand; it is "
                              "kept as it stands");
    m_pKeptNotice->hide();
    connect(m_pKeptNotice, &QLabel::linkActivated, this,
            [this] { QMessageBox::information(this, "Kept text", m_strKeptDetails); });
    bar->addPermanentWidget(m_pKeptNotice);
    m_pBeyondNotice = new QLabel("Beyond the page", bar);
    m_pBeyondNotice->setObjectName("beyondPageNotice");
    m_pBeyondNotice->setToolTip("Part of the drawing lies beyond the editor's page. LaTeX prints "
                                "it where it lies, and exports hold all of it.");
    m_pBeyondNotice->hide();
    bar->addPermanentWidget(m_pBeyondNotice);
    m_pStatusPanes = new CStatusPanes(*bar, *m_pView->GetCanvasWidget());
    m_pLocks = new CLockIndicators(bar);
    // The notice belongs to the drawing it was given for.
    connect(m_pView, &Cquodra_dvView::DocumentChanged, m_pKeptNotice, &QLabel::hide);
    connect(m_pView, &Cquodra_dvView::KeptTextNotice, this,
            [this](const QString& summary, const QString& details) {
                m_strKeptDetails = details;
                m_pKeptNotice->setText("Kept text: <a href=\"details\">Details…</a>");
                m_pKeptNotice->show();
                statusBar()->showMessage(summary, kMessageMs);
            });
}

void CMainFrame::CreatePreviewDock() {
    CCanvasWidget* canvas = m_pView->GetCanvasWidget();
    m_pPreviewDock = new CPreviewDock(*canvas, this);
    m_pPreviewDock->setAllowedAreas(Qt::AllDockWidgetAreas);
    addDockWidget(Qt::RightDockWidgetArea, m_pPreviewDock);
    m_pPreviewDock->hide();
    connect(canvas, &CCanvasWidget::Painted, m_pPreviewDock, &CPreviewDock::OnCanvasPainted);
    canvas->m_fnPaintOverlay = [this](QPainter& painter) { m_pPreviewDock->PaintOverlay(painter); };
    canvas->m_fnHideTexts = [this] { return m_pPreviewDock->IsOverlayShowingPage(); };
    connect(m_pView, &Cquodra_dvView::PreambleChanged, m_pPreviewDock,
            &CPreviewDock::OnPreambleChanged);
    connect(m_pView, &Cquodra_dvView::DrawingReplaced, m_pPreviewDock, &CPreviewDock::ForgetPage);
    connect(m_pPreviewDock, &QDockWidget::visibilityChanged, this, &CMainFrame::UpdateCommandUI);
}

void CMainFrame::CreateStyleDock() {
    m_pStyleDock = new CStyleDock(*m_pView->GetCanvasWidget(), this);
    m_pStyleDock->setAllowedAreas(Qt::AllDockWidgetAreas);
    addDockWidget(Qt::RightDockWidgetArea, m_pStyleDock);
    connect(m_pStyleDock, &QDockWidget::visibilityChanged, this, &CMainFrame::UpdateCommandUI);
    connect(m_pStyleDock, &CStyleDock::MessageWanted, this,
            [this](const QString& text) { statusBar()->showMessage(text, kMessageMs); });
    // Beside the preview the panel keeps no more height than it needs; the page gets the rest.
    connect(m_pPreviewDock, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible && m_pStyleDock->isVisible() && !m_pStyleDock->isFloating())
            resizeDocks({m_pStyleDock}, {m_pStyleDock->sizeHint().height()}, Qt::Vertical);
    });
}

void CMainFrame::RegisterCommands() {
    // The window's own commands show or hide its parts.
    const auto shows = [this](int id, const std::function<QWidget*()>& part) {
        m_commands.Add(id, [part] { part()->setVisible(part()->isHidden()); });
    };
    shows(ID_VIEW_STYLE, [this] { return m_pStyleDock; });
    shows(ID_VIEW_TYPESET_PREVIEW, [this] { return m_pPreviewDock; });
    shows(ID_VIEW_MAIN_TOOLBAR, [this] { return m_pMainToolBar; });
    shows(ID_VIEW_ADDITIONAL_TOOLBAR, [this] { return m_pAdditionalToolBar; });
    shows(ID_VIEW_STATUS_BAR, [this] { return statusBar(); });
    m_commands.Add(ID_APP_EXIT, [this] { close(); });
}

void CMainFrame::OnAction(int id) {
    if (id == ID_APP_EXIT) {
        m_commands.Run(id);
        return;
    }
    if (!m_commands.Run(id))
        m_pView->OnCommand(id);
    UpdateCommandUI();
}

void CMainFrame::OnRecentFile(const QString& path) {
    // A file that no longer opens (moved, deleted, damaged) leaves the list; the view has told
    // the user why.
    if (m_pView->OpenDocument(path) == Cquodra_dvView::EOpenResult::Failed)
        m_pRecentFiles->Remove(path);
}

void CMainFrame::UpdateTitle() {
    // "[*]" is where Qt shows the mark; a literal one in a file name is written twice.
    QString title = m_doc.GetTitle();
    title.replace("[*]", "[*][*]");
    setWindowTitle(title + "[*] - quodra_dv");
    setWindowModified(m_pView->GetCanvas().IsModified());
}

void CMainFrame::ShowAsLastTime() {
    const QSettings settings;
    restoreState(settings.value(kStateKey).toByteArray());
    UpdateCommandUI();
    if (restoreGeometry(settings.value(kGeometryKey).toByteArray())) {
        show();
        return;
    }
    const QRect screen =
        (this->screen() ? this->screen() : QGuiApplication::primaryScreen())->availableGeometry();
    const QSize size = screen.size() * 2 / 3;
    setGeometry(QRect(screen.topLeft() + QPoint((screen.width() - size.width()) / 2,
                                                (screen.height() - size.height()) / 2),
                      size));
    showMaximized();
}

void CMainFrame::SaveLayout() const {
    QSettings settings;
    settings.setValue(kGeometryKey, saveGeometry());
    settings.setValue(kStateKey, saveState());
}

void CMainFrame::UpdateCommandUI() {
    if (m_pBeyondNotice)
        m_pBeyondNotice->setVisible(m_pView->GetCanvasWidget()->GetCanvas().IsBeyondPage());
    for (int id : {ID_MODE_SELECT, ID_MODE_ZOOM, ID_VIEW_SHOW_GRID, ID_SNAP_KEY_POINTS,
                   ID_SNAP_GRID, ID_SNAP_INTERSECTIONS})
        m_actions.value(id)->setChecked(m_pView->IsChecked(id));
    // The active tool, one at a time.
    for (const CCommandInfo& c : GetCommandTable())
        if (IsToolCommand(c.nId))
            m_actions.value(c.nId)->setChecked(m_pView->IsChecked(c.nId));
    // A bar counts as shown unless it was hidden: the window itself may not be shown yet.
    if (m_pMainToolBar)
        m_actions.value(ID_VIEW_MAIN_TOOLBAR)->setChecked(!m_pMainToolBar->isHidden());
    if (m_pAdditionalToolBar)
        m_actions.value(ID_VIEW_ADDITIONAL_TOOLBAR)->setChecked(!m_pAdditionalToolBar->isHidden());
    m_actions.value(ID_VIEW_STATUS_BAR)->setChecked(!statusBar()->isHidden());
    if (m_pPreviewDock)
        m_actions.value(ID_VIEW_TYPESET_PREVIEW)->setChecked(!m_pPreviewDock->isHidden());
    if (m_pStyleDock)
        m_actions.value(ID_VIEW_STYLE)->setChecked(!m_pStyleDock->isHidden());
    UpdateEditCommands();
}

void CMainFrame::UpdateEditCommands() {
    const CQuodra& canvas = m_pView->GetCanvas();
    const auto named = [](const char* verb, const std::string& step, const char* keys) {
        return QString(verb) + (step.empty() ? "" : " " + QString::fromStdString(step)) + "\t" +
               keys;
    };
    m_actions.value(ID_EDIT_UNDO)->setText(named("&Undo", canvas.GetUndoName(), "Ctrl+Z"));
    m_actions.value(ID_EDIT_REDO)->setText(named("&Redo", canvas.GetRedoName(), "Ctrl+Y"));
    for (int id : {ID_EDIT_UNDO, ID_EDIT_REDO, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE,
                   ID_EDIT_SELECT_ALL, ID_EDIT_COPY_STYLE, ID_EDIT_PASTE_STYLE})
        m_actions.value(id)->setEnabled(m_pView->IsEnabled(id));
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!m_pView->SaveModified()) {
        event->ignore();
        return;
    }
    m_pRecentFiles->Save();
    SaveLayout();
    event->accept();
}
