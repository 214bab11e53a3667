// The main window as started: title, maximised, check marks, menus and toolbars in order, the
// disabled entries, the bar commands, the status bar and the recent-file list.
#include "AppFixture.h"

#include "app/Commands.h"
#include "app/LockIndicators.h"
#include "app/RecentFileList.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

namespace {

// A menu or tool bar as text: entries joined by '|', separators as "-", submenus in brackets.
std::string Describe(const QList<QAction*>& actions) {
    std::string out;
    for (QAction* a : actions) {
        if (!out.empty())
            out += "|";
        if (a->isSeparator())
            out += "-";
        else if (a->menu())
            out += a->text().toStdString() + "[" + Describe(a->menu()->actions()) + "]";
        else
            out += a->text().toStdString();
    }
    return out;
}

} // namespace

TEST_F(CAppTest, StartsMaximisedInSelectModeWithTheStartCheckMarks) {
    EXPECT_TRUE(m_frame->isMaximized());
    EXPECT_EQ(ShownTitle(), "Untitled - quodra_dv");
    EXPECT_EQ(Canvas().GetMode(), kModeSelect);
    struct {
        int id;
        bool checked;
    } marks[] = {{ID_MODE_SELECT, true},       {ID_MODE_ZOOM, false},
                 {ID_VIEW_SHOW_GRID, true},    {ID_SNAP_KEY_POINTS, true},
                 {ID_SNAP_GRID, true},         {ID_SNAP_INTERSECTIONS, false},
                 {ID_VIEW_MAIN_TOOLBAR, true}, {ID_VIEW_ADDITIONAL_TOOLBAR, true},
                 {ID_VIEW_STATUS_BAR, true}};
    for (const auto& m : marks)
        EXPECT_EQ(Action(m.id)->isChecked(), m.checked) << m.id;
    EXPECT_EQ(Canvas().m_bSnapKeyPoints, true);
    EXPECT_EQ(Canvas().m_bSnapGrid, true);
    EXPECT_EQ(Canvas().m_bSnapIntersections, false);
    // 30 grid lines and the start-up picture.
    EXPECT_EQ(Canvas().GetFigures().GetCount(), 31);
    EXPECT_EQ(Canvas().IsModified(), false);
}

TEST_F(CAppTest, MenusHaveTheirEntriesInOrder) {
    const std::string expected[] = {
        "&File[&Open...\tCtrl+O|&Save\tCtrl+S|Save As|Save As TeXDraw file|&Export...|Drawing "
        "&Properties...|-|"
        "Recent "
        "File|-|"
        "E&xit]",
        "&Edit[&Undo\tCtrl+Z|&Redo\tCtrl+Y|-|Cu&t\tCtrl+X|&Copy\tCtrl+C|&Paste\tCtrl+V|"
        "Copy St&yle\tCtrl+Shift+C|Paste Sty&le\tCtrl+Shift+V|Delete\tDel|Duplicate|-|Select "
        "&All\tCtrl+A]",
        "Draw[Draw line|Draw dotted line|Draw rectangle|Draw rhomb|Draw elllipse|Draw Bezier|"
        "Draw one-sided arrow|-|Draw circle|Draw ellipse from its centre|Draw arc|Draw polyline "
        "or polygon|Draw path|Draw label|-|Test mode[Rotate rectangle|Rotate ellipse|-|Change text|"
        "QuodraRectangle]]",
        "Mode[Select Figures|Zoom mode]",
        "Snap[Snap to key points|Snap to grid|Snap to line intersection]",
        "&View[Actual Size|Fit Page|Fit Width|Fit Height|Zoom &In|Zoom &Out|-|ShowGrid|-|"
        "Typeset Preview\tF5|LaTeX Preamble...|St&yle|-|Main toolbar|Additional toolbar|-|&Status "
        "Bar]",
        "&Help[&About quodra_dv...|Using Drawings in LaTeX...]",
    };
    const QList<QAction*> menus = m_frame->menuBar()->actions();
    ASSERT_EQ(menus.size(), 7);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(menus[i]->text().toStdString() + "[" + Describe(menus[i]->menu()->actions()) +
                      "]",
                  expected[i]);
}

TEST_F(CAppTest, ToolbarsHoldTheirButtonsPromptsAndImages) {
    EXPECT_EQ(m_frame->GetMainToolBar()->windowTitle().toStdString(), " Main toolbar");
    EXPECT_EQ(m_frame->GetAdditionalToolBar()->windowTitle().toStdString(), " Additional toolbar");
    EXPECT_EQ(m_frame->toolBarArea(m_frame->GetMainToolBar()), Qt::TopToolBarArea);
    EXPECT_EQ(m_frame->toolBarArea(m_frame->GetAdditionalToolBar()), Qt::RightToolBarArea);
    EXPECT_EQ(Describe(m_frame->GetMainToolBar()->actions()),
              "Save As TeXDraw file|-|&Undo\tCtrl+Z|&Redo\tCtrl+Y|-|Duplicate|-|Snap to key "
              "points|Snap to grid|Snap to line "
              "intersection|-|ShowGrid|-|Actual Size|Fit Page|Fit Width|Fit Height|-|Typeset "
              "Preview\tF5|-|&About quodra_dv...");
    EXPECT_EQ(Describe(m_frame->GetAdditionalToolBar()->actions()),
              "Select Figures|Zoom mode|-|Draw line|Draw rectangle|Draw elllipse|Draw rhomb|Draw "
              "Bezier|-|Draw one-sided arrow|Draw dotted line|-|Draw circle|Draw ellipse from its "
              "centre|Draw arc|Draw polyline or polygon|Draw path|Draw label");
    for (QToolBar* bar : {m_frame->GetMainToolBar(), m_frame->GetAdditionalToolBar()}) {
        EXPECT_TRUE(bar->isMovable());
        EXPECT_EQ(bar->allowedAreas(), Qt::AllToolBarAreas);
        for (QAction* a : bar->actions()) {
            if (a->isSeparator())
                continue;
            EXPECT_FALSE(a->icon().isNull()) << a->text().toStdString();
            EXPECT_FALSE(a->statusTip().isEmpty()) << a->text().toStdString();
            EXPECT_EQ(a->toolTip(), a->statusTip());
        }
    }
    struct {
        int id;
        const char* prompt;
    } prompts[] = {{ID_DRAW_ELLIPSE, "Draw ellipse (E): drag across the box it fills"},
                   {ID_DRAW_BEZIER, "Draw bezier (B): drag from its start to its end, then move "
                                    "its control points"},
                   {ID_MODE_ZOOM, "Manual zoom (Z)"},
                   {ID_DRAW_POLYLINE, "Draw polyline (P): click each corner; double-click or "
                                      "press Enter to finish, click the first corner to close it"},
                   {ID_SNAP_INTERSECTIONS, "Snap to intersection"},
                   {ID_VIEW_SHOW_GRID, "Show/hide grid"},
                   {ID_FILE_SAVE_TEXDRAW, "Save as texdraw file"},
                   {ID_EDIT_CUT, "Cut the selection and put it on the Clipboard"}};
    for (const auto& p : prompts)
        EXPECT_EQ(Action(p.id)->statusTip().toStdString(), p.prompt);
}

TEST_F(CAppTest, CommandsWithoutHandlerAreDisabledAndShortcutsSet) {
    // Nothing to undo, nothing selected and an empty clipboard at the start.
    for (int id : {ID_FILE_SAVE_AS, ID_EDIT_UNDO, ID_EDIT_REDO, ID_EDIT_CUT, ID_EDIT_COPY,
                   ID_EDIT_PASTE, ID_FILE_MRU_FILE1})
        EXPECT_FALSE(Action(id)->isEnabled()) << id;
    for (int id : {ID_FILE_SAVE_TEXDRAW, ID_EDIT_DELETE, ID_EDIT_DUPLICATE, ID_DRAW_LINE,
                   ID_TEST_CHANGE_TEXT, ID_VIEW_FIT_PAGE, ID_APP_EXIT, ID_APP_ABOUT})
        EXPECT_TRUE(Action(id)->isEnabled()) << id;
    struct {
        int id;
        const char* keys;
    } shortcuts[] = {{ID_FILE_NEW, "Ctrl+N"},
                     {ID_FILE_SAVE, "Ctrl+S"},
                     {ID_FILE_PRINT, "Ctrl+P"},
                     {ID_FILE_OPEN, "Ctrl+O"},
                     {ID_EDIT_CUT, "Ctrl+X, Shift+Del"},
                     {ID_EDIT_UNDO, "Ctrl+Z, Alt+Backspace"},
                     {ID_EDIT_COPY, "Ctrl+C, Ctrl+Ins"},
                     {ID_EDIT_PASTE, "Ctrl+V, Shift+Ins"}};
    for (const auto& s : shortcuts) {
        QStringList keys;
        for (const QKeySequence& k : Action(s.id)->shortcuts())
            keys << k.toString();
        EXPECT_EQ(keys.join(", ").toStdString(), s.keys);
    }
}

TEST_F(CAppTest, ToolbarCommandsHideAndShowWithCheckMarks) {
    struct {
        int id;
        QToolBar* bar;
    } bars[] = {{ID_VIEW_MAIN_TOOLBAR, m_frame->GetMainToolBar()},
                {ID_VIEW_ADDITIONAL_TOOLBAR, m_frame->GetAdditionalToolBar()}};
    for (const auto& b : bars) {
        Trigger(b.id);
        EXPECT_FALSE(b.bar->isVisible());
        EXPECT_FALSE(Action(b.id)->isChecked());
        Trigger(b.id);
        EXPECT_TRUE(b.bar->isVisible());
        EXPECT_TRUE(Action(b.id)->isChecked());
        // Closed another way (its context menu), the bar's check mark follows too.
        b.bar->hide();
        EXPECT_FALSE(Action(b.id)->isChecked());
        b.bar->show();
        EXPECT_TRUE(Action(b.id)->isChecked());
    }
    Trigger(ID_VIEW_STATUS_BAR);
    EXPECT_FALSE(m_frame->statusBar()->isVisible());
    EXPECT_FALSE(Action(ID_VIEW_STATUS_BAR)->isChecked());
    Trigger(ID_VIEW_STATUS_BAR);
    EXPECT_TRUE(m_frame->statusBar()->isVisible());
}

TEST_F(CAppTest, StatusBarShowsPromptsThenReadyAndLockPanes) {
    QLabel* ready = m_frame->GetMessagePane();
    EXPECT_EQ(ready->text().toStdString(), "Ready");
    EXPECT_TRUE(ready->isVisible());
    Action(ID_VIEW_FIT_WIDTH)->showStatusText(m_frame);
    EXPECT_EQ(m_frame->statusBar()->currentMessage().toStdString(), "Fit width");
    EXPECT_FALSE(ready->isVisible());
    m_frame->statusBar()->clearMessage();
    EXPECT_TRUE(ready->isVisible());

    CLockIndicators* locks = m_frame->GetLockIndicators();
    EXPECT_EQ(locks->GetCapsPane()->text().toStdString(), "CAP");
    EXPECT_EQ(locks->GetNumPane()->text().toStdString(), "NUM");
    EXPECT_EQ(locks->GetScrollPane()->text().toStdString(), "SCRL");
    // The offscreen platform cannot tell the locks' state: all three show off.
    EXPECT_FALSE(QueryLockState().has_value());
    EXPECT_FALSE(locks->GetCapsPane()->isEnabled());
    locks->Show({true, false, true});
    EXPECT_EQ(locks->GetCapsPane()->isEnabled(), true);
    EXPECT_EQ(locks->GetNumPane()->isEnabled(), false);
    EXPECT_EQ(locks->GetScrollPane()->isEnabled(), true);
}

TEST_F(CAppTest, RecentFileListKeepsFourNewestFirst) {
    CRecentFileList* recent = m_frame->GetRecentFileList();
    QAction* placeholder = Action(ID_FILE_MRU_FILE1);
    EXPECT_TRUE(placeholder->isVisible());
    for (const char* name :
         {"/gone/a.txt", "/gone/b.txt", "/gone/c.txt", "/gone/d.txt", "/gone/e.txt", "/gone/c.txt"})
        recent->Add(name);
    EXPECT_EQ(recent->GetFiles().join(",").toStdString(),
              "/gone/c.txt,/gone/e.txt,/gone/d.txt,/gone/b.txt");
    EXPECT_FALSE(placeholder->isVisible());
    const QList<QAction*> file = m_frame->menuBar()->actions()[0]->menu()->actions();
    EXPECT_EQ(
        Describe(file),
        "&Open...\tCtrl+O|&Save\tCtrl+S|Save As|Save As TeXDraw file|&Export...|"
        "Drawing &Properties...|-|Recent File|&1 /gone/c.txt|&2 /gone/e.txt|&3 /gone/d.txt|&4 "
        "/gone/b.txt|-|E&xit");
    // Kept in the settings for the next start.
    CRecentFileList reloaded;
    reloaded.Load();
    EXPECT_EQ(reloaded.GetFiles(), recent->GetFiles());
    recent->Remove("/gone/e.txt");
    EXPECT_EQ(recent->GetFiles().join(",").toStdString(), "/gone/c.txt,/gone/d.txt,/gone/b.txt");
    QString chosen;
    QObject::connect(recent, &CRecentFileList::FileChosen,
                     [&chosen](const QString& p) { chosen = p; });
    // The entry tries to open a file that does not exist: the user is told, the entry goes.
    QStringList errors;
    m_view->m_fnShowError = [&errors](const QString& text) { errors << text; };
    m_frame->menuBar()->actions()[0]->menu()->actions().value(8)->trigger();
    EXPECT_EQ(chosen.toStdString(), "/gone/c.txt");
    EXPECT_EQ(errors.size(), 1);
    EXPECT_EQ(recent->GetFiles().join(",").toStdString(), "/gone/d.txt,/gone/b.txt");
}
