// The style dock on the real main window: what it shows of the selection, the undo steps its
// changes make, Copy Style and Paste Style, refused values, and the style of new figures kept in
// the settings from one start to the next.
#include "AppFixture.h"
#include "common/AddFigure.h"

#include "app/Commands.h"
#include "app/StyleDock.h"
#include "figures/BezierCurve.h"
#include "figures/Label.h"
#include "figures/Line.h"
#include "figures/Rectangle.h"
#include "figures/Shapes.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QToolButton>

#include <tuple>

namespace {

class CStyleDockTest : public CAppTest {
protected:
    void SetUp() override {
        QSettings().remove("NewFigureStyle");
        m_bKeepStyleDock = true;
        CAppTest::SetUp();
        m_dock = m_frame->GetStyleDock();
        ASSERT_NE(m_dock, nullptr);
    }
    void TearDown() override {
        CAppTest::TearDown();
        // Other tests draw with the program's own defaults.
        QSettings().remove("NewFigureStyle");
    }

    template <class T> T* Control(const char* name) {
        T* w = m_dock->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    // Types into a field as the user does, and presses Enter.
    void Type(QWidget* field, const QString& text) {
        field->setFocus();
        if (auto* spin = qobject_cast<QAbstractSpinBox*>(field))
            spin->selectAll();
        else if (auto* edit = qobject_cast<QLineEdit*>(field))
            edit->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    }
    void Select(std::initializer_list<int> figures) {
        Canvas().GetDrawing().ClearSelection();
        for (int i : figures)
            Canvas().GetDrawing().Select(m_nFirst + i, true);
        m_dock->Refresh();
        m_frame->UpdateCommandUI();
    }
    const CStyle& StyleOf(int i) { return Canvas().GetFigures().GetAt(m_nFirst + i)->m_style; }
    std::string UndoText() { return Action(ID_EDIT_UNDO)->text().toStdString(); }

    CStyleDock* m_dock = nullptr;
    int m_nFirst = 0; // the first of the test's figures (the grid's lines come before)
};

double Pt(double points) {
    return points / kPointsPerPageUnit;
}

TEST_F(CStyleDockTest, ChangesTheSelectionInOneStepShowsMixedAndKeepsTheNewFigureStyle) {
    CFigureList list;
    AddFigure<CLine>(list, 60, 20, 200, 60);
    AddFigure<CRectangle>(list, 240, 20, 400, 80);
    AddFigure<CBezierCurve>(list, 60, 200, 200, 280);
    AddFigure<CLabel>(list, 300, 200, 300, 200).m_strText = "x";
    Canvas().ReplaceFigures(std::move(list));
    m_nFirst = Canvas().GetFigures().GetCount() - 4;
    Viewport()->repaint();
    auto* width = Control<QDoubleSpinBox>("width");
    auto* headLength = Control<QDoubleSpinBox>("headLength");
    auto* pattern = Control<QLineEdit>("pattern");

    // Three figures at 1.2 pt: one step named after the width, undone at once.
    Select({0, 1, 2});
    EXPECT_EQ(width->text(), "0.72 pt");
    const std::uint64_t before = Canvas().GetRevision();
    Type(width, "1.2");
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(StyleOf(i).dLineWidth, Pt(1.2), 1e-3) << i;
    EXPECT_EQ(Canvas().GetUndoName(), "Line Width");
    EXPECT_EQ(UndoText(), "&Undo Line Width\tCtrl+Z");
    Trigger(ID_EDIT_UNDO);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(StyleOf(i).dLineWidth, kDefaultLineWidth) << i;
    // Arrow clicks on the field make one step once they rest, not one a click.
    for (int k = 0; k < 3; ++k)
        width->stepUp();
    ASSERT_TRUE(QTest::qWaitFor([&] { return std::abs(StyleOf(2).dLineWidth - Pt(1.02)) < 1e-3; }));
    Trigger(ID_EDIT_UNDO);
    EXPECT_EQ(StyleOf(2).dLineWidth, kDefaultLineWidth);
    EXPECT_FALSE(Action(ID_EDIT_UNDO)->isEnabled());
    // Fill ticked on a figure without one gives it a light grey, not a black blot.
    Select({1});
    Control<QCheckBox>("fill")->click();
    EXPECT_EQ(StyleOf(1).fillGrey, std::optional<double>(0.8));
    EXPECT_EQ(UndoText(), "&Undo Fill\tCtrl+Z");
    Trigger(ID_EDIT_UNDO);

    // One figure gets another width and a pattern: the three show "mixed" and no preset.
    Select({0});
    Control<QToolButton>("width0")->click();
    Control<QToolButton>("pattern3")->click();
    EXPECT_EQ(UndoText(), "&Undo Line Pattern\tCtrl+Z");
    EXPECT_NEAR(StyleOf(0).dLineWidth, Pt(0.4), 1e-3);
    EXPECT_EQ(StyleOf(0).pattern, (std::vector<double>{6, 3, 1, 3}));
    Select({0, 1, 2});
    EXPECT_EQ(width->text(), "mixed");
    EXPECT_EQ(pattern->text(), "");
    EXPECT_EQ(pattern->placeholderText(), "mixed");
    for (const char* name : {"width0", "width1", "width2", "width3", "width4"})
        EXPECT_FALSE(Control<QToolButton>(name)->isChecked()) << name;
    // The rectangle alone takes no arrowheads; the line does.
    Select({1});
    EXPECT_FALSE(headLength->isEnabled());
    EXPECT_FALSE(Control<QToolButton>("typeF")->isEnabled());
    EXPECT_EQ(headLength->text().trimmed(), ""); // blank, not "mixed"
    EXPECT_FALSE(Control<QToolButton>("textrefRT")->isEnabled());
    // A label shows where its text lies around its point and its angle, and takes both.
    Select({3});
    EXPECT_FALSE(width->isEnabled());
    EXPECT_TRUE(Control<QToolButton>("textrefLB")->isChecked());
    Control<QToolButton>("textrefRT")->click();
    EXPECT_EQ(UndoText(), "&Undo Label Reference\tCtrl+Z");
    Type(Control<QDoubleSpinBox>("textAngle"), "45");
    const auto* label = dynamic_cast<const CLabel*>(Canvas().GetFigures().GetAt(m_nFirst + 3));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ((std::tuple{label->m_cHRef, label->m_cVRef, label->m_dAngle}),
              (std::tuple{'R', 'T', 45.0}));
    Select({0, 1});
    EXPECT_TRUE(headLength->isEnabled());

    // Values out of range are refused with their reason, and nothing changes.
    Select({0, 1, 2});
    const std::uint64_t refusedAt = Canvas().GetRevision();
    Type(width, "150");
    EXPECT_TRUE(m_dock->GetRefusal().contains("between 0 and 100 pt"))
        << m_dock->GetRefusal().toStdString();
    Type(pattern, "4 -2");
    EXPECT_TRUE(m_dock->GetRefusal().contains("positive")) << m_dock->GetRefusal().toStdString();
    Type(Control<QDoubleSpinBox>("grey"), "1.5");
    EXPECT_TRUE(m_dock->GetRefusal().contains("between 0 (black) and 1"));
    EXPECT_EQ(Canvas().GetRevision(), refusedAt);
    EXPECT_EQ(width->text(), "mixed");

    // Copy Style from the first, Paste Style onto all three: one step.
    Select({2});
    EXPECT_FALSE(Action(ID_EDIT_PASTE_STYLE)->isEnabled());
    Select({0});
    ASSERT_TRUE(Action(ID_EDIT_COPY_STYLE)->isEnabled());
    Trigger(ID_EDIT_COPY_STYLE);
    Select({0, 1, 2});
    ASSERT_TRUE(Action(ID_EDIT_PASTE_STYLE)->isEnabled());
    Trigger(ID_EDIT_PASTE_STYLE);
    EXPECT_EQ(Canvas().GetUndoName(), "Paste Style");
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(StyleOf(i).dLineWidth, Pt(0.4), 1e-3) << i;
        EXPECT_EQ(StyleOf(i).pattern, (std::vector<double>{6, 3, 1, 3})) << i;
    }
    EXPECT_EQ(width->text(), "0.40 pt");
    Trigger(ID_EDIT_UNDO);
    EXPECT_EQ(StyleOf(1).dLineWidth, kDefaultLineWidth);
    EXPECT_EQ(StyleOf(2).dLineWidth, kDefaultLineWidth);
    EXPECT_NEAR(StyleOf(0).dLineWidth, Pt(0.4), 1e-3);
    EXPECT_NE(Canvas().GetRevision(), before);

    // With nothing selected the dock sets the style of new figures, which a new line gets and
    // the next start still has.
    Select({});
    Control<QToolButton>("width4")->click();
    Control<QToolButton>("heads3")->click();
    EXPECT_EQ(Canvas().GetStyles().GetNewFigureStyleParts(),
              unsigned(kStyleWidth | kStyleHeadEnds));
    Trigger(ID_DRAW_LINE);
    Drag(ClientOf({300, 300}), ClientOf({420, 340}));
    const CFigure* drawn = Canvas().GetFigures().GetAt(Canvas().GetFigures().GetCount() - 1);
    EXPECT_NEAR(drawn->m_style.dLineWidth, Pt(2.4), 1e-3);
    EXPECT_EQ(drawn->m_style.eHeads, EArrowHeads::Both);

    CAppTest::TearDown();
    CAppTest::SetUp();
    m_dock = m_frame->GetStyleDock();
    EXPECT_EQ(Canvas().GetStyles().GetNewFigureStyleParts(),
              unsigned(kStyleWidth | kStyleHeadEnds));
    EXPECT_NEAR(Canvas().GetStyles().GetNewFigureStyle().dLineWidth, Pt(2.4), 1e-3);
    EXPECT_EQ(Canvas().GetStyles().GetNewFigureStyle().eHeads, EArrowHeads::Both);
    EXPECT_TRUE(Control<QToolButton>("width4")->isChecked());
    EXPECT_TRUE(Action(ID_VIEW_STYLE)->isChecked());
}

} // namespace

// A disc drawn alone (its fill without its outline, as others' drawings have them) gets its
// outline back when the panel gives it a width.
TEST_F(CStyleDockTest, AWidthGivesAFillDrawnAloneItsOutline) {
    CFigureList list;
    auto& disc = AddFigure<CCircle>(list, 100, 100, 140, 100);
    disc.m_style.fillGrey = 0.5;
    disc.m_style.bOutline = false;
    Canvas().ReplaceFigures(std::move(list));
    m_nFirst = Canvas().GetFigures().GetCount() - 1;
    Viewport()->repaint();
    Select({0});
    Type(Control<QDoubleSpinBox>("width"), "1.2");
    EXPECT_TRUE(StyleOf(0).bOutline);
    EXPECT_NE(Canvas().GetFigures().GetAt(m_nFirst)->ExportTeX().find("\\lcir"), std::string::npos);
}

// "No outline" draws the selected fills that may go without their outline (a disc, not a filled
// rectangle) as their fill alone, as one step, and shows the mix of a selection; with nothing
// selected it makes new discs so.
TEST_F(CStyleDockTest, NoOutlineDrawsTheFillAlone) {
    CFigureList list;
    auto& disc = AddFigure<CCircle>(list, 100, 100, 140, 100);
    disc.m_style.fillGrey = 0.5;
    auto& box = AddFigure<CRectangle>(list, 200, 100, 260, 160);
    box.m_style.fillGrey = 0.5;
    Canvas().ReplaceFigures(std::move(list));
    m_nFirst = Canvas().GetFigures().GetCount() - 2;
    Viewport()->repaint();
    auto* alone = Control<QCheckBox>("fillAlone");
    Select({1});
    EXPECT_FALSE(alone->isEnabled()); // a rectangle's fill keeps its outline
    Select({0, 1});
    ASSERT_TRUE(alone->isEnabled());
    alone->click();
    EXPECT_FALSE(StyleOf(0).bOutline);
    EXPECT_TRUE(StyleOf(1).bOutline);
    EXPECT_EQ(UndoText(), "&Undo Outline\tCtrl+Z");
    const std::string tex = Canvas().GetFigures().GetAt(m_nFirst)->ExportTeX();
    EXPECT_NE(tex.find("\\fcir"), std::string::npos);
    EXPECT_EQ(tex.find("\\lcir"), std::string::npos);
    EXPECT_EQ(alone->checkState(), Qt::Checked);
    Trigger(ID_EDIT_UNDO);
    EXPECT_TRUE(StyleOf(0).bOutline);
    EXPECT_EQ(alone->checkState(), Qt::Unchecked);
    // New figures: a fill, then no outline, and a circle drawn is a disc.
    Select({});
    Control<QCheckBox>("fill")->click();
    alone->click();
    EXPECT_FALSE(Canvas().GetStyles().GetNewFigureStyle().bOutline);
}
