// A drawing from a stranger, typeset by the real toolchain: it reads and writes no file outside
// its job folder, its programs are bounded and die with the editor, and the command line keeps
// the user's files whole.
#include "common/AddFigure.h"

#include "app/CommandLine.h"
#include "app/Sandbox.h"
#include "app/Typesetter.h"
#include "figures/TextFigures.h"
#include "texdraw/Document.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class CSandboxTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!CTypesetter::FindMissingTools(ETypesetOutput::Svg).isEmpty())
            GTEST_SKIP() << "The LaTeX toolchain is not installed (scripts/test installs it).";
        ASSERT_TRUE(m_dir.isValid());
    }

    // A drawing file holding one text rectangle with the text.
    QString WriteDrawing(const QString& name, const std::string& text) {
        CFigureList list;
        AddFigure<CTextRectangle>(list, 100, 100, 300, 160).SetText(text);
        const QString path = m_dir.filePath(name);
        std::string error;
        EXPECT_TRUE(WriteTeXDrawFile(path.toStdString(), MakeTeXDrawDocument(list), error))
            << error;
        return path;
    }

    int Run(QStringList args) {
        m_strOut.clear();
        m_strErr.clear();
        QTextStream out(&m_strOut), err(&m_strErr);
        args.prepend("quodra");
        return RunCommandLine(args, out, err);
    }

    CTypesetResult Typeset(CTypesetter& t, const std::string& text, const QString& preamble = {}) {
        CFigureList list;
        AddFigure<CTextRectangle>(list, 100, 100, 300, 160).SetText(text);
        CTypesetRequest request;
        request.strDocument = MakeTeXDrawDocument(list);
        request.strPreamble = preamble;
        request.eOutput = ETypesetOutput::Pdf;
        request.strOutputPath = m_dir.filePath("out.pdf");
        return t.Run(request);
    }

    QTemporaryDir m_dir;
    QString m_strOut, m_strErr;
};

TEST_F(CSandboxTest, NoFileOutsideTheJobFolderIsReadOrWritten) {
    const QString victim = m_dir.filePath("written-by-the-drawing");
    const std::string hostile[] = {
        "\\input{/etc/hostname}",
        "\\input{\\string~/.profile}",
        "\\special{psfile=/etc/hostname}",
        "\\special{ps: (" + victim.toStdString() + ") (w) file dup (x) writestring closefile}",
    };
    for (const std::string& text : hostile) {
        const QString drawing = WriteDrawing("hostile.txt", text);
        for (const char* out : {"out.pdf", "out.svg", "out.png"}) {
            EXPECT_EQ(Run({"--export", m_dir.filePath(out), drawing}), 1)
                << text << " into " << out << " typeset";
            EXPECT_TRUE(m_strErr.startsWith("quodra: cannot export")) << text;
            EXPECT_FALSE(QFile::exists(m_dir.filePath(out))) << text << " into " << out;
        }
    }
    EXPECT_FALSE(QFile::exists(victim));
    EXPECT_EQ(Run({"--export", m_dir.filePath("out.pdf"),
                   WriteDrawing("hostile.txt", "\\input{/etc/hostname}")}),
              1);
    EXPECT_TRUE(m_strErr.contains("LaTeX may not read /etc/hostname")) << m_strErr.toStdString();

    // The same through the preamble.
    QFile preamble(m_dir.filePath("preamble.tex"));
    ASSERT_TRUE(preamble.open(QIODevice::WriteOnly));
    preamble.write("\\input{/etc/hostname}\n");
    preamble.close();
    EXPECT_EQ(Run({"--export", m_dir.filePath("out.pdf"), "--preamble", preamble.fileName(),
                   WriteDrawing("plain.txt", "plain")}),
              1);
    EXPECT_TRUE(m_strErr.contains("in the LaTeX preamble")) << m_strErr.toStdString();

    // Another output file (asked by name, or straight from Ghostscript's own dictionary for the
    // rest of the page), a deletion or a renaming is refused, and the drawing is told so.
    const std::string changes[] = {
        "<< /OutputFile (x.png) >> setpagedevice",
        "SI restore << /OutputFile (x.png) >> systemdict /setpagedevice get exec /SI save def 0 0 "
        "moveto 9 9 rlineto stroke",
        "(main.tex) deletefile",
        "(main.tex) (x.tex) renamefile",
    };
    for (const std::string& change : changes) {
        const QString drawing = WriteDrawing("change.txt", "\\special{ps: " + change + "}");
        for (const QStringList& how :
             {QStringList{"--export", m_dir.filePath("out.pdf")},
              {"--export", m_dir.filePath("out.png"), "--crop", "page", "--dpi", "30"}}) {
            EXPECT_EQ(Run(how + QStringList{drawing}), 1) << change;
            EXPECT_TRUE(m_strErr.contains("The drawing tried to write or delete a file"))
                << change << ": " << m_strErr.toStdString();
        }
    }
}

TEST_F(CSandboxTest, MemoryFilesAndImageSizeAreBounded) {
    CTypesetter t;
    t.m_limits = {256ll << 20, 2ll << 20, 6ll << 20};
    CTypesetResult r = Typeset(t, "\\special{ps: /a [] def {/a [a 4000000 string] def} loop}");
    EXPECT_FALSE(r.bOk);
    EXPECT_TRUE(r.strError.contains("memory")) << r.strError.toStdString();

    // One file without end, then many files that stay under the size of one.
    const QString line = "\\newwrite\\qw\\def\\qx{" + QString(1000, 'x') + "}";
    r = Typeset(t, "x",
                line + "\\immediate\\openout\\qw=big.txt\\loop\\immediate\\write\\qw{\\qx}"
                       "\\iftrue\\repeat");
    EXPECT_FALSE(r.bOk);
    EXPECT_TRUE(r.strError.contains("larger than 2 MB")) << r.strError.toStdString();
    r = Typeset(t, "x",
                line + "\\newcount\\qn\\newcount\\qk"
                       "\\def\\qfile{{\\qk=0 \\loop\\immediate\\write\\qw{\\qx}\\advance\\qk1 "
                       "\\ifnum\\qk<1000 \\repeat}}"
                       "\\loop\\advance\\qn1 \\immediate\\openout\\qw=f\\the\\qn.txt "
                       "\\qfile\\immediate\\closeout\\qw\\iftrue\\repeat");
    EXPECT_FALSE(r.bOk);
    EXPECT_TRUE(r.strError.contains("more than 6 MB of files")) << r.strError.toStdString();
    // The sandbox held for these runs: the next one typesets.
    EXPECT_TRUE(Typeset(t, "fine").bOk);

    EXPECT_TRUE(CTypesetter::CheckImageSize(6.81, 8.01, 1200).isEmpty());
    EXPECT_EQ(Run({"--export", m_dir.filePath("huge.png"), "--dpi", "4800", "--crop", "page",
                   WriteDrawing("plain.txt", "plain")}),
              2);
    EXPECT_TRUE(m_strErr.contains("Choose 1")) << m_strErr.toStdString();
    EXPECT_FALSE(QFile::exists(m_dir.filePath("huge.png")));
    // A drawing that makes its own page larger, through the page device or the device itself,
    // is refused before that page is rasterised.
    for (const char* grow : {"<< /PageSize [2500 2500] >> setpagedevice",
                             "mark /HWSize [25000 25000] currentdevice putdeviceprops setdevice"}) {
        const QString drawing = WriteDrawing("grow.txt", std::string("\\special{ps: SI restore ") +
                                                             grow + " /SI save def}");
        EXPECT_EQ(Run({"--export", m_dir.filePath("huge.png"), "--crop", "page", drawing}), 1)
            << grow;
        EXPECT_TRUE(m_strErr.contains("megapixels")) << grow << ": " << m_strErr.toStdString();
        EXPECT_FALSE(QFile::exists(m_dir.filePath("huge.png"))) << grow;
    }
}

// The children of a running export die with it, a killed export's folder goes at the next start,
// and SIGTERM ends the run cleanly.
TEST_F(CSandboxTest, ChildrenDieWithTheExportAndFoldersGo) {
    QTemporaryDir tmp;
    const QString drawing = WriteDrawing("loop.txt", "\\loop\\iftrue\\repeat");
    const auto latexChildOf = [](qint64 parent) -> qint64 {
        for (const QString& pid : QDir("/proc").entryList(QDir::Dirs)) {
            QFile stat("/proc/" + pid + "/stat");
            if (!stat.open(QIODevice::ReadOnly))
                continue;
            const QString s = QString::fromLatin1(stat.readAll());
            const QStringList after = s.mid(s.lastIndexOf(')') + 2).split(' ');
            if (s.contains("(latex)") || s.contains("(pdftex)"))
                if (after.size() > 1 && after[1].toLongLong() == parent)
                    return pid.toLongLong();
        }
        return 0;
    };
    const auto alive = [](qint64 pid) {
        QFile stat(QString("/proc/%1/stat").arg(pid));
        return stat.open(QIODevice::ReadOnly) && !stat.readAll().contains(") Z ");
    };
    for (const int sig : {SIGKILL, SIGTERM}) {
        QProcess quodra;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TMPDIR", tmp.path());
        quodra.setProcessEnvironment(env);
        quodra.start(QUODRA_BINARY, {"--export", m_dir.filePath("out.pdf"), drawing});
        ASSERT_TRUE(quodra.waitForStarted());
        qint64 latex = 0;
        for (int i = 0; i < 200 && latex == 0; ++i, QTest::qWait(50))
            latex = latexChildOf(quodra.processId());
        ASSERT_NE(latex, 0) << "latex never started";
        // A running editor's folder stays, and its name does not tell a drawing the editor's
        // process.
        EXPECT_EQ(RemoveStaleJobFolders(tmp.path()), 0);
        const QStringList running = QDir(tmp.path()).entryList({"quodra_dv-*"}, QDir::Dirs);
        ASSERT_EQ(running.size(), 1);
        EXPECT_FALSE(running[0].split('-').contains(QString::number(quodra.processId())))
            << running[0].toStdString();
        ::kill(static_cast<pid_t>(quodra.processId()), sig);
        ASSERT_TRUE(quodra.waitForFinished(10000));
        for (int i = 0; i < 100 && alive(latex); ++i)
            QTest::qWait(50);
        EXPECT_FALSE(alive(latex)) << "latex outlived the export, signal " << sig;
        const QStringList left = QDir(tmp.path()).entryList({"quodra_dv-*"}, QDir::Dirs);
        if (sig == SIGTERM) {
            EXPECT_EQ(quodra.exitCode(), 128 + SIGTERM);
            EXPECT_TRUE(left.isEmpty()) << left.join(' ').toStdString();
        } else {
            EXPECT_EQ(left.size(), 1);
            EXPECT_EQ(RemoveStaleJobFolders(tmp.path()), 1);
            EXPECT_TRUE(QDir(tmp.path()).entryList({"quodra_dv-*"}, QDir::Dirs).isEmpty());
        }
    }
}

// The preview's latex (from a format) and Ghostscript are started before their drawing arrives:
// a drawing that tries to stay in Ghostscript (leaving the job's save level, a hook on every later
// page), to read a file or to hang changes nothing for the next drawing, whose preview is, to the
// byte, what latex, dvips and Ghostscript started afresh on its files make.
TEST_F(CSandboxTest, APreviewLeavesNothingForTheNextDrawing) {
    CTypesetter t;
    t.m_nTimeoutMs = 5000;
    const auto preview = [&](const std::string& text, double dpi) {
        CFigureList list;
        AddFigure<CTextRectangle>(list, 100, 100, 300, 160).SetText(text);
        CTypesetRequest request;
        request.strDocument = MakeTeXDrawDocument(list);
        request.dDpi = dpi;
        return t.Run(request);
    };
    const std::string stay =
        "\\special{ps: {serverdict begin 0 exitserver} stopped pop {true 0 startjob pop} stopped "
        "pop true setglobal userdict /qleft true put << /EndPage {exch pop 0 eq {0 0 moveto 600 "
        "600 lineto 30 setlinewidth stroke} if true} >> setpagedevice}";
    const std::string hostile[] = {
        stay,
        stay + "\\special{ps: (/etc/hostname) (r) file pop}",
        "\\special{ps: {} loop}",
    };
    bool formatUsed = false;
    for (const double dpi : {100.0, 72.0}) {
        for (const std::string& text : hostile) {
            if (dpi != 100 && text != hostile[1])
                continue; // at another resolution one drawing is enough
            const CTypesetResult bad = preview(text, dpi);
            if (text.find("hostname") != std::string::npos) {
                EXPECT_TRUE(bad.strError.contains("refused to open a file"))
                    << bad.strError.toStdString();
            }
            const CTypesetResult good = preview("next $x^2$", dpi);
            ASSERT_TRUE(good.bOk) << good.strError.toStdString();
            // The plain way, each tool started afresh on files in a folder of their own.
            const QDir job(t.GetJobFolder());
            ASSERT_TRUE(job.mkpath("plain"));
            const QDir plain(job.filePath("plain"));
            QFile source(job.filePath("main.tex")), copy(plain.filePath("main.tex"));
            ASSERT_TRUE(source.open(QIODevice::ReadOnly) && copy.open(QIODevice::WriteOnly));
            QByteArray tex = source.readAll();
            formatUsed |= tex.startsWith('%');
            copy.write(tex.startsWith('%') ? tex.mid(1) : tex);
            copy.close();
            QStringList gsArgs = CTypesetter::PreviewRenderArgs(dpi);
            gsArgs.replace(gsArgs.indexOf("-_"), "page.ps");
            for (const auto& [tool, args] :
                 {std::pair<QString, QStringList>{"latex", {"-interaction=nonstopmode", "main"}},
                  {"dvips", CTypesetter::PreviewDvipsArgs(dpi, MakeTypesetSource({}, {}).nMargin,
                                                          kTypesetPageWidth, kTypesetPageHeight)},
                  {"gs", gsArgs}}) {
                QProcess p;
                p.setWorkingDirectory(plain.path());
                p.start(tool, args);
                ASSERT_TRUE(p.waitForFinished(20000) && p.exitCode() == 0) << tool.toStdString();
            }
            QFile made(plain.filePath("out.ppm")), shown(job.filePath("out.ppm"));
            ASSERT_TRUE(made.open(QIODevice::ReadOnly) && shown.open(QIODevice::ReadOnly));
            EXPECT_TRUE(made.readAll() == shown.readAll()) << text << " at " << dpi << " dpi";
            EXPECT_EQ(good.image.size(), QImage(plain.filePath("out.ppm")).size());
        }
    }
    EXPECT_TRUE(formatUsed);
}

TEST_F(CSandboxTest, ErrorsSayWhereAndTheLogIsKept) {
    CTypesetter t;
    // An error inside a file the preamble reads names that file and line.
    CTypesetResult r = Typeset(t, "x",
                               "\\begin{filecontents*}[overwrite]{qsub.sty}\n"
                               "\\ProvidesPackage{qsub}\n\\def\\qx{\\qundefined}\n\\qx\n"
                               "\\end{filecontents*}\n\\usepackage{qsub}\n");
    EXPECT_FALSE(r.bOk);
    EXPECT_TRUE(r.strError.contains("Unknown command \\qundefined")) << r.strError.toStdString();
    EXPECT_TRUE(r.strError.contains("(In qsub.sty, line 3")) << r.strError.toStdString();
    // A text longer than TeX's buffer is named, its figure found, and the log kept.
    CFigureList list;
    AddFigure<CTextRectangle>(list, 10, 10, 50, 50).SetText("short");
    AddFigure<CTextRectangle>(list, 100, 100, 300, 160).SetText(std::string(250000, 'x'));
    const CTeXDrawLineMap map(list);
    CTypesetRequest request;
    request.strDocument = map.GetDocument();
    request.strOutputPath = m_dir.filePath("out.pdf");
    request.eOutput = ETypesetOutput::Pdf;
    r = t.Run(request);
    EXPECT_FALSE(r.bOk);
    EXPECT_TRUE(r.strError.contains("longer than LaTeX can read on one line"))
        << r.strError.toStdString();
    EXPECT_EQ(FindTypesetErrorFigure(r, list, map), list.GetAt(1));
    QFile log(r.strLogPath);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly)) << r.strLogPath.toStdString();
    EXPECT_TRUE(log.readAll().contains("Unable to read an entire line"));
}

TEST_F(CSandboxTest, TheCommandLineKeepsTheUsersFilesWhole) {
    const QString drawing = WriteDrawing("d.pdf", "text");
    QFile::link(drawing, m_dir.filePath("link.pdf"));
    ASSERT_EQ(::link(QFile::encodeName(drawing).constData(),
                     QFile::encodeName(m_dir.filePath("hard.pdf")).constData()),
              0);
    const QByteArray before = [&] {
        QFile f(drawing);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    for (const QString& out : {drawing, m_dir.filePath("link.pdf"), m_dir.filePath("hard.pdf")}) {
        EXPECT_EQ(Run({"--export", out, drawing}), 2) << out.toStdString();
        EXPECT_TRUE(m_strErr.contains("would destroy it")) << m_strErr.toStdString();
    }
    QFile kept(drawing);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), before);

    // An export through a link replaces the link's target and keeps its mode.
    const QString target = m_dir.filePath("target.pdf");
    QFile(target).open(QIODevice::WriteOnly);
    ASSERT_EQ(::chmod(target.toLocal8Bit().constData(), 0600), 0);
    QFile::link(target, m_dir.filePath("to-target.pdf"));
    EXPECT_EQ(Run({"--export", m_dir.filePath("to-target.pdf"), drawing}), 0)
        << m_strErr.toStdString();
    EXPECT_TRUE(QFileInfo(m_dir.filePath("to-target.pdf")).isSymLink());
    EXPECT_GT(QFileInfo(target).size(), 0);
    struct stat st {};
    ASSERT_EQ(::stat(target.toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // Preamble files that never end, block or are too long are refused at once.
    const QString fifo = m_dir.filePath("fifo");
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    QFile big(m_dir.filePath("big.tex"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.write(QByteArray(kMaxPreambleBytes + 1, '%'));
    big.close();
    for (const QString& p : {QString("/dev/zero"), fifo, big.fileName()}) {
        EXPECT_EQ(Run({"--export", m_dir.filePath("out.pdf"), "--preamble", p, drawing}), 2);
        EXPECT_TRUE(m_strErr.contains("not an ordinary file") || m_strErr.contains("longer than"))
            << m_strErr.toStdString();
    }
}

} // namespace
