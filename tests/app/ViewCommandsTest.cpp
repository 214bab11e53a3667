// The view's commands driven through the window's actions and real mouse and key events:
// drawing tools, modes, grid, zoom, editing, saving, new drawing, closing and printing.
#include "AppFixture.h"

#include "app/CanvasContextMenu.h"
#include "app/Commands.h"
#include "app/QuodraDoc.h"
#include "figures/Polyline.h"
#include "figures/TextFigures.h"
#include "texdraw/Document.h"

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPrinter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <algorithm>
#include <map>

class CViewTest : public CAppTest {
protected:
    void SetUp() override {
        CAppTest::SetUp();
        ASSERT_TRUE(m_dir.isValid());
        m_view->m_fnShowError = [this](const QString& text) { m_errors << text; };
        m_view->m_fnAskSaveChanges = [this](const QString& q) {
            m_questions << q;
            return m_answer;
        };
    }

    // Turns grid and key-point snapping off, so that figures end exactly where the mouse was.
    void SnapOff() {
        Trigger(ID_SNAP_KEY_POINTS);
        Trigger(ID_SNAP_GRID);
        ASSERT_FALSE(Canvas().m_bSnapKeyPoints);
        ASSERT_FALSE(Canvas().m_bSnapGrid);
    }

    QTemporaryDir m_dir;
    QStringList m_errors;
    QStringList m_questions;
    QMessageBox::StandardButton m_answer = QMessageBox::Cancel;
};

TEST_F(CViewTest, ToolThenDragCreatesFigureAndClearsModeMarks) {
    struct {
        int id;
        const char* type;
        int penStyle;
    } tools[] = {{ID_DRAW_LINE, "Line", 0},
                 {ID_DRAW_DOTTED_LINE, "Line", 2},
                 {ID_DRAW_RECTANGLE, "TextRectangle", 0},
                 {ID_DRAW_RHOMB, "TextRhomb", 0},
                 {ID_DRAW_ELLIPSE, "TextEllipse", 0},
                 {ID_DRAW_BEZIER, "BezierCurve", 0},
                 {ID_DRAW_ARROW, "Arrow", 0}};
    int n = CountUserFigures();
    int y = 100;
    for (const auto& t : tools) {
        SCOPED_TRACE(t.type);
        Trigger(t.id);
        EXPECT_EQ(Canvas().GetMode(), kModeDraw);
        EXPECT_FALSE(Action(ID_MODE_SELECT)->isChecked());
        EXPECT_FALSE(Action(ID_MODE_ZOOM)->isChecked());
        EXPECT_TRUE(Action(t.id)->isChecked());
        Drag(ClientOf({100, y}), ClientOf({200, y + 40}));
        ASSERT_EQ(CountUserFigures(), ++n);
        const CFigure* f = Canvas().GetFigures().GetLast();
        EXPECT_EQ(f->m_strType, t.type);
        EXPECT_EQ(f->m_nPenStyle, t.penStyle);
        EXPECT_TRUE(f->m_bSelected);
        // The canvas is back in select mode, and its check mark shows it.
        EXPECT_EQ(Canvas().GetMode(), kModeSelect);
        EXPECT_TRUE(Action(ID_MODE_SELECT)->isChecked());
        EXPECT_FALSE(Action(t.id)->isChecked());
        EXPECT_FALSE(Action(ID_MODE_ZOOM)->isChecked());
        y += 60;
    }
    EXPECT_TRUE(Canvas().IsModified());
    Trigger(ID_MODE_SELECT);
    EXPECT_TRUE(Action(ID_MODE_SELECT)->isChecked());
}

// A tool's letter on the canvas chooses it as its button does (one tool checked at a time); in the
// middle of a polyline's corners the letters wait, and Enter finishes it.
// K is the path tool: a click is a corner, a real drag from a node makes it smooth; the canvas's
// context menu turns the piece under the pointer straight.
TEST_F(CViewTest, PathToolAndItsPieceCommands) {
    SnapOff();
    m_widget->setFocus();
    QTest::keyClick(m_widget, Qt::Key_K);
    EXPECT_TRUE(Action(ID_DRAW_PATH)->isChecked());
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, ClientOf({300, 300}));
    QTest::mouseMove(Viewport(), ClientOf({400, 300}));
    Drag(ClientOf({400, 300}), ClientOf({440, 300}));
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, ClientOf({400, 400}));
    QTest::keyClick(m_widget, Qt::Key_Return);
    auto* path = dynamic_cast<const CPolyline*>(Canvas().GetFigures().GetLast());
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(path->m_strType, "Path");
    ASSERT_TRUE(path->IsCurved(0) && path->IsCurved(1));
    EXPECT_EQ(path->GetControl(1, 1), (CDoublePoint{400, 400}));

    auto menu = MakeCanvasContextMenu(*m_frame, ClientOf({350, 300}));
    std::map<std::string, QAction*> entries;
    for (QAction* a : menu->actions())
        entries[a->text().toStdString()] = a;
    ASSERT_TRUE(entries.count("Make Piece Strai&ght") && entries.count("Make Piece Cur&ved"));
    EXPECT_FALSE(entries["Make Piece Cur&ved"]->isEnabled());
    ASSERT_TRUE(entries["Make Piece Strai&ght"]->isEnabled());
    entries["Make Piece Strai&ght"]->trigger();
    EXPECT_FALSE(path->IsCurved(0));
    EXPECT_EQ(Canvas().GetUndoName(), "Make Piece Straight");
}

TEST_F(CViewTest, ToolKeysChooseToolsOutsideGestures) {
    SnapOff();
    m_widget->setFocus();
    const int n = CountUserFigures();
    QTest::keyClick(m_widget, Qt::Key_C);
    EXPECT_TRUE(Action(ID_DRAW_CIRCLE)->isChecked());
    EXPECT_FALSE(Action(ID_MODE_SELECT)->isChecked());
    EXPECT_EQ(Action(ID_DRAW_CIRCLE)->toolTip().toStdString(),
              "Draw circle (C): drag from the centre out to the radius");
    Drag(ClientOf({200, 200}), ClientOf({240, 230}));
    ASSERT_EQ(CountUserFigures(), n + 1);
    EXPECT_EQ(Canvas().GetFigures().GetLast()->m_strType, "Circle");
    EXPECT_TRUE(Action(ID_MODE_SELECT)->isChecked());
    EXPECT_FALSE(Action(ID_DRAW_CIRCLE)->isChecked());

    QTest::keyClick(m_widget, Qt::Key_P);
    EXPECT_TRUE(Action(ID_DRAW_POLYLINE)->isChecked());
    for (CPoint p : {CPoint{300, 300}, CPoint{400, 320}, CPoint{420, 420}})
        QTest::mouseClick(Viewport(), Qt::LeftButton, {}, ClientOf(p));
    QTest::keyClick(m_widget, Qt::Key_L); // not while the corners are being placed
    EXPECT_TRUE(Action(ID_DRAW_POLYLINE)->isChecked());
    QTest::keyClick(m_widget, Qt::Key_Return);
    ASSERT_EQ(CountUserFigures(), n + 2);
    EXPECT_EQ(Canvas().GetFigures().GetLast()->m_strType, "Polyline");
    EXPECT_TRUE(Action(ID_MODE_SELECT)->isChecked());
    // With a modifier a letter is no tool key.
    QTest::keyClick(m_widget, Qt::Key_L, Qt::ControlModifier);
    EXPECT_TRUE(Action(ID_MODE_SELECT)->isChecked());
    QTest::keyClick(m_widget, Qt::Key_L);
    EXPECT_TRUE(Action(ID_DRAW_LINE)->isChecked());
    QTest::keyClick(m_widget, Qt::Key_S);
    EXPECT_TRUE(Action(ID_MODE_SELECT)->isChecked());
    EXPECT_FALSE(Action(ID_DRAW_LINE)->isChecked());
}

TEST_F(CViewTest, ZoomModeAfterToolKeepsPrototypeAndNextDragZooms) {
    Trigger(ID_DRAW_RECTANGLE);
    Trigger(ID_MODE_ZOOM);
    EXPECT_TRUE(Action(ID_MODE_ZOOM)->isChecked());
    EXPECT_FALSE(Action(ID_MODE_SELECT)->isChecked());
    EXPECT_EQ(Canvas().GetMode(), kModeZoom);
    ASSERT_NE(Canvas().GetToolFigure(), nullptr);
    EXPECT_EQ(Canvas().GetToolFigure()->m_strType, "TextRectangle");
    const int figures = Canvas().GetFigures().GetCount();
    EXPECT_EQ(Canvas().GetZoom(), 1.0);
    Drag(ClientOf({100, 100}), ClientOf({200, 200}));
    EXPECT_GT(Canvas().GetZoom(), 1.0);
    EXPECT_EQ(Canvas().GetFigures().GetCount(), figures);
}

TEST_F(CViewTest, ShowGridTwiceRestoresTheGridAndLeavesSnapping) {
    auto visibleGridLines = [this] {
        int n = 0;
        const CFigureList& list = Canvas().GetFigures();
        for (int i = 0; i < list.GetCount(); ++i)
            n += !list.GetAt(i)->m_strTag.empty() && list.GetAt(i)->m_bVisible;
        return n;
    };
    EXPECT_EQ(visibleGridLines(), 30);
    Trigger(ID_VIEW_SHOW_GRID);
    EXPECT_EQ(visibleGridLines(), 0);
    EXPECT_FALSE(Action(ID_VIEW_SHOW_GRID)->isChecked());
    EXPECT_TRUE(Canvas().m_bSnapGrid);
    Trigger(ID_VIEW_SHOW_GRID);
    EXPECT_EQ(visibleGridLines(), 30);
    EXPECT_TRUE(Action(ID_VIEW_SHOW_GRID)->isChecked());
    EXPECT_TRUE(Canvas().m_bSnapGrid);
}

TEST_F(CViewTest, SnapCommandsToggleCanvasSwitchesAndCheckMarks) {
    struct {
        int id;
        bool CQuodra::*sw;
    } snaps[] = {{ID_SNAP_KEY_POINTS, &CQuodra::m_bSnapKeyPoints},
                 {ID_SNAP_GRID, &CQuodra::m_bSnapGrid},
                 {ID_SNAP_INTERSECTIONS, &CQuodra::m_bSnapIntersections}};
    for (const auto& s : snaps) {
        const bool before = Canvas().*s.sw;
        Trigger(s.id);
        EXPECT_EQ(Canvas().*s.sw, !before) << s.id;
        EXPECT_EQ(Action(s.id)->isChecked(), !before) << s.id;
        Trigger(s.id);
        EXPECT_EQ(Canvas().*s.sw, before) << s.id;
        EXPECT_EQ(Action(s.id)->isChecked(), before) << s.id;
    }
}

TEST_F(CViewTest, FitPageOnAWideWindowEndsWithTheFitHeightZoom) {
    m_frame->resize(1200, 700); // maximised on the offscreen screen: wider than the page
    QCoreApplication::processEvents();
    const CSize client = m_widget->GetClientSize();
    ASSERT_GT(client.cx * 801, client.cy * 681);
    Trigger(ID_VIEW_FIT_HEIGHT);
    const double fitHeight = Canvas().GetZoom();
    Trigger(ID_VIEW_FIT_WIDTH);
    const double fitWidth = Canvas().GetZoom();
    EXPECT_NE(fitWidth, fitHeight);
    Trigger(ID_VIEW_ACTUAL_SIZE);
    EXPECT_EQ(Canvas().GetZoom(), 1.0);
    Trigger(ID_VIEW_FIT_PAGE);
    EXPECT_EQ(Canvas().GetZoom(), fitHeight);
    // The whole page fits: neither scroll bar can move.
    EXPECT_FALSE(m_widget->verticalScrollBar()->isEnabled());
}

TEST_F(CViewTest, KeysReachTheCanvas) {
    SnapOff();
    Trigger(ID_DRAW_LINE);
    Drag(ClientOf({100, 100}), ClientOf({200, 150}));
    const CFigure* line = Canvas().GetFigures().GetLast();
    const CDoublePoint before = line->m_pt1;
    QTest::keyClick(m_widget, Qt::Key_Right);
    QTest::keyClick(m_widget, Qt::Key_Down);
    EXPECT_GT(line->m_pt1.x, before.x);
    EXPECT_GT(line->m_pt1.y, before.y);
    // Tab does not take the focus away from the canvas.
    QTest::keyClick(m_widget, Qt::Key_Tab);
    EXPECT_TRUE(m_widget->hasFocus());
    QTest::keyClick(m_widget, Qt::Key_Plus, Qt::KeypadModifier);
    const double zoomedIn = Canvas().GetZoom();
    EXPECT_NEAR(zoomedIn, 2.0, 0.01);
    QTest::keyClick(m_widget, Qt::Key_Plus); // the main keyboard's plus does not zoom
    EXPECT_EQ(Canvas().GetZoom(), zoomedIn);
    QTest::keyClick(m_widget, Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_NEAR(Canvas().GetZoom(), 1.0, 0.01);
    const int n = CountUserFigures();
    QTest::keyClick(m_widget, Qt::Key_Delete);
    EXPECT_EQ(CountUserFigures(), n - 1);
}

TEST_F(CViewTest, WheelScrollsLikeTheScrollBars) {
    Trigger(ID_VIEW_ACTUAL_SIZE);
    QScrollBar* v = m_widget->verticalScrollBar();
    QScrollBar* h = m_widget->horizontalScrollBar();
    Canvas().ZoomIn(); // larger than the window both ways
    ASSERT_TRUE(v->isEnabled());
    ASSERT_TRUE(h->isEnabled());
    const int v0 = v->value(), h0 = h->value();
    const QPoint at = Viewport()->rect().center();
    QWheelEvent down(at, Viewport()->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, {},
                     Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(Viewport(), &down);
    EXPECT_EQ(v->value(), v0 + CCanvasWidget::kWheelStep);
    EXPECT_EQ(h->value(), h0);
    QWheelEvent right(at, Viewport()->mapToGlobal(at), {}, {0, -120}, Qt::NoButton,
                      Qt::ShiftModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(Viewport(), &right);
    EXPECT_EQ(h->value(), h0 + CCanvasWidget::kWheelStep);
    // Wheel events that come faster than paintings are painted once, at the last position, and
    // what is kept equals a whole painting there.
    QCoreApplication::processEvents();
    QSignalSpy painted(m_widget, &CCanvasWidget::Painted);
    for (int i = 0; i < 5; ++i)
        QCoreApplication::postEvent(Viewport(), down.clone());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !painted.isEmpty(); }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(v->value(), v0 + 6 * CCanvasWidget::kWheelStep);
    EXPECT_EQ(painted.size(), 1);
    EXPECT_TRUE(m_widget->GetBackBuffer() == m_widget->PaintWhole());
    v->setValue(v0 + CCanvasWidget::kWheelStep);
    // A line step of the bar moves one pixel; the page step is the page size.
    EXPECT_EQ(v->singleStep(), 1);
    v->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(v->value(), v0 + CCanvasWidget::kWheelStep + 1);
    EXPECT_EQ(v->pageStep(), m_widget->GetScrollPage(EScrollBar::Vertical));
    v->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(v->value(), m_widget->GetScrollMax(EScrollBar::Vertical) -
                              m_widget->GetScrollPage(EScrollBar::Vertical) + 1);
}

TEST_F(CViewTest, SaveWritesTheDrawingAndAppendsTxt) {
    SnapOff();
    Trigger(ID_DRAW_LINE);
    const std::string before = Canvas().GetTeXDrawText();
    Drag(ClientOf({100, 100}), ClientOf({300, 200}));
    const std::string expected = MakeTeXDrawDocument(before + "\n%begin line\n\\move(1.00 -1.00)\n"
                                                              "\\lvec(3.00 -2.00)\n%end line\n");
    struct {
        const char* typed;
        const char* written;
    } names[] = {{"drawing", "drawing.txt"}, {"figure.tex", "figure.tex"}, {"x.txt", "x.txt"}};
    for (const auto& n : names) {
        m_view->m_fnGetSavePath = [&] { return m_dir.filePath(n.typed); };
        Trigger(ID_FILE_SAVE_TEXDRAW);
        const QString path = m_dir.filePath(n.written);
        std::string text = ReadFile(path);
        // The writer may end lines the platform's way; the text is what counts.
        text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
        EXPECT_EQ(text, expected) << n.typed;
        EXPECT_EQ(m_app->GetDocument()->GetPathName(), path);
        EXPECT_EQ(ShownTitle(), QString("%1 - quodra_dv").arg(n.written).toStdString());
    }
    EXPECT_TRUE(m_errors.isEmpty());
    EXPECT_FALSE(Canvas().IsModified());
    // Cancelling the dialog writes nothing.
    m_view->m_fnGetSavePath = [] { return QString(); };
    EXPECT_FALSE(m_view->OnSaveAsTeXDraw());
    EXPECT_FALSE(QFile::exists(m_dir.filePath(".txt")));
    // Save (Ctrl+S) writes to the file last saved, without asking.
    m_view->m_fnGetSavePath = [] {
        ADD_FAILURE() << "asked for a name";
        return QString();
    };
    Trigger(ID_EDIT_CUT); // the selected line goes
    Trigger(ID_FILE_SAVE);
    EXPECT_EQ(ReadFile(m_dir.filePath("x.txt")).find("%begin line"), std::string::npos);
}

TEST_F(CViewTest, WriteFailureIsReportedAndChangesNothing) {
    Trigger(ID_DRAW_LINE);
    Drag(ClientOf({100, 100}), ClientOf({300, 200}));
    const QString bad = m_dir.filePath("no-such-folder/drawing.txt");
    m_view->m_fnGetSavePath = [&] { return bad; };
    Trigger(ID_FILE_SAVE_TEXDRAW);
    ASSERT_EQ(m_errors.size(), 1);
    EXPECT_TRUE(m_errors[0].contains(QDir::toNativeSeparators(bad))) << m_errors[0].toStdString();
    // The reason follows the file name.
    EXPECT_GT(m_errors[0].size(), bad.size() + 40) << m_errors[0].toStdString();
    EXPECT_TRUE(Canvas().IsModified());
    EXPECT_TRUE(m_app->GetDocument()->GetPathName().isEmpty());
    EXPECT_EQ(ShownTitle(), "Untitled* - quodra_dv"); // still changed
    EXPECT_FALSE(QFile::exists(bad));
}

TEST_F(CViewTest, NewAndCloseAskToSaveAChangedDrawing) {
    // Unchanged: no question.
    Trigger(ID_FILE_NEW);
    EXPECT_TRUE(m_questions.isEmpty());
    Trigger(ID_DRAW_LINE);
    Drag(ClientOf({100, 100}), ClientOf({300, 200}));
    const int withLine = Canvas().GetFigures().GetCount();

    m_answer = QMessageBox::Cancel;
    Trigger(ID_FILE_NEW);
    EXPECT_EQ(m_questions.size(), 1);
    EXPECT_EQ(m_questions.value(0).toStdString(), "Save changes to Untitled?");
    EXPECT_EQ(Canvas().GetFigures().GetCount(), withLine);
    EXPECT_FALSE(m_frame->close());
    EXPECT_TRUE(m_frame->isVisible());

    // Yes saves first (here through the save dialog), then the window may close.
    m_answer = QMessageBox::Yes;
    m_view->m_fnGetSavePath = [this] { return m_dir.filePath("kept"); };
    EXPECT_TRUE(m_frame->close());
    EXPECT_NE(ReadFile(m_dir.filePath("kept.txt")).find("%begin line"), std::string::npos);
    m_frame->show();

    // No drops the drawing: back to the grid and the start-up picture.
    Trigger(ID_DRAW_ARROW);
    Drag(ClientOf({100, 300}), ClientOf({300, 400}));
    m_answer = QMessageBox::No;
    m_questions.clear();
    Trigger(ID_FILE_NEW);
    EXPECT_EQ(m_questions.size(), 1);
    EXPECT_EQ(Canvas().GetFigures().GetCount(), 31);
    EXPECT_FALSE(Canvas().IsModified());
    EXPECT_EQ(ShownTitle(), "Untitled - quodra_dv");
    EXPECT_TRUE(Action(ID_MODE_SELECT)->isChecked());
}

TEST_F(CViewTest, PrintsThePageToPdf) {
    Trigger(ID_DRAW_ELLIPSE);
    Drag(ClientOf({100, 100}), ClientOf({300, 200}));
    const QString pdf = m_dir.filePath("page.pdf");
    m_view->m_fnPrintDialog = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    Trigger(ID_FILE_PRINT);
    EXPECT_TRUE(m_errors.isEmpty());
    const std::string bytes = ReadFile(pdf);
    EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
    EXPECT_GT(bytes.size(), 1000u);
}

TEST_F(CViewTest, DoubleClickAndChangeTextUseTheDialogs) {
    SnapOff();
    Trigger(ID_DRAW_RECTANGLE);
    Drag(ClientOf({100, 100}), ClientOf({300, 200}));
    std::vector<std::pair<std::string, bool>> asked;
    m_widget->m_fnPropertiesDialog = [&](const std::string& text, bool enabled) {
        asked.emplace_back(text, enabled);
        return std::optional<std::string>("Hello");
    };
    QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, ClientOf({100, 150}));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].first, "");
    EXPECT_TRUE(asked[0].second);
    auto* rect = static_cast<const CTextRectangle*>(Canvas().GetFigures().GetLast());
    EXPECT_EQ(rect->m_strText, "Hello");

    m_widget->m_fnSetTextDialog = [] { return std::optional<std::string>(); }; // cancelled
    Trigger(ID_TEST_CHANGE_TEXT);
    EXPECT_EQ(rect->m_strText, "Hello");
    m_widget->m_fnSetTextDialog = [] { return std::optional<std::string>("World"); };
    Trigger(ID_TEST_CHANGE_TEXT);
    EXPECT_EQ(rect->m_strText, "World");
}

// One figure of each tool drawn with grid and key-point snapping on, as a user draws them, then
// the rectangle's text set by a double-click: the saved file holds exactly these blocks.
TEST_F(CViewTest, OneFigureOfEachToolSavesTheExpectedDocument) {
    struct {
        int id;
        CPoint from, to;
    } strokes[] = {
        {ID_DRAW_LINE, {61, 100}, {201, 180}},       {ID_DRAW_RECTANGLE, {251, 100}, {401, 180}},
        {ID_DRAW_ELLIPSE, {451, 100}, {621, 180}},   {ID_DRAW_RHOMB, {61, 250}, {201, 350}},
        {ID_DRAW_BEZIER, {251, 250}, {401, 350}},    {ID_DRAW_ARROW, {451, 250}, {621, 350}},
        {ID_DRAW_DOTTED_LINE, {61, 420}, {301, 480}}};
    m_frame->resize(1200, 1000); // the whole page in the window, as on a desktop
    QCoreApplication::processEvents();
    for (const auto& s : strokes) {
        Trigger(s.id);
        Drag(ClientOf(s.from), ClientOf(s.to));
    }
    m_widget->m_fnPropertiesDialog = [](const std::string&, bool) {
        return std::optional<std::string>("Start");
    };
    QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, ClientOf({257, 142}));
    m_view->m_fnGetSavePath = [this] { return m_dir.filePath("drawing"); };
    Trigger(ID_FILE_SAVE_TEXDRAW);
    const char* expected = R"TEX(\begin{center}
\begin{texdraw}
%\setunitscale 0.3

\arrowheadtype t:F


%begin rectangle
\move(0.07 -0.04)
\lvec(0.07 -0.49)
\move(0.07 -0.04)
\lvec(0.49 -0.04)
\move(0.49 -0.49)
\lvec(0.49 -0.04)
\move(0.49 -0.49)
\lvec(0.07 -0.49)
%end rectangle

%begin line
\move(0.53 -1.04)
\lvec(2.01 -1.80)
%end line
%begin textrectangle

%begin rectangle
\move(2.57 -1.04)
\lvec(2.57 -1.80)
\move(2.57 -1.04)
\lvec(4.01 -1.04)
\move(4.01 -1.80)
\lvec(4.01 -1.04)
\move(4.01 -1.80)
\lvec(2.57 -1.80)
%end rectangle

\textref h:C v:C
\htext (3.29 -1.42){Start}
%end textrectangle
%begin textellipse

%begin ellipse
\move(4.61 -1.42)
\clvec(4.61 -1.22)(4.97 -1.04)(5.41 -1.04)
\move(5.41 -1.04)
\clvec(5.85 -1.04)(6.21 -1.22)(6.21 -1.42)
\move(6.21 -1.42)
\clvec(6.21 -1.62)(5.85 -1.80)(5.41 -1.80)
\move(5.41 -1.80)
\clvec(4.97 -1.80)(4.61 -1.62)(4.61 -1.42)
%end ellipse

\textref h:C v:C
\htext (5.41 -1.42){}
%end textellipse
%begin textrhomb

%begin rhomb
\move(1.29 -2.57)
\lvec(2.06 -3.08)
\lvec(1.29 -3.59)
\lvec(0.53 -3.08)
\lvec(1.29 -2.57)
%end rhomb

\textref h:C v:C
\htext (1.29 -3.08){}
%end textrhomb

%begin bz
\move(2.57 -2.57)
\clvec(4.10 -2.57)(2.57 -3.59)(4.10 -3.59)
%end bz
%begin arrow
\move(4.61 -2.57)
\avec(6.14 -3.59)
%end arrow

%begin line
\lpatt(0.03 0.05)
\move(0.53 -4.10)
\lvec(3.01 -4.80)
\lpatt()
%end line
\end{texdraw}
\end{center})TEX";
    EXPECT_EQ(ReadFile(m_dir.filePath("drawing.txt")), expected);
}
