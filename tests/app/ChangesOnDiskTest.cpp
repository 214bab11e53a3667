// The drawing's file changed by others while it is open (another program, another window):
// reloaded or asked about, never silently saved over; and a save killed half-way is offered
// back when the file is opened.
#include "AppFixture.h"

#include "app/Commands.h"
#include "app/QuodraDoc.h"
#include "texdraw/Document.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// As most editors save: a new file renamed over the old one.
void ReplaceFile(const QString& path, const std::string& bytes) {
    WriteFile(path + ".new", bytes);
    ASSERT_EQ(0, std::rename(QFile::encodeName(path + ".new").constData(),
                             QFile::encodeName(path).constData()));
}

} // namespace

class CChangesOnDiskTest : public CAppTest {
protected:
    void SetUp() override {
        CAppTest::SetUp();
        ASSERT_TRUE(m_dir.isValid());
        InstallSeams(m_view, m_asked);
        m_frame->resize(1200, 1000);
        QCoreApplication::processEvents();
    }

    void InstallSeams(Cquodra_dvView* view, QStringList& asked) {
        view->m_fnShowError = [this](const QString& text) { m_errors << text; };
        view->m_fnShowInfo = [](const QString&) {};
        view->m_fnAskSaveChanges = [](const QString&) { return QMessageBox::No; };
        view->m_fnAskReload = [this, &asked](const QString& q) {
            asked << q;
            return m_bReload;
        };
        view->m_fnAskSaveOverChange = [this, &asked](const QString& q) {
            asked << q;
            return m_eSaveOver;
        };
        view->m_fnAskRestoreBackup = [this, &asked](const QString& q) {
            asked << q;
            return m_bRestore;
        };
        view->m_fnGetSavePath = [this] { return m_savePath; };
        view->m_fnGetOpenPath = [this] { return m_openPath; };
    }

    // Lets the watcher report and the view look until done() holds (two seconds at most).
    static bool WaitFor(const std::function<bool()>& done) {
        for (int i = 0; i < 200 && !done(); ++i)
            QTest::qWait(10);
        return done();
    }
    // Long enough for any report of the watcher to have been looked at.
    static void Settle() { QTest::qWait(400); }

    void DrawLine(CPoint from, CPoint to) {
        Trigger(ID_DRAW_LINE);
        Drag(ClientOf(from), ClientOf(to));
    }
    void Save() { Trigger(ID_FILE_SAVE); }
    std::string Status() { return m_frame->statusBar()->currentMessage().toStdString(); }

    QTemporaryDir m_dir;
    QStringList m_errors;
    QStringList m_asked;
    bool m_bReload = false;
    bool m_bRestore = false;
    Cquodra_dvView::ESaveOverChange m_eSaveOver = Cquodra_dvView::ESaveOverChange::Cancel;
    QString m_savePath;
    QString m_openPath;
};

TEST_F(CChangesOnDiskTest, ChangesByOthersAreReloadedOrAskedAboutAndNeverSavedOver) {
    using EAnswer = Cquodra_dvView::ESaveOverChange;
    const QString path = m_dir.filePath("drawing.txt");
    DrawLine({100, 100}, {300, 200});
    m_savePath = path;
    Trigger(ID_FILE_SAVE_TEXDRAW);
    ASSERT_EQ(m_app->GetDocument()->GetPathName(), path);

    // This window's own saves, also in place behind a second hard link, are nobody else's.
    ASSERT_EQ(0, ::link(QFile::encodeName(path).constData(),
                        QFile::encodeName(m_dir.filePath("hard.txt")).constData()));
    DrawLine({100, 300}, {300, 400});
    Save();
    Settle();
    const std::string blocks = Canvas().GetTeXDrawText();
    EXPECT_EQ(ReadFile(path), MakeTeXDrawDocument(blocks));
    EXPECT_TRUE(m_asked.isEmpty()) << m_asked.join("\n").toStdString();
    EXPECT_EQ(Status().find("another program"), std::string::npos) << Status();

    // Renamed over the file by another program: an unchanged drawing is reloaded.
    ReplaceFile(path, MakeTeXDrawDocument(blocks + blocks));
    ASSERT_TRUE(WaitFor([&] { return Canvas().GetTeXDrawText() == blocks + blocks; }));
    EXPECT_FALSE(Canvas().IsModified());
    EXPECT_NE(Status().find("reloaded"), std::string::npos) << Status();
    EXPECT_TRUE(m_asked.isEmpty()) << m_asked.join("\n").toStdString();
    // Reloaded with text this editor does not understand: the status bar says so, as after
    // opening, with a link to the details.
    const auto* kept = m_frame->findChild<QLabel*>("keptTextNotice");
    ASSERT_NE(kept, nullptr);
    EXPECT_TRUE(kept->isHidden());
    ReplaceFile(path, MakeTeXDrawDocument(blocks + "\\lcir r:0.5\n"));
    ASSERT_TRUE(WaitFor([&] { return Canvas().GetTeXDrawText() == blocks + "\\lcir r:0.5\n"; }));
    EXPECT_NE(Status().find("not understood by this editor (line"), std::string::npos) << Status();
    EXPECT_FALSE(kept->isHidden());
    EXPECT_TRUE(m_asked.isEmpty()) << m_asked.join("\n").toStdString();
    ReplaceFile(path, MakeTeXDrawDocument(blocks + blocks));
    ASSERT_TRUE(WaitFor([&] { return Canvas().GetTeXDrawText() == blocks + blocks; }));
    EXPECT_TRUE(kept->isHidden());

    // Written in place under a changed drawing: asked once; keeping mine changes nothing.
    DrawLine({400, 100}, {500, 200});
    const std::string mine = Canvas().GetTeXDrawText();
    const std::string theirs = MakeTeXDrawDocument(blocks);
    WriteFile(path, theirs);
    ASSERT_TRUE(WaitFor([&] { return !m_asked.isEmpty(); }));
    Settle();
    ASSERT_EQ(m_asked.size(), 1);
    EXPECT_TRUE(m_asked[0].contains("was changed by another program")) << m_asked[0].toStdString();
    EXPECT_TRUE(m_asked[0].contains("Reload it and lose your changes, or keep yours?"));
    EXPECT_EQ(Canvas().GetTeXDrawText(), mine);
    EXPECT_TRUE(Canvas().IsModified());

    // Saving over their change asks first, with the real message box; Cancel writes nothing.
    m_view->m_fnAskSaveOverChange = nullptr;
    QStringList buttons;
    QTimer::singleShot(0, [&buttons] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(box->text().contains("The file")) << box->text().toStdString();
        EXPECT_TRUE(box->text().contains("was changed by another program"));
        for (QAbstractButton* b : box->buttons())
            buttons << b->text();
        for (QAbstractButton* b : box->buttons())
            if (b->text() == "Cancel")
                b->click();
    });
    Save();
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{"Cancel", "Overwrite", QString::fromUtf8("Save As\u2026")}));
    EXPECT_EQ(ReadFile(path), theirs);
    EXPECT_TRUE(Canvas().IsModified());
    InstallSeams(m_view, m_asked);

    // Save As... puts mine beside theirs.
    m_asked.clear();
    m_eSaveOver = EAnswer::SaveAs;
    m_savePath = m_dir.filePath("mine.txt");
    Save();
    EXPECT_EQ(m_asked.size(), 1);
    EXPECT_EQ(ReadFile(path), theirs);
    EXPECT_EQ(ReadFile(m_savePath), MakeTeXDrawDocument(mine));
    EXPECT_EQ(m_app->GetDocument()->GetPathName(), m_savePath);

    // Changed on disk and saved before the report came: still asked; Overwrite writes mine, and
    // that save is not taken for a change.
    WriteFile(m_savePath, theirs);
    m_asked.clear();
    m_eSaveOver = EAnswer::Overwrite;
    Save();
    EXPECT_EQ(m_asked.size(), 1);
    EXPECT_EQ(ReadFile(m_savePath), MakeTeXDrawDocument(mine));
    Settle();
    EXPECT_EQ(m_asked.size(), 1);
    EXPECT_EQ(Canvas().GetTeXDrawText(), mine);

    // A second window saves the file under a changed drawing: asked, and Reload takes it; the
    // second window is not asked about its own save.
    Cquodra_dvDoc secondDoc;
    CMainFrame second(secondDoc);
    QStringList secondAsked;
    InstallSeams(second.GetView(), secondAsked);
    ASSERT_EQ(second.GetView()->OpenDocument(m_savePath, false),
              Cquodra_dvView::EOpenResult::Opened);
    DrawLine({400, 300}, {500, 400});
    m_asked.clear();
    m_bReload = true;
    second.GetView()->GetCanvas().SelectAll();
    second.GetView()->GetCanvas().DeleteSelected();
    ASSERT_TRUE(second.GetView()->OnFileSave());
    ASSERT_TRUE(WaitFor([&] { return Canvas().GetTeXDrawText().empty(); }));
    Settle();
    EXPECT_EQ(m_asked.size(), 1);
    EXPECT_FALSE(Canvas().IsModified());
    EXPECT_TRUE(secondAsked.isEmpty()) << secondAsked.join("\n").toStdString();
    EXPECT_TRUE(m_errors.isEmpty()) << m_errors.join("\n").toStdString();
}

// As a save killed half-way in place leaves a file with two names: the file cut short, the
// copy of what it held before, and a temporary, all of a process that has gone. Opening it
// offers the copy: declined, the file opens as it is (here: refused as cut short); accepted,
// both names show the drawing again and nothing is left beside them.
TEST_F(CChangesOnDiskTest, AKilledSaveIsOfferedBackWhenTheFileIsOpened) {
    const QString path = m_dir.filePath("drawing.txt");
    DrawLine({100, 100}, {300, 200});
    m_savePath = path;
    Trigger(ID_FILE_SAVE_TEXDRAW);
    const std::string blocks = Canvas().GetTeXDrawText();
    const std::string good = ReadFile(path);
    Trigger(ID_FILE_NEW);
    const QString hard = m_dir.filePath("hard.txt");
    ASSERT_EQ(0, ::link(QFile::encodeName(path).constData(), QFile::encodeName(hard).constData()));

    const pid_t dead = ::fork();
    if (dead == 0)
        ::_exit(0);
    ASSERT_EQ(dead, ::waitpid(dead, nullptr, 0));
    const QString backup = m_dir.filePath(QString(".drawing.txt.bak%1-0").arg(dead));
    const QString temporary = m_dir.filePath(QString(".drawing.txt.tmp%1-1").arg(dead));
    WriteFile(path, good.substr(0, good.size() / 2));
    WriteFile(backup, good);
    WriteFile(temporary, "\\begin{center}\n");

    m_openPath = path;
    m_bRestore = false;
    Trigger(ID_FILE_OPEN);
    ASSERT_EQ(m_asked.size(), 1);
    EXPECT_TRUE(m_asked[0].startsWith(
        QString("A save of %1 was interrupted; restore the copy made before it?").arg(path)))
        << m_asked[0].toStdString();
    EXPECT_EQ(m_errors.size(), 1);
    EXPECT_FALSE(QFile::exists(temporary));
    EXPECT_TRUE(QFile::exists(backup));

    m_bRestore = true;
    Trigger(ID_FILE_OPEN);
    EXPECT_EQ(m_asked.size(), 2);
    EXPECT_EQ(m_errors.size(), 1) << m_errors.join("\n").toStdString();
    EXPECT_EQ(Canvas().GetTeXDrawText(), blocks);
    EXPECT_EQ(m_app->GetDocument()->GetPathName(), path);
    EXPECT_EQ(ReadFile(path), good);
    EXPECT_EQ(ReadFile(hard), good);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"drawing.txt", "hard.txt"}));
}
