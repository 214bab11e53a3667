// What a desktop user looks for: the zoom keys and Ctrl+wheel, the status bar's position, size and
// zoom, the changed-drawing mark in the title, the canvas's context menu, the window layout kept
// between runs, the command line and the start-up picture found from any folder.
#include "AppFixture.h"

#include "app/CanvasContextMenu.h"
#include "app/CommandLine.h"
#include "app/Commands.h"
#include "app/QtSurface.h"
#include "app/StartupPicture.h"
#include "app/StatusPanes.h"
#include "figures/Rectangle.h"
#include "figures/TextFigures.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolBar>
#include <QWheelEvent>

#include <cmath>

namespace {

std::string Text(const QLabel* label) {
    return label->text().toStdString();
}

} // namespace

TEST_F(CAppTest, ZoomKeysWheelAndStatusBar) {
    const CStatusPanes& panes = *m_frame->GetStatusPanes();
    EXPECT_EQ(Text(panes.GetZoomPane()), "100%");
    // Ctrl+= and Ctrl++ zoom in as keypad plus does, Ctrl+- out as keypad minus, Ctrl+0 back.
    QTest::keyClick(Viewport(), Qt::Key_Plus, Qt::KeypadModifier);
    const double keypadIn = Canvas().GetZoom();
    ASSERT_GT(keypadIn, 1.5);
    for (const auto& [key, mods] : {std::pair{Qt::Key_Equal, Qt::ControlModifier},
                                    std::pair{Qt::Key_Plus, Qt::ControlModifier}}) {
        QTest::keyClick(Viewport(), Qt::Key_0, Qt::ControlModifier);
        EXPECT_EQ(Canvas().GetZoom(), 1.0);
        QTest::keyClick(Viewport(), key, mods);
        EXPECT_EQ(Canvas().GetZoom(), keypadIn) << key;
    }
    EXPECT_EQ(Text(panes.GetZoomPane()), std::to_string(std::lround(keypadIn * 100)) + "%");
    QTest::keyClick(Viewport(), Qt::Key_Minus, Qt::ControlModifier);
    const double out = Canvas().GetZoom();
    EXPECT_LT(out, keypadIn);
    // The View menu's entries do the same.
    QTest::keyClick(Viewport(), Qt::Key_0, Qt::ControlModifier);
    Trigger(ID_VIEW_ZOOM_IN);
    EXPECT_EQ(Canvas().GetZoom(), keypadIn);
    Trigger(ID_VIEW_ZOOM_OUT);
    EXPECT_EQ(Canvas().GetZoom(), out);

    // Ctrl+wheel keeps the page point under the pointer (the page is larger than the window).
    Trigger(ID_VIEW_ZOOM_IN);
    Trigger(ID_VIEW_ZOOM_IN);
    const QPoint at(Viewport()->width() / 3, Viewport()->height() / 2);
    const auto unitsAt = [this](QPoint p) {
        const CPoint page = Canvas().AreaToPage(Canvas().ClientToArea({p.x(), p.y()}));
        return std::pair{page.x / Canvas().GetZoom(), page.y / Canvas().GetZoom()};
    };
    const auto before = unitsAt(at);
    const double zoom = Canvas().GetZoom();
    QWheelEvent wheel(at, Viewport()->mapToGlobal(at), {}, {0, -120}, Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Viewport(), &wheel);
    EXPECT_NEAR(Canvas().GetZoom(), zoom / std::sqrt(2.0), 1e-9);
    const auto after = unitsAt(at);
    EXPECT_NEAR(after.first, before.first, 2.0 / zoom);
    EXPECT_NEAR(after.second, before.second, 2.0 / zoom);

    // The pointer's page point, from the page's top-left corner; during a drag the size drawn.
    QTest::keyClick(Viewport(), Qt::Key_0, Qt::ControlModifier);
    QTest::mouseMove(Viewport(), ClientOf({240, 120}));
    EXPECT_EQ(Text(panes.GetPositionPane()), "240, 120");
    EXPECT_EQ(Text(panes.GetSizePane()), "");
    Trigger(ID_DRAW_RECTANGLE);
    const QPoint from = ClientOf({102, 104});
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(Viewport(), from + QPoint(60, 30));
    QTest::mouseMove(Viewport(), from + QPoint(153, 102));
    EXPECT_EQ(Text(panes.GetSizePane()), "153 \u00d7 102");
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, from + QPoint(153, 102));
    EXPECT_EQ(Text(panes.GetSizePane()), "");
    // Moving the new figure shows its size as well.
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, from + QPoint(70, 0));
    QTest::mouseMove(Viewport(), from + QPoint(80, 5));
    EXPECT_EQ(Text(panes.GetSizePane()), "153 \u00d7 102");
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, from + QPoint(80, 5));
}

TEST_F(CAppTest, TitleMarksAChangedDrawing) {
    EXPECT_EQ(ShownTitle(), "Untitled - quodra_dv");
    EXPECT_FALSE(m_frame->isWindowModified());
    Trigger(ID_DRAW_LINE);
    Drag(ClientOf({100, 100}), ClientOf({300, 200}));
    EXPECT_EQ(ShownTitle(), "Untitled* - quodra_dv");
    QTemporaryDir dir;
    m_view->m_fnGetSavePath = [&dir] { return dir.filePath("drawing"); };
    QTest::keyClick(Viewport(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ShownTitle(), "drawing.txt - quodra_dv");
    QTest::keyClick(Viewport(), Qt::Key_Left);
    EXPECT_EQ(ShownTitle(), "drawing.txt* - quodra_dv");
}

// Entries 0 Cut, 1 Copy, 2 Paste, 4 Duplicate, 5 Delete, 7 Change text; the Edit menu's Cut, Copy
// and Paste decide whether theirs can be used at all.
TEST_F(CAppTest, ContextMenuActsOnTheFigureUnderThePointer) {
    // On grid points, where snapping leaves them.
    Trigger(ID_DRAW_LINE);
    Drag(ClientOf({104, 308}), ClientOf({308, 308}));
    Trigger(ID_DRAW_RECTANGLE);
    Drag(ClientOf({410, 104}), ClientOf({563, 206}));
    ASSERT_TRUE(Canvas().GetFigures().GetLast()->m_bSelected);
    const auto enabled = [](const QMenu& menu) {
        std::string out;
        for (QAction* a : menu.actions())
            out += a->isSeparator() ? '-' : a->isEnabled() ? '1' : '0';
        return out;
    };
    const auto edit = [this](int id) { return Action(id)->isEnabled() ? '1' : '0'; };

    // On the line: it becomes the selection; no text to change.
    auto menu = MakeCanvasContextMenu(*m_frame, ClientOf({206, 308}));
    const CFigure* line = Canvas().GetFigures().GetFirstSelected();
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->m_strType, "Line");
    EXPECT_FALSE(Canvas().GetFigures().GetLast()->m_bSelected);
    const std::string clipboard{edit(ID_EDIT_CUT), edit(ID_EDIT_COPY), edit(ID_EDIT_PASTE)};
    EXPECT_EQ(enabled(*menu), clipboard + "-11-0");
    const int count = Canvas().GetFigures().GetCount();
    menu->actions()[4]->trigger(); // Duplicate
    EXPECT_EQ(Canvas().GetFigures().GetCount(), count + 1);
    QSignalSpy cut(Action(ID_EDIT_CUT), &QAction::triggered);
    menu->actions()[0]->trigger();
    EXPECT_EQ(cut.count(), 1);

    // On the rectangle's edge: its text is changed through the dialog that shows the current one.
    std::string shown;
    m_widget->m_fnPropertiesDialog = [&shown](const std::string& text, bool) {
        shown = text;
        return std::optional<std::string>("Changed");
    };
    CFigure* rect = Canvas().GetDrawing().EditFigures().GetAt(Canvas().GetFigures().GetCount() - 1);
    ASSERT_EQ(rect->m_strType, "TextRectangle");
    *GetFigureText(*rect) = "Before";
    menu = MakeCanvasContextMenu(*m_frame, ClientOf({410, 150}));
    EXPECT_TRUE(rect->m_bSelected);
    EXPECT_EQ(enabled(*menu).substr(3), "-11-1");
    menu->actions()[7]->trigger();
    EXPECT_EQ(shown, "Before");
    EXPECT_EQ(*GetFigureText(*rect), "Changed");
    const int before = Canvas().GetFigures().GetCount();
    menu->actions()[5]->trigger(); // Delete
    EXPECT_EQ(Canvas().GetFigures().GetCount(), before - 1);
    EXPECT_EQ(Canvas().GetFigures().GetLast()->m_strType == "TextRectangle", false);

    // On the empty page: only Paste, where the Edit menu allows it.
    menu = MakeCanvasContextMenu(*m_frame, ClientOf({600, 600}));
    EXPECT_EQ(enabled(*menu), std::string("00") + edit(ID_EDIT_PASTE) + "-00-0");
}

TEST_F(CAppTest, WindowLayoutIsKeptBetweenRuns) {
    // The first start is maximised over a restored size of two thirds of the screen.
    EXPECT_TRUE(m_frame->isMaximized());
    const QSize screen = m_frame->screen()->availableGeometry().size();
    EXPECT_EQ(m_frame->normalGeometry().size(), screen * 2 / 3);
    m_frame->showNormal();
    m_frame->resize(640, 480);
    Trigger(ID_VIEW_MAIN_TOOLBAR);
    m_frame->addToolBar(Qt::LeftToolBarArea, m_frame->GetAdditionalToolBar());
    ASSERT_TRUE(m_frame->close());

    m_app = std::make_unique<Cquodra_dvApp>();
    ASSERT_TRUE(m_app->InitInstance());
    m_frame = m_app->GetMainFrame();
    m_view = m_frame->GetView();
    EXPECT_FALSE(m_frame->isMaximized());
    EXPECT_EQ(m_frame->size(), QSize(640, 480));
    EXPECT_TRUE(m_frame->GetMainToolBar()->isHidden());
    EXPECT_FALSE(Action(ID_VIEW_MAIN_TOOLBAR)->isChecked());
    EXPECT_EQ(m_frame->toolBarArea(m_frame->GetAdditionalToolBar()), Qt::LeftToolBarArea);
}

TEST(CommandLine, HelpVersionAndTheFileToOpen) {
    CCommandLine help = ParseCommandLine({"/usr/bin/quodra", "--help"});
    EXPECT_TRUE(help.bExit);
    EXPECT_EQ(help.nExitCode, 0);
    EXPECT_TRUE(help.strOutput.startsWith("Usage: quodra [options] [file]\n"))
        << help.strOutput.toStdString();
    for (const char* word : {"--version", "--help", "TeXDraw"})
        EXPECT_TRUE(help.strOutput.contains(word)) << word;

    const CCommandLine version = ParseCommandLine({"quodra", "--version"});
    EXPECT_TRUE(version.bExit);
    EXPECT_EQ(version.strOutput, "quodra " + GetQuodraVersion() + "\n");
    EXPECT_FALSE(GetQuodraVersion().isEmpty());

    const CCommandLine bad = ParseCommandLine({"quodra", "--frobnicate"});
    EXPECT_TRUE(bad.bExit);
    EXPECT_NE(bad.nExitCode, 0);
    EXPECT_TRUE(bad.strError.contains("frobnicate")) << bad.strError.toStdString();

    const CCommandLine two = ParseCommandLine({"quodra", "a.txt", "b.txt"});
    EXPECT_FALSE(two.bExit);
    EXPECT_EQ(two.strFile, "a.txt");
    EXPECT_TRUE(two.strError.contains("b.txt"));
    EXPECT_EQ(ParseCommandLine({"quodra"}).strFile, "");
    EXPECT_EQ(ParseCommandLine({"quodra", "--", "-odd name.txt"}).strFile, "-odd name.txt");
}

TEST(StartupPicture, FoundWhereverTheProgramStarts) {
    QTemporaryDir dir;
    const QDir root(dir.path());
    for (const char* folder : {"cwd", "elsewhere", "prefix/bin", "prefix/share/quodra", "bin/res"})
        ASSERT_TRUE(root.mkpath(folder));
    const auto put = [&root](const QString& file) {
        ASSERT_TRUE(QFile::copy(":/res/hny.gif", root.filePath(file)));
    };
    put("prefix/share/quodra/hny.gif");
    const QString cwd = root.filePath("cwd");
    const QString installed = root.filePath("prefix/share/quodra/hny.gif");
    // Installed: the data folder beside the executable's bin folder.
    EXPECT_EQ(FindStartupPicture(cwd, GetStartupPictureCandidates(root.filePath("prefix/bin"))),
              installed);
    // Built: res/ beside the executable comes first.
    put("bin/res/hny.gif");
    EXPECT_EQ(FindStartupPicture(cwd, GetStartupPictureCandidates(root.filePath("bin")) +
                                          QStringList{installed}),
              root.filePath("bin/res/hny.gif"));
    // Nowhere on disk: the copy built into the program, which draws.
    const QString builtIn =
        FindStartupPicture(cwd, GetStartupPictureCandidates(root.filePath("elsewhere")));
    EXPECT_EQ(builtIn, ":/res/hny.gif");
    CPictureFigure picture;
    picture.m_strImagePath = builtIn.toStdString();
    picture.SetPoints(7, 4, 49, 49, 1.0);
    QImage image(60, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        CQtSurface surface(painter);
        picture.Draw(surface, 1.0, 0, 0);
    }
    EXPECT_NE(image.pixel(20, 20), qRgb(255, 255, 255));
    // Started in a folder that has res/hny.gif: the relative path, as always.
    ASSERT_TRUE(root.mkpath("cwd/res"));
    put("cwd/res/hny.gif");
    EXPECT_EQ(FindStartupPicture(cwd, {installed}), "res/hny.gif");
}
