// The TeXDraw text: number formatting, the document around the blocks, the line and arrow
// blocks byte for byte (also under a decimal-comma locale), and writing the file safely.
#include "texdraw/Document.h"
#include "common/RandomDrawing.h"
#include "figures/FigureList.h"
#include "figures/Line.h"
#include "figures/RawTeX.h"
#include "figures/TeXFormat.h"

#include <gtest/gtest.h>

#include <charconv>
#include <limits>
#include <vector>

#include <algorithm>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const std::string kEmptyDocument = "\\begin{center}\n"
                                   "\\begin{texdraw}\n"
                                   "%\\setunitscale 0.3\n"
                                   "\n"
                                   "\\arrowheadtype t:F\n"
                                   "\n"
                                   "\\end{texdraw}\n"
                                   "\\end{center}";

std::string DocumentWith(const std::string& blocks) {
    std::string s = kEmptyDocument;
    s.insert(s.find("\\end{texdraw}"), blocks);
    return s;
}

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

TEST(TeXFormat, TwoDecimalsLikePrintf) {
    struct Case {
        double v;
        const char* text;
    };
    const Case cases[] = {
        {0.0, "0.00"},   {-0.0, "-0.00"},     {-0.001, "-0.00"}, {2.4, "2.40"},
        {-3.4, "-3.40"}, {0.125, "0.12"},     {0.375, "0.38"},   {2.675, "2.67"},
        {0.005, "0.01"}, {1e6, "1000000.00"}, {-6.81, "-6.81"},  {9.995, "9.99"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.text, FormatFixed2(c.v)) << c.v;
    // The same digits as the C library in the C locale, for many values.
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> dist(-900.0, 900.0);
    for (int i = 0; i < 2000; ++i) {
        const double v = i < 1000 ? dist(rng) : std::round(dist(rng) * 1000) / 1000 * 0.01;
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.2f", v);
        ASSERT_EQ(std::string(buf), FormatFixed2(v)) << v;
    }
    EXPECT_EQ("(0.00 -0.00)", TeXPoint(CDoublePoint{0, 0}));
    EXPECT_EQ("(2.40 -3.40)", TeXPoint(CDoublePoint{240, 340}));
}

// The short integer way against std::to_chars on values of every size: drawing coordinates,
// exact ties at the third decimal, tiny and negative values, huge ones, infinities and NaN.
TEST(TeXFormat, SameDigitsAsToChars) {
    const auto plain = [](double v) {
        char buf[400];
        return std::string(
            buf, std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 2).ptr);
    };
    std::mt19937_64 rng(17);
    std::vector<double> values = {0.0,
                                  -0.0,
                                  5e-324,
                                  -5e-324,
                                  1e-300,
                                  0.005,
                                  -0.005,
                                  0.015,
                                  1e15,
                                  -1e15,
                                  9.99999999e14,
                                  1e300,
                                  -1e300,
                                  std::numeric_limits<double>::infinity(),
                                  -std::numeric_limits<double>::infinity(),
                                  std::numeric_limits<double>::quiet_NaN()};
    for (int i = 0; i < 200000; ++i) {
        const int kind = i % 4;
        double v;
        if (kind == 0) // any bit pattern's size
            v = std::ldexp(std::uniform_real_distribution<>(0.5, 1.0)(rng),
                           std::uniform_int_distribution<>(-60, 60)(rng));
        else if (kind == 1) // exact ties: odd multiples of 1/8 and 1/1024
            v = (2 * std::uniform_int_distribution<long long>(-1000000, 1000000)(rng) + 1) /
                (i % 8 ? 8.0 : 1024.0);
        else if (kind == 2) // page values as the writer scales them
            v = 0.01 * std::uniform_real_distribution<>(-90000, 90000)(rng);
        else
            v = -0.005 * std::uniform_int_distribution<int>(-200000, 200000)(rng);
        values.push_back(rng() % 2 ? v : -v);
    }
    for (const double v : values)
        ASSERT_EQ(plain(v), FormatFixed2(v)) << v;
}

// The drawing's text is written block after block into one string: the same bytes as the blocks
// of every kind one by one.
TEST(TeXDrawDocument, WholeTextIsTheBlocksInOrder) {
    CFigureList list;
    CRandomDrawing(8).AddTo(list, 500);
    list.Add(std::make_unique<CRawTeXFigure>("% kept\n"));
    // A figure that still writes the block it wrote when it was read gives back the block read.
    list.GetAt(3)->m_strRecoveredBlock = list.GetAt(3)->ExportTeX();
    list.GetAt(3)->m_strReadBlock = "\n%begin kept\n%end kept\n";
    std::string blocks;
    for (int i = 0; i < list.GetCount(); ++i)
        blocks += list.GetAt(i)->GetTeXDrawBlock();
    EXPECT_EQ(blocks, list.GetTeXDrawText());
}

TEST(TeXDrawDocument, EmptyDrawingAndGridOnly) {
    EXPECT_EQ(kEmptyDocument, MakeTeXDrawDocument(std::string()));
    CFigureList list;
    auto grid = std::make_unique<CLine>();
    grid->m_strTag = "HorizGridLine";
    grid->m_crColor = 0xFF828A;
    grid->m_bSelectable = false;
    list.Add(std::move(grid));
    EXPECT_EQ(kEmptyDocument, MakeTeXDrawDocument(list));
}

// The lines of a drawing with a line, a dotted line, an arrow and a coloured line, exactly.
void ExpectBlocksByteForByte() {
    CFigureList list;
    list.Add(std::make_unique<CLine>());
    auto dotted = std::make_unique<CLine>();
    dotted->m_nPenStyle = kPenStyleDotted;
    list.Add(std::move(dotted));
    auto arrow = std::make_unique<CArrow>();
    arrow->m_pt1 = {0, 0};
    arrow->m_pt2 = {100.4, 0.125};
    arrow->m_nPenStyle = kPenStyleDotted; // arrows write the same block whatever the style
    arrow->m_crColor = RGB(9, 9, 9);      // and whatever the colour
    list.Add(std::move(arrow));
    auto coloured = std::make_unique<CLine>();
    coloured->m_crColor = RGB(1, 0, 0);
    list.Add(std::move(coloured));

    EXPECT_EQ(DocumentWith("\n"
                           "%begin line\n"
                           "\\move(2.40 -2.40)\n"
                           "\\lvec(3.40 -3.40)\n"
                           "%end line\n"
                           "\n"
                           "%begin line\n"
                           "\\lpatt(0.03 0.05)\n"
                           "\\move(2.40 -2.40)\n"
                           "\\lvec(3.40 -3.40)\n"
                           "\\lpatt()\n"
                           "%end line\n"
                           "%begin arrow\n"
                           "\\move(0.00 -0.00)\n"
                           "\\avec(1.00 -0.00)\n"
                           "%end arrow\n"),
              MakeTeXDrawDocument(list));
}

TEST(TeXDrawDocument, LineDottedLineAndArrowBlocks) {
    ExpectBlocksByteForByte();
}

TEST(TeXDrawDocument, DecimalCommaLocaleStillWritesDots) {
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed (scripts/test generates it)";
    char buf[16];
    std::snprintf(buf, sizeof buf, "%.2f", 2.5);
    EXPECT_STREQ("2,50", buf); // the locale really uses a comma
    ExpectBlocksByteForByte();
    std::setlocale(LC_ALL, previous.c_str());
}

class WriteTeXDrawFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/quodra-write-XXXXXX";
        ASSERT_NE(nullptr, ::mkdtemp(tmpl));
        m_dir = tmpl;
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(m_dir, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(m_dir, ec);
    }
    // Files in the folder other than the given one (left-over temporary files).
    std::vector<std::string> Others(const fs::path& keep) const {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(m_dir))
            if (e.path() != keep)
                out.push_back(e.path().filename().string());
        return out;
    }
    fs::path m_dir;
};

TEST_F(WriteTeXDrawFileTest, WritesTheTextWithPlainLineFeeds) {
    const fs::path file = m_dir / "drawing.txt";
    std::string error = "stale";
    ASSERT_TRUE(WriteTeXDrawFile(file.string(), kEmptyDocument, error)) << error;
    EXPECT_EQ("", error);
    EXPECT_EQ(kEmptyDocument, ReadFile(file));
    // Replacing a longer file leaves nothing of it behind.
    ASSERT_TRUE(WriteTeXDrawFile(file.string(), "short", error)) << error;
    EXPECT_EQ("short", ReadFile(file));
    EXPECT_EQ(std::vector<std::string>{}, Others(file));
}

TEST_F(WriteTeXDrawFileTest, UnwritableTargetsFailWithAReason) {
    std::string error;
    const fs::path missing = m_dir / "no-such-folder" / "drawing.txt";
    EXPECT_FALSE(WriteTeXDrawFile(missing.string(), "x", error));
    EXPECT_NE(std::string::npos, error.find(missing.string())) << error;
    EXPECT_NE(std::string::npos, error.find("No such file or directory")) << error;

    EXPECT_FALSE(WriteTeXDrawFile(m_dir.string(), "x", error)); // a folder
    EXPECT_NE(std::string::npos, error.find(m_dir.string())) << error;
    EXPECT_FALSE(WriteTeXDrawFile("", "x", error));
    EXPECT_FALSE(error.empty());

    if (::geteuid() != 0) { // root may write anywhere
        fs::permissions(m_dir, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(WriteTeXDrawFile((m_dir / "drawing.txt").string(), "x", error));
        EXPECT_NE(std::string::npos, error.find("Permission denied")) << error;
    }
}

TEST_F(WriteTeXDrawFileTest, AFailedWriteKeepsTheGoodFile) {
    const fs::path file = m_dir / "drawing.txt";
    const std::string good = DocumentWith("%begin arrow\n%end arrow\n");
    std::string error;
    ASSERT_TRUE(WriteTeXDrawFile(file.string(), good, error)) << error;

    // A file size limit makes the write fail half-way, as a full disk would.
    struct rlimit old {};
    ASSERT_EQ(0, ::getrlimit(RLIMIT_FSIZE, &old));
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(0, ::setrlimit(RLIMIT_FSIZE, &small));
    const bool ok = WriteTeXDrawFile(file.string(), std::string(100000, 'x'), error);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(ok);
    EXPECT_NE(std::string::npos, error.find(file.string())) << error;
    EXPECT_EQ(good, ReadFile(file));
    EXPECT_EQ(std::vector<std::string>{}, Others(file));
}

TEST_F(WriteTeXDrawFileTest, KeepsPermissionsAndWritesThroughLinks) {
    const fs::path file = m_dir / "drawing.tex";
    std::string error;
    ASSERT_TRUE(WriteTeXDrawFile(file.string(), "old", error)) << error;
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const fs::path link = m_dir / "link.tex";
    fs::create_symlink(file, link);
    ASSERT_TRUE(WriteTeXDrawFile(link.string(), "new", error)) << error;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ("new", ReadFile(file));
    EXPECT_EQ(fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read,
              fs::status(file).permissions());
}

TEST_F(WriteTeXDrawFileTest, FollowsLinksKeepsHardLinksAndFitsLongNames) {
    std::string error;
    // A chain of relative links, and a link whose target does not exist yet: the links stay.
    const fs::path file = m_dir / "drawing.tex";
    ASSERT_TRUE(WriteTeXDrawFile(file.string(), "old", error)) << error;
    fs::create_directory(m_dir / "sub");
    fs::create_symlink("../drawing.tex", m_dir / "sub" / "one.tex");
    fs::create_symlink("sub/one.tex", m_dir / "two.tex");
    fs::create_symlink("later.tex", m_dir / "dangling.tex");
    ASSERT_TRUE(WriteTeXDrawFile((m_dir / "two.tex").string(), "new", error)) << error;
    ASSERT_TRUE(WriteTeXDrawFile((m_dir / "dangling.tex").string(), "later", error)) << error;
    EXPECT_TRUE(fs::is_symlink(m_dir / "two.tex"));
    EXPECT_TRUE(fs::is_symlink(m_dir / "sub" / "one.tex"));
    EXPECT_TRUE(fs::is_symlink(m_dir / "dangling.tex"));
    EXPECT_EQ("new", ReadFile(file));
    EXPECT_EQ("later", ReadFile(m_dir / "later.tex"));

    // Every hard link of a file shows the new drawing; the backup is gone.
    fs::create_hard_link(file, m_dir / "hard.tex");
    ASSERT_TRUE(WriteTeXDrawFile(file.string(), "both names", error)) << error;
    EXPECT_EQ("both names", ReadFile(m_dir / "hard.tex"));
    EXPECT_EQ(2u, fs::hard_link_count(file));

    // A name at the folder's length limit still gets its temporary file.
    const fs::path longName = m_dir / (std::string(251, 'n') + ".txt");
    ASSERT_TRUE(WriteTeXDrawFile(longName.string(), "long", error)) << error;
    ASSERT_TRUE(WriteTeXDrawFile(longName.string(), "longer", error)) << error;
    EXPECT_EQ("longer", ReadFile(longName));

    std::vector<std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(m_dir))
        files.push_back(e.path().lexically_relative(m_dir).string());
    std::sort(files.begin(), files.end());
    const std::vector<std::string> expected{
        "dangling.tex", "drawing.tex", "hard.tex", "later.tex", std::string(251, 'n') + ".txt",
        "sub",          "sub/one.tex", "two.tex"};
    EXPECT_EQ(expected, files);
}

// Runs check as an ordinary user (in a child process when the tests run as root) and returns
// what it reports; nullopt when the privileges cannot be dropped.
std::optional<std::string> AsOrdinaryUser(const fs::path& dir,
                                          const std::function<std::string()>& check) {
    if (::geteuid() != 0)
        return check();
    if (::chown(dir.c_str(), 65534, 65534) != 0)
        return std::nullopt;
    int fds[2];
    if (::pipe(fds) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        std::string out = "cannot become user 65534";
        if (::setgid(65534) == 0 && ::setuid(65534) == 0 && ::geteuid() == 65534)
            out = check();
        (void)!::write(fds[1], out.data(), out.size());
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string out;
    char buf[512];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;)
        out.append(buf, static_cast<size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (out == "cannot become user 65534")
        return std::nullopt;
    return out;
}

TEST_F(WriteTeXDrawFileTest, RefusesReadOnlyFilesAndWhatIsNoFile) {
    std::string error;
    const fs::path fifo = m_dir / "pipe.txt";
    ASSERT_EQ(0, ::mkfifo(fifo.c_str(), 0666));
    EXPECT_FALSE(WriteTeXDrawFile(fifo.string(), "x", error));
    EXPECT_NE(std::string::npos, error.find("not an ordinary file")) << error;
    EXPECT_TRUE(fs::is_fifo(fifo));

    const auto failure = AsOrdinaryUser(m_dir, [dir = m_dir]() -> std::string {
        const fs::path file = dir / "read-only.txt";
        std::string error;
        if (!WriteTeXDrawFile(file.string(), "kept", error))
            return "first save failed: " + error;
        ::chmod(file.c_str(), 0444);
        if (WriteTeXDrawFile(file.string(), "lost", error))
            return "a read-only file was replaced";
        if (error.find("may not write") == std::string::npos)
            return "unclear message: " + error;
        if (ReadFile(file) != "kept")
            return "the read-only file changed";
        return "";
    });
    if (!failure)
        GTEST_SKIP() << "running as root without a way to become an ordinary user";
    EXPECT_EQ("", *failure);
}

// A process number that no process has any more: a child that has ended and been waited for.
pid_t DeadProcess() {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

void WriteRaw(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

// Saves over a file with a second hard link, killed at random moments by SIGKILL: after the
// leftovers are tidied through the other name (and a backup restored when one is named) both
// names show one complete
// drawing, the one before the save or the one it wrote, and nothing else is left in the folder.
TEST_F(WriteTeXDrawFileTest, KilledInPlaceSavesLeaveACompleteDrawing) {
    std::string blocks;
    for (int i = 0; blocks.size() < 1500000; ++i)
        blocks += "%begin line\n\\move (" + std::to_string(i) + " 0)\n%end line\n";
    const std::string before = DocumentWith(blocks);
    const std::string after = DocumentWith(blocks.substr(0, blocks.size() / 2));
    const fs::path file = m_dir / "drawing.txt";
    const fs::path hard = m_dir / "hard.txt";
    WriteRaw(file, before);
    fs::create_hard_link(file, hard);

    std::mt19937 rng(11);
    int restored = 0;
    for (int round = 0; round < 12; ++round) {
        int ready[2];
        ASSERT_EQ(0, ::pipe(ready));
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(ready[0]);
            (void)!::write(ready[1], "!", 1);
            std::string error;
            for (int i = 0; i < 200; ++i)
                WriteTeXDrawFile(file.string(), i % 2 ? before : after, error);
            ::_exit(0);
        }
        ::close(ready[1]);
        char c = 0;
        ASSERT_EQ(1, ::read(ready[0], &c, 1));
        ::close(ready[0]);
        ::usleep(std::uniform_int_distribution<useconds_t>(0, 150000)(rng));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(child, ::waitpid(child, &status, 0));

        const CSaveLeftovers left = TidySaveLeftovers(hard.string());
        if (left.backup) {
            std::string error;
            ASSERT_TRUE(RestoreSaveBackup(hard.string(), *left.backup, error)) << error;
            ++restored;
        }
        const std::string text = ReadFile(file);
        ASSERT_TRUE(text == before || text == after) << "round " << round << ": " << text.size();
        EXPECT_EQ(text, ReadFile(hard));
        EXPECT_EQ(2u, fs::hard_link_count(file));
        EXPECT_EQ(std::vector<std::string>{"hard.txt"}, Others(file)) << "round " << round;
    }
    RecordProperty("restored", restored);
}

// The leftovers exactly as a killed save leaves them, beside a file with two names: the backup
// of a write cut short is named and restored; temporaries of dead saves go; what a running save
// (or another file's save) owns stays; a process that started after a leftover was written
// does not own it.
TEST_F(WriteTeXDrawFileTest, LeftoversOfDeadSavesAreRestoredOrRemoved) {
    const std::string old = DocumentWith("%begin arrow\n%end arrow\n");
    const std::string next = DocumentWith("%begin line\n%end line\n%begin line\n%end line\n");
    const fs::path file = m_dir / "drawing.txt";
    WriteRaw(file, next.substr(0, next.size() / 2));
    fs::create_hard_link(file, m_dir / "hard.txt");
    const std::string dead = std::to_string(DeadProcess());
    const std::string self = std::to_string(::getpid());
    const fs::path backup = m_dir / (".drawing.txt.bak" + dead + "-3");
    WriteRaw(backup, old);
    WriteRaw(m_dir / (".drawing.txt.tmp" + dead + "-4"), next.substr(0, 10));
    WriteRaw(m_dir / (".drawing.txt.tmp" + self + "-5"), next); // a save running now
    WriteRaw(m_dir / (".other.txt.tmp" + dead + "-1"), next);   // another file's
    const fs::path reused = m_dir / (".drawing.txt.tmp" + self + "-6");
    WriteRaw(reused, "cut");
    const struct timespec longAgo[2] = {{1000, 0}, {1000, 0}};
    ASSERT_EQ(0, ::utimensat(AT_FDCWD, reused.c_str(), longAgo, 0));

    CSaveLeftovers left = TidySaveLeftovers(file.string());
    ASSERT_TRUE(left.backup.has_value());
    EXPECT_EQ(backup.string(), *left.backup);
    std::vector<std::string> gone{(m_dir / (".drawing.txt.tmp" + dead + "-4")).string(),
                                  reused.string()};
    std::sort(gone.begin(), gone.end());
    std::sort(left.removed.begin(), left.removed.end());
    EXPECT_EQ(gone, left.removed);
    std::string error;
    ASSERT_TRUE(RestoreSaveBackup(file.string(), *left.backup, error)) << error;
    EXPECT_EQ(old, ReadFile(m_dir / "hard.txt"));
    EXPECT_EQ(2u, fs::hard_link_count(file));

    // A complete file beside a dead save's backup: the write ended just before the copy went.
    // A backup without its file is left to the user.
    WriteRaw(backup, next);
    WriteRaw(m_dir / (".gone.txt.bak" + dead + "-1"), old);
    left = TidySaveLeftovers(file.string());
    EXPECT_FALSE(left.backup.has_value());
    EXPECT_EQ(std::vector<std::string>{backup.string()}, left.removed);
    EXPECT_FALSE(TidySaveLeftovers((m_dir / "gone.txt").string()).backup.has_value());
    std::vector<std::string> files = Others(file);
    std::sort(files.begin(), files.end());
    EXPECT_EQ(
        (std::vector<std::string>{".drawing.txt.tmp" + self + "-5", ".gone.txt.bak" + dead + "-1",
                                  ".other.txt.tmp" + dead + "-1", "hard.txt"}),
        files);
}

} // namespace
