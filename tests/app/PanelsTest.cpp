// The panels that follow the canvas (the style panel with its label rows, the status bar's panes
// and the window's title) read it only when what they show may have changed: scrolling, zooming
// and painting again cost them nothing, and after every step of random sessions each of them
// shows what it would show read afresh.
#include "AppFixture.h"

#include "../common/RandomDrawing.h"
#include "app/CanvasContextMenu.h"
#include "app/Commands.h"
#include "app/QuodraDoc.h"
#include "app/StatusPanes.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QSlider>
#include <QTemporaryDir>
#include <QWheelEvent>

#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The lines of what was shown that reading afresh changed, as "was -> is".
std::string Changed(const std::string& was, const std::string& is) {
    std::istringstream a(was), b(is);
    std::string out, x, y;
    for (;;) {
        const bool more = static_cast<bool>(std::getline(a, x));
        if (!std::getline(b, y) && !more)
            break;
        if (x != y)
            out += x + " -> " + y + "\n";
        x.clear();
        y.clear();
    }
    return out;
}

class CPanelsTest : public CAppTest {
protected:
    void SetUp() override {
        QSettings().remove("NewFigureStyle");
        m_bKeepStyleDock = true;
        CAppTest::SetUp();
    }
    void TearDown() override {
        CAppTest::TearDown();
        QSettings().remove("NewFigureStyle");
    }

    // Every control of the style panel as the user sees it.
    std::string DockShown() {
        std::string s;
        for (const QWidget* w : m_frame->GetStyleDock()->findChildren<QWidget*>()) {
            s += w->objectName().toStdString() + (w->isEnabled() ? "" : " off") +
                 (w->isHidden() ? " hidden" : "");
            if (const auto* check = qobject_cast<const QCheckBox*>(w))
                s += " state " + std::to_string(check->checkState());
            else if (const auto* button = qobject_cast<const QAbstractButton*>(w))
                s += button->isChecked() ? " on" : "";
            if (const auto* spin = qobject_cast<const QAbstractSpinBox*>(w))
                s += " " + spin->text().toStdString();
            if (const auto* edit = qobject_cast<const QLineEdit*>(w))
                s += " " + edit->text().toStdString() + " / " +
                     edit->placeholderText().toStdString();
            if (const auto* label = qobject_cast<const QLabel*>(w))
                s += " " + label->text().toStdString();
            if (const auto* slider = qobject_cast<const QSlider*>(w))
                s += " " + std::to_string(slider->value());
            s += "\n";
        }
        return s;
    }
    std::string PanesShown() {
        const CStatusPanes& panes = *m_frame->GetStatusPanes();
        return (panes.GetPositionPane()->text() + " | " + panes.GetSizePane()->text() + " | " +
                panes.GetZoomPane()->text())
            .toStdString();
    }
    std::string TitleShown() {
        return ShownTitle() + (m_frame->isWindowModified() ? " (modified)" : "");
    }
    std::string Shown() { return DockShown() + PanesShown() + "\n" + TitleShown(); }
    void ReadAfresh() {
        m_frame->GetStyleDock()->Refresh();
        m_frame->GetStatusPanes()->Refresh();
        m_frame->UpdateTitle();
    }

    void Wheel(QPoint at, QPoint delta, Qt::KeyboardModifiers mods) {
        QWheelEvent wheel(at, Viewport()->mapToGlobal(at), {}, delta, Qt::NoButton, mods,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(Viewport(), &wheel);
    }
    void Leave() {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(Viewport(), &leave);
    }
    void UseDrawing(unsigned seed, int count) {
        CFigureList drawing;
        CRandomDrawing gen(seed);
        gen.AddEveryKindTo(drawing, count, 3);
        Canvas().ReplaceFigures(std::move(drawing));
    }
};

TEST_F(CPanelsTest, ScrollingZoomingAndPaintingAgainLeaveThePanelsAlone) {
    UseDrawing(5, 300);
    Trigger(ID_VIEW_ZOOM_IN); // the page larger than the window, so that it scrolls
    Trigger(ID_VIEW_ZOOM_IN);
    ReadAfresh();
    const std::string dock = DockShown(), title = TitleShown();
    // Changes made behind the canvas's back: a panel that read the canvas again would show them.
    CFigureList& list = Canvas().GetDrawing().EditFigures();
    for (int i = 0; i < list.GetCount(); i += 7)
        list.GetAt(i)->m_bSelected = list.GetAt(i)->m_bSelectable;
    m_app->GetDocument()->SetPathName("/elsewhere/unseen.txt");

    const int x = m_widget->GetScrollPos(EScrollBar::Horizontal);
    const int y = m_widget->GetScrollPos(EScrollBar::Vertical);
    const QPoint middle = Viewport()->rect().center();
    for (int i = 0; i < 3; ++i) {
        Wheel(middle, {0, -120}, {});
        Wheel(middle, {0, -120}, Qt::ShiftModifier);
        m_widget->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
        m_widget->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        m_widget->RepaintNow();
        Viewport()->repaint();
        Viewport()->update();
        QCoreApplication::processEvents();
    }
    EXPECT_NE(m_widget->GetScrollPos(EScrollBar::Horizontal), x);
    EXPECT_NE(m_widget->GetScrollPos(EScrollBar::Vertical), y);
    const double zoom = Canvas().GetZoom();
    Wheel(middle, {0, 120}, Qt::ControlModifier);
    Trigger(ID_VIEW_ZOOM_OUT);
    QTest::keyClick(Viewport(), Qt::Key_Plus, Qt::KeypadModifier);
    ASSERT_NE(Canvas().GetZoom(), zoom);
    QTest::mouseMove(Viewport(), middle);
    QTest::mouseMove(Viewport(), middle + QPoint(20, 10));
    Leave();
    EXPECT_EQ(Changed(dock, DockShown()), "");
    EXPECT_EQ(TitleShown(), title);
    // The zoom pane follows the zoom all the same.
    EXPECT_EQ(m_frame->GetStatusPanes()->GetZoomPane()->text().toStdString(),
              std::to_string(std::lround(Canvas().GetZoom() * 100)) + "%");

    // Read afresh, they show what was changed behind the canvas's back.
    ReadAfresh();
    EXPECT_NE(DockShown(), dock);
    EXPECT_NE(TitleShown(), title);
}

// A hundred paintings, whole and partial, tell the panels nothing to read again; a change of the
// selection tells them once.
TEST_F(CPanelsTest, PaintingTellsThePanelsNothing) {
    UseDrawing(7, 200);
    int told = 0;
    QObject::connect(m_widget, &CCanvasWidget::StateChanged, m_widget, [&told](unsigned changes) {
        told +=
            (changes & (CCanvasWidget::kSelectionChanged | CCanvasWidget::kFiguresChanged)) != 0;
    });
    for (int i = 0; i < 100; ++i) {
        if (i % 2)
            m_widget->RepaintNow();
        else
            Viewport()->repaint(QRect(i, i, 40, 30));
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(told, 0);
    Trigger(ID_EDIT_SELECT_ALL);
    EXPECT_EQ(told, 1);
}

TEST_F(CPanelsTest, EveryPanelShowsWhatItWouldReadAfreshAfterEveryStep) {
    QTemporaryDir dir;
    m_view->m_fnGetSavePath = [&dir] { return dir.filePath("drawing"); };
    std::vector<int> tools{ID_MODE_SELECT, ID_MODE_SELECT, ID_MODE_ZOOM};
    for (const CCommandInfo& c : GetCommandTable())
        if (IsToolCommand(c.nId))
            tools.push_back(c.nId);
    std::vector<QAbstractButton*> dockButtons;
    for (QAbstractButton* b : m_frame->GetStyleDock()->findChildren<QAbstractButton*>())
        if (!b->objectName().startsWith("qt_")) // not the dock's own float and close buttons
            dockButtons.push_back(b);
    ASSERT_GT(dockButtons.size(), 20u);
    static const int kCommands[] = {ID_EDIT_UNDO,       ID_EDIT_UNDO,       ID_EDIT_REDO,
                                    ID_EDIT_CUT,        ID_EDIT_PASTE,      ID_EDIT_DUPLICATE,
                                    ID_EDIT_DELETE,     ID_EDIT_SELECT_ALL, ID_EDIT_COPY_STYLE,
                                    ID_EDIT_PASTE_STYLE};
    static const std::pair<Qt::Key, Qt::KeyboardModifiers> kKeys[] = {
        {Qt::Key_Left, {}},
        {Qt::Key_Down, {}},
        {Qt::Key_Delete, {}},
        {Qt::Key_Escape, {}},
        {Qt::Key_Return, {}},
        {Qt::Key_Plus, Qt::KeypadModifier},
        {Qt::Key_Minus, Qt::KeypadModifier}};

    for (unsigned seed = 1; seed <= 3; ++seed) {
        UseDrawing(seed, 120);
        std::mt19937 rng(seed);
        const auto Int = [&rng](int lo, int hi) {
            return std::uniform_int_distribution<>(lo, hi)(rng);
        };
        m_widget->m_fnSetTextDialog = [] { return std::optional<std::string>("t"); };
        m_widget->m_fnPropertiesDialog = [](const std::string&, bool) {
            return std::optional<std::string>("p");
        };
        // Mostly on a figure's handle, where gestures grab, move and reshape.
        const auto Point = [&]() {
            const CFigureList& list = Canvas().GetFigures();
            if (Int(0, 2) > 0) {
                const CFigure& f = *list.GetAt(Int(0, list.GetCount() - 1));
                const CPoint h = f.GetHandlePoint(2 + Int(0, 7), Canvas().GetZoom());
                const QPoint p = ClientOf({h.x + Int(-3, 3), h.y + Int(-3, 3)});
                if (Viewport()->rect().contains(p))
                    return p;
            }
            return QPoint(Int(0, Viewport()->width() - 1), Int(0, Viewport()->height() - 1));
        };
        int pending = 0; // moves left in the gesture under way
        Qt::KeyboardModifiers mods;
        for (int step = 0; step < 300; ++step) {
            std::string what;
            const int pick = Int(0, 99);
            if (pending > 0) {
                if (pick < 10) {
                    const auto& [key, keyMods] = kKeys[Int(0, 3)];
                    QTest::keyClick(Viewport(), key, keyMods);
                    what = "key during a drag";
                } else if (--pending == 0) {
                    QTest::mouseRelease(Viewport(), Qt::LeftButton, mods, Point());
                    what = "release";
                } else {
                    QTest::mouseMove(Viewport(), Point());
                    what = "drag";
                }
            } else if (pick < 30) {
                Trigger(tools[std::size_t(Int(0, int(tools.size()) - 1))]);
                mods = Int(0, 3) == 0 ? Qt::ControlModifier : Qt::NoModifier;
                QTest::mousePress(Viewport(), Qt::LeftButton, mods, Point());
                pending = Int(1, 4);
                what = "press";
            } else if (pick < 40) {
                const auto& [key, keyMods] = kKeys[Int(0, int(std::size(kKeys)) - 1)];
                QTest::keyClick(Viewport(), key, keyMods);
                what = "key";
            } else if (pick < 55) {
                Trigger(kCommands[Int(0, int(std::size(kCommands)) - 1)]);
                what = "command";
            } else if (pick < 65) {
                dockButtons[std::size_t(Int(0, int(dockButtons.size()) - 1))]->click();
                what = "style panel";
            } else if (pick < 72) {
                QTest::mouseMove(Viewport(), Point());
                what = "hover";
            } else if (pick < 75) {
                Leave();
                what = "pointer left";
            } else if (pick < 82) {
                Wheel(Point(), Int(0, 1) ? QPoint(0, 120) : QPoint(0, -120),
                      Int(0, 2) == 0 ? Qt::ControlModifier : Qt::NoModifier);
                what = "wheel";
            } else if (pick < 86) {
                MakeCanvasContextMenu(*m_frame, Point());
                what = "context menu";
            } else if (pick < 89) {
                QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, Point());
                what = "double-click";
            } else if (pick < 92) {
                Canvas().GetStyles().SetUnitScale(Int(0, 1) ? 0.5 : 1.0);
                what = "unit scale";
            } else if (pick < 95) {
                Trigger(ID_FILE_SAVE);
                what = "save";
            } else {
                m_widget->verticalScrollBar()->triggerAction(
                    Int(0, 1) ? QAbstractSlider::SliderPageStepAdd
                              : QAbstractSlider::SliderToMinimum);
                what = "scroll bar";
            }
            const std::string shown = Shown();
            ReadAfresh();
            ASSERT_EQ(Changed(shown, Shown()), "")
                << "seed " << seed << ", step " << step << ": " << what;
        }
        if (pending > 0)
            QTest::mouseRelease(Viewport(), Qt::LeftButton, mods, Point());
    }
    m_widget->m_fnSetTextDialog = nullptr;
    m_widget->m_fnPropertiesDialog = nullptr;
}

} // namespace
