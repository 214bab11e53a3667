// The whole editor started as the program starts it (main window shown maximised) on the
// offscreen platform, with its settings in Qt's test location, and helpers that drive it with
// real mouse and key events.
#pragma once

#include <QFile>
#include <string>

#include "app/CanvasWidget.h"
#include "app/MainFrame.h"
#include "app/QuodraApp.h"
#include "app/QuodraView.h"
#include "app/StyleDock.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>

// The bytes of a file, "<missing>" when it cannot be read.
inline std::string ReadFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll().toStdString();
}

// Writes the bytes over the file in place, as a program that opens it and writes it again does.
inline void WriteFile(const QString& path, const std::string& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes.data(), static_cast<qint64>(bytes.size())),
              static_cast<qint64>(bytes.size()));
}

class CAppTest : public ::testing::Test {
protected:
    void SetUp() override {
        QStandardPaths::setTestModeEnabled(true);
        // A test closes the window; the application must not end with it.
        QApplication::setQuitOnLastWindowClosed(false);
        QCoreApplication::setOrganizationName("Local AppWizard-Generated Applications");
        QCoreApplication::setApplicationName("quodra_dv");
        QSettings().remove("Recent File List");
        // Each test starts with nothing to paste, whatever the one before copied.
        QGuiApplication::clipboard()->clear();
        QSettings().remove("Window"); // every test starts with the first start's layout
        m_app = std::make_unique<Cquodra_dvApp>();
        ASSERT_TRUE(m_app->InitInstance());
        m_frame = m_app->GetMainFrame();
        m_view = m_frame->GetView();
        m_widget = m_view->GetCanvasWidget();
        // The canvas gets the whole width of the small offscreen screen, as the tests' client
        // points expect, unless a test looks at the style dock.
        if (!m_bKeepStyleDock)
            m_frame->GetStyleDock()->hide();
        // A question about the file on disk that a test did not expect fails it instead of
        // waiting for a click that never comes.
        m_view->m_fnAskSaveOverChange = [](const QString& q) {
            ADD_FAILURE() << "asked: " << q.toStdString();
            return Cquodra_dvView::ESaveOverChange::Cancel;
        };
        m_view->m_fnAskReload = [](const QString& q) {
            ADD_FAILURE() << "asked: " << q.toStdString();
            return false;
        };
        m_view->m_fnAskRestoreBackup = m_view->m_fnAskReload;
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_frame));
        // The first paint sets up the page, the grid and the start-up picture.
        m_widget->viewport()->repaint();
        ASSERT_FALSE(Canvas().IsFirstPaintPending());
    }

    void TearDown() override {
        // Nothing may ask questions while the window goes away.
        m_view->m_fnAskSaveChanges = [](const QString&) { return QMessageBox::No; };
        m_app.reset();
    }

    CQuodra& Canvas() { return m_view->GetCanvas(); }
    // The title as the window shows it, with the mark of a changed drawing in place of "[*]".
    std::string ShownTitle() { return m_frame->windowHandle()->title().toStdString(); }
    QWidget* Viewport() { return m_widget->viewport(); }
    QAction* Action(int id) { return m_frame->GetAction(id); }
    void Trigger(int id) {
        QAction* a = Action(id);
        ASSERT_NE(a, nullptr) << id;
        a->trigger();
    }

    // Client pixel of a page pixel at the current zoom and scroll positions.
    QPoint ClientOf(CPoint page) {
        const CPoint c = Canvas().AreaToClient(Canvas().PageToArea(page));
        return {c.x, c.y};
    }

    void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers mods = {}) {
        QTest::mousePress(Viewport(), Qt::LeftButton, mods, from);
        QTest::mouseMove(Viewport(), (from + to) / 2);
        QTest::mouseMove(Viewport(), to);
        QTest::mouseRelease(Viewport(), Qt::LeftButton, mods, to);
    }

    int CountUserFigures() {
        const CFigureList& list = Canvas().GetFigures();
        int n = 0;
        for (int i = 0; i < list.GetCount(); ++i)
            n += list.GetAt(i)->m_strTag.empty();
        return n;
    }

    bool m_bKeepStyleDock = false; // set before SetUp
    std::unique_ptr<Cquodra_dvApp> m_app;
    CMainFrame* m_frame = nullptr;
    Cquodra_dvView* m_view = nullptr;
    CCanvasWidget* m_widget = nullptr;
};
