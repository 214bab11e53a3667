// The Edit menu's undo, redo, cut, copy, paste and select all in the running editor: names,
// enabled states, shortcuts, the system clipboard, the modified state, and Escape during a drag.
#include "AppFixture.h"

#include "app/Commands.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QStatusBar>

namespace {

std::string Text(QAction* a) {
    return a->text().toStdString();
}

// A page pixel on the topmost figure's outline: `along` pixels right of the given handle.
CPoint OnLast(const CQuodra& canvas, int handle, int along) {
    const CPoint p = canvas.GetFigures().GetLast()->GetHandlePoint(handle, canvas.GetZoom());
    return {p.x + along, p.y};
}

} // namespace

TEST_F(CAppTest, UndoAndRedoAreNamedEnabledAndOnTheirKeys) {
    struct {
        int id;
        const char* keys;
    } shortcuts[] = {{ID_EDIT_UNDO, "Ctrl+Z, Alt+Backspace"},
                     {ID_EDIT_REDO, "Ctrl+Y, Ctrl+Shift+Z"},
                     {ID_EDIT_CUT, "Ctrl+X, Shift+Del"},
                     {ID_EDIT_SELECT_ALL, "Ctrl+A"}};
    for (const auto& s : shortcuts) {
        QStringList keys;
        for (const QKeySequence& k : Action(s.id)->shortcuts())
            keys << k.toString();
        EXPECT_EQ(keys.join(", ").toStdString(), s.keys);
    }
    QAction* undo = Action(ID_EDIT_UNDO);
    QAction* redo = Action(ID_EDIT_REDO);
    const int start = CountUserFigures();
    Trigger(ID_DRAW_ELLIPSE);
    Drag(ClientOf({100, 100}), ClientOf({250, 200}));
    EXPECT_EQ(Text(undo), "&Undo Draw Ellipse\tCtrl+Z");
    EXPECT_TRUE(undo->isEnabled());
    EXPECT_FALSE(redo->isEnabled());
    EXPECT_TRUE(Action(ID_EDIT_CUT)->isEnabled()); // the new figure is the selection
    EXPECT_TRUE(Action(ID_EDIT_COPY)->isEnabled());
    EXPECT_TRUE(Canvas().IsModified());

    QTest::keyClick(Viewport(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(CountUserFigures(), start);
    EXPECT_FALSE(Canvas().IsModified());
    EXPECT_EQ(Text(undo), "&Undo\tCtrl+Z");
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_EQ(Text(redo), "&Redo Draw Ellipse\tCtrl+Y");
    EXPECT_FALSE(Action(ID_EDIT_COPY)->isEnabled());
    for (const QKeyCombination keys :
         {QKeyCombination(Qt::ControlModifier, Qt::Key_Y),
          QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z)}) {
        QTest::keyClick(Viewport(), keys.key(), keys.keyboardModifiers());
        EXPECT_EQ(CountUserFigures(), start + 1);
        EXPECT_EQ(Text(undo), "&Undo Draw Ellipse\tCtrl+Z");
        undo->trigger();
    }
    redo->trigger();

    // A move by the mouse, then undone back to the saved state: the drawing counts as unchanged.
    m_view->m_fnGetSavePath = [] { return QString(); };
    const CPoint body = OnLast(Canvas(), kHandleTop, 10);
    Drag(ClientOf(body), ClientOf({body.x + 40, body.y + 40}));
    EXPECT_EQ(Text(undo), "&Undo Move\tCtrl+Z");
    undo->trigger();
    undo->trigger();
    EXPECT_FALSE(Canvas().IsModified());
    EXPECT_EQ(Text(redo), "&Redo Draw Ellipse\tCtrl+Y");
    // Select All takes every figure the user can select, never the grid.
    QTest::keyClick(Viewport(), Qt::Key_A, Qt::ControlModifier);
    const CFigureList& list = Canvas().GetFigures();
    for (int i = 0; i < list.GetCount(); ++i)
        EXPECT_EQ(list.GetAt(i)->m_bSelected, list.GetAt(i)->m_bSelectable) << i;
    // A new step ends what could be redone.
    QTest::keyClick(m_widget, Qt::Key_Right);
    EXPECT_EQ(Text(undo), "&Undo Move\tCtrl+Z");
    EXPECT_FALSE(redo->isEnabled());
}

TEST_F(CAppTest, CutCopyPasteGoThroughTheSystemClipboard) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    EXPECT_FALSE(Action(ID_EDIT_PASTE)->isEnabled());
    Trigger(ID_DRAW_LINE);
    Drag(ClientOf({100, 100}), ClientOf({300, 200}));
    Trigger(ID_DRAW_RECTANGLE);
    Drag(ClientOf({400, 100}), ClientOf({500, 180}));
    Trigger(ID_EDIT_SELECT_ALL);
    QTest::keyClick(Viewport(), Qt::Key_C, Qt::ControlModifier);
    const std::string copied = clipboard->text().toStdString();
    EXPECT_EQ(copied, Canvas().GetClipboard().GetSelectionTeXDrawText());
    EXPECT_NE(copied.find("%begin line"), std::string::npos);
    EXPECT_NE(copied.find("%begin rectangle"), std::string::npos);
    EXPECT_TRUE(Action(ID_EDIT_PASTE)->isEnabled());

    const int count = CountUserFigures();
    QTest::keyClick(Viewport(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(CountUserFigures(), 2 * count);
    EXPECT_EQ(Text(Action(ID_EDIT_UNDO)), "&Undo Paste\tCtrl+Z");
    // Cut: the pasted copies go to the clipboard and leave the drawing, as one step.
    QTest::keyClick(Viewport(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(CountUserFigures(), count);
    EXPECT_EQ(Text(Action(ID_EDIT_UNDO)), "&Undo Cut\tCtrl+Z");
    EXPECT_NE(clipboard->text().toStdString(), copied); // 10 units on
    EXPECT_FALSE(Action(ID_EDIT_CUT)->isEnabled());

    // Text another program put there that holds no figure: refused in the status bar.
    clipboard->setText("Dear reader,");
    EXPECT_TRUE(Action(ID_EDIT_PASTE)->isEnabled());
    Trigger(ID_EDIT_PASTE);
    EXPECT_EQ(CountUserFigures(), count);
    EXPECT_TRUE(m_frame->statusBar()->currentMessage().startsWith("Nothing was pasted"));
    EXPECT_EQ(Text(Action(ID_EDIT_UNDO)), "&Undo Cut\tCtrl+Z");
}

// Escape during a move: the figure goes back, nothing is recorded, and the rest of the drag with
// the button still down does nothing.
TEST_F(CAppTest, EscapeDuringADragPutsTheFigureBack) {
    Trigger(ID_DRAW_LINE);
    Drag(ClientOf({100, 100}), ClientOf({300, 100}));
    const std::string before = Canvas().GetTeXDrawDocument();
    const std::string undoText = Text(Action(ID_EDIT_UNDO));
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, ClientOf(OnLast(Canvas(), kHandleStart, 50)));
    QTest::mouseMove(Viewport(), ClientOf({240, 160}));
    QTest::mouseMove(Viewport(), ClientOf({260, 200}));
    EXPECT_NE(Canvas().GetTeXDrawDocument(), before);
    EXPECT_FALSE(Action(ID_EDIT_UNDO)->isEnabled()); // not in the middle of a drag
    QTest::keyClick(m_widget, Qt::Key_Escape);
    EXPECT_EQ(Canvas().GetTeXDrawDocument(), before);
    EXPECT_EQ(Canvas().GetMouseState(), kStateIdle);
    QTest::mouseMove(Viewport(), ClientOf({300, 260}));
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, ClientOf({300, 260}));
    EXPECT_EQ(Canvas().GetTeXDrawDocument(), before);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    EXPECT_EQ(Text(Action(ID_EDIT_UNDO)), undoText);
    EXPECT_TRUE(Action(ID_EDIT_UNDO)->isEnabled());
}
