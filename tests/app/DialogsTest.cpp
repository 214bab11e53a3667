// The text dialogs run modally as the canvas runs them: what they show, what they return.
#include "app/Dialogs.h"
#include "app/CanvasWidget.h"

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Runs `act` on the dialog once it is shown modally.
void WhenShown(const std::function<void(QWidget*)>& act) {
    QTimer::singleShot(0, [act] {
        QWidget* w = QApplication::activeModalWidget();
        ASSERT_NE(w, nullptr);
        act(w);
    });
}

} // namespace

TEST(Dialogs, PropertiesEnablesFieldAndApplyOnlyForTextFigures) {
    CCanvasWidget widget;
    for (bool enabled : {false, true}) {
        SCOPED_TRACE(enabled);
        bool seen = false;
        WhenShown([&](QWidget* w) {
            auto* dlg = qobject_cast<CProperties*>(w);
            ASSERT_NE(dlg, nullptr);
            EXPECT_EQ(dlg->windowTitle().toStdString(), "Set text");
            EXPECT_EQ(dlg->findChild<QGroupBox*>()->title().toStdString(), "Text");
            EXPECT_EQ(dlg->GetApplyButton()->text().toStdString(), "Apply");
            EXPECT_EQ(dlg->GetEdit()->isEnabled(), enabled);
            EXPECT_EQ(dlg->GetApplyButton()->isEnabled(), enabled);
            EXPECT_EQ(dlg->GetEdit()->text().toStdString(), "old");
            seen = true;
            dlg->reject();
        });
        EXPECT_EQ(widget.RunPropertiesDialog("old", enabled), std::nullopt);
        EXPECT_TRUE(seen);
    }
    WhenShown([](QWidget* w) {
        auto* dlg = static_cast<CProperties*>(w);
        dlg->GetEdit()->setText("new text");
        QTest::mouseClick(dlg->GetApplyButton(), Qt::LeftButton);
    });
    EXPECT_EQ(widget.RunPropertiesDialog("old", true), std::optional<std::string>("new text"));
}

TEST(Dialogs, SetTextShowsFieldAndButtonAndCancelGivesNoText) {
    CCanvasWidget widget;
    WhenShown([](QWidget* w) {
        auto* dlg = qobject_cast<CSetTextDialog*>(w);
        ASSERT_NE(dlg, nullptr);
        EXPECT_TRUE(dlg->GetEdit()->isVisible());
        EXPECT_TRUE(dlg->GetOkButton()->isVisible());
        dlg->GetEdit()->setText("typed");
        dlg->reject();
    });
    EXPECT_EQ(widget.RunSetTextDialog(), std::nullopt);
    WhenShown([](QWidget* w) {
        auto* dlg = static_cast<CSetTextDialog*>(w);
        QTest::keyClicks(dlg->GetEdit(), "typed");
        QTest::mouseClick(dlg->GetOkButton(), Qt::LeftButton);
    });
    EXPECT_EQ(widget.RunSetTextDialog(), std::optional<std::string>("typed"));
}

// A text pasted with line breaks (from a document, say) stays on one line in both dialogs.
TEST(Dialogs, PastedLineBreaksBecomeSpaces) {
    CCanvasWidget widget;
    const QString pasted = "first line\nsecond\r\nthird\u2028end";
    const std::string oneLine = "first line second third end";
    WhenShown([&](QWidget* w) {
        auto* dlg = static_cast<CProperties*>(w);
        dlg->GetEdit()->clear();
        dlg->GetEdit()->insert(pasted); // what Ctrl+V does with the clipboard's text
        EXPECT_EQ(dlg->GetEdit()->text().toStdString(), oneLine);
        QTest::mouseClick(dlg->GetApplyButton(), Qt::LeftButton);
    });
    EXPECT_EQ(widget.RunPropertiesDialog("old", true), std::optional<std::string>(oneLine));
    WhenShown([&](QWidget* w) {
        auto* dlg = static_cast<CSetTextDialog*>(w);
        dlg->GetEdit()->insert(pasted);
        EXPECT_EQ(dlg->GetEdit()->text().toStdString(), oneLine);
        QTest::mouseClick(dlg->GetOkButton(), Qt::LeftButton);
    });
    EXPECT_EQ(widget.RunSetTextDialog(), std::optional<std::string>(oneLine));
}
