// Files that are not drawings, cut off, or hold numbers that cannot be coordinates are refused
// with a message naming the file and the line, and the list given to the reader stays as it was.
#include "ReaderTestUtil.h"

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace {

const std::string kLine = "\n%begin line\n\\move(1.00 -1.00)\n\\lvec(2.00 -2.00)\n%end line\n";

std::string WithPoint(const std::string& x, const std::string& y) {
    return "\n%begin line\n\\move(" + x + " " + y + ")\n\\lvec(2.00 -2.00)\n%end line\n";
}

struct CRefusedCase {
    const char* name;
    std::string text;
    std::string error; // the whole message for a file read as "bad.txt"
};

class ReaderRefuses : public testing::TestWithParam<CRefusedCase> {};

TEST_P(ReaderRefuses, WithFileAndLineAndLeavesTheListAlone) {
    const CRefusedCase& c = GetParam();
    CFigureList list;
    auto sentinel = std::make_unique<CArrow>();
    CFigure* kept = sentinel.get();
    list.Add(std::move(sentinel));

    const CTeXDrawReadResult r = ReadTeXDrawText(c.text, "bad.txt", list);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, c.error);
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.GetAt(0), kept);
}

const std::string kHead = TestHeader();
const std::string kDoc = TestDocument(kLine + kLine);

const CRefusedCase kRefused[] = {
    {"Empty", "", "bad.txt: the file is empty"},
    {"BinaryBytes", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
     "bad.txt, line 3: the file holds binary data, not text"},
    {"BinaryInsideTheDrawing", kHead + std::string("\n%begin line\n\\mo\0ve\n", 20) + "x",
     "bad.txt, line 9: the file holds binary data, not text"},
    {"HighBytesOnly", "\xff\xfe\xfd\xfc\n\x80",
     "bad.txt, line 1: this is not a TeXDraw drawing saved by this editor (expected "
     "\"\\begin{center}\")"},
    {"LaTeXDocument", "\\documentclass{article}\n\\begin{document}\n",
     "bad.txt, line 1: this is not a TeXDraw drawing saved by this editor (expected "
     "\"\\begin{center}\")"},
    {"OtherHeaderLine", "\\begin{center}\n\\begin{texdraw}\n\\setunitscale 0.3\n",
     "bad.txt, line 3: this is not a TeXDraw drawing saved by this editor (expected "
     "\"%\\setunitscale 0.3\")"},
    {"MissingEmptyHeaderLine",
     "\\begin{center}\n\\begin{texdraw}\n%\\setunitscale 0.3\n"
     "\\arrowheadtype t:F\n",
     "bad.txt, line 4: this is not a TeXDraw drawing saved by this editor (expected an empty "
     "line)"},
    {"CutOffInTheHeader", kHead.substr(0, 20),
     "bad.txt, line 2: the file ends inside the header; it may have been cut off"},
    {"CutOffInABlock", kDoc.substr(0, kDoc.find("\\lvec", kHead.size() + 20)),
     "bad.txt, line 9: the file ends before the drawing does (\"\\end{texdraw}\" and "
     "\"\\end{center}\" are missing), inside the block \"line\" begun on line 8; it may have "
     "been cut off"},
    {"CutOffInTheFooter", kDoc.substr(0, kDoc.size() - 3),
     "bad.txt, line 18: the file ends before the drawing does (\"\\end{texdraw}\" and "
     "\"\\end{center}\" are missing); it may have been cut off"},
    {"TextAfterTheFooter", kDoc + "\n\nmore",
     "bad.txt, line 20: there is more text after the end of the drawing (\"\\end{center}\")"},
    {"FooterNotOnALineOfItsOwn", kHead + "%end line" + "\\end{texdraw}\n\\end{center}",
     "bad.txt, line 7: \"\\end{texdraw}\" does not begin its line"},
    {"NotANumber", TestDocument(kLine + WithPoint("nan", "-1.00")),
     "bad.txt, line 14: the number \"nan\" is not a coordinate on a page"},
    {"Infinite", TestDocument(WithPoint("1.00", "-inf")),
     "bad.txt, line 9: the number \"-inf\" is not a coordinate on a page"},
    {"TooLargeForADouble", TestDocument(WithPoint("1e999", "0.00")),
     "bad.txt, line 9: the number \"1e999\" is not a coordinate on a page"},
    {"HugeButFinite", TestDocument(WithPoint("1e308", "0.00")),
     "bad.txt, line 9: the number \"1e308\" is not a coordinate on a page"},
    {"FarOffThePage", TestDocument(WithPoint("10000.01", "0.00")),
     "bad.txt, line 9: the number \"10000.01\" is not a coordinate on a page"},
    {"TooSmallForADouble", TestDocument(WithPoint("1e-999", "0.00")),
     "bad.txt, line 9: the number \"1e-999\" is not a coordinate on a page"},
    {"BadTextCentre",
     TestDocument("%begin textrectangle\n\n%begin rectangle\n\\move(1.00 -1.00)\n"
                  "\\lvec(1.00 -1.50)\n\\move(1.00 -1.00)\n\\lvec(2.00 -1.00)\n"
                  "\\move(2.00 -1.50)\n\\lvec(2.00 -1.00)\n\\move(2.00 -1.50)\n"
                  "\\lvec(1.00 -1.50)\n%end rectangle\n\n\\textref h:C v:C\n"
                  "\\htext (NaN -1.25){Label}\n%end textrectangle\n"),
     "bad.txt, line 21: the number \"NaN\" is not a coordinate on a page"},
};

INSTANTIATE_TEST_SUITE_P(Cases, ReaderRefuses, testing::ValuesIn(kRefused),
                         [](const auto& info) { return std::string(info.param.name); });

// A scratch folder of its own for the file tests.
class ReaderFiles : public testing::Test {
protected:
    std::filesystem::path dir;
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("quodra-reader-" + std::to_string(::getpid()) + "-" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string Write(const std::string& name, const std::string& text) {
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
};

TEST_F(ReaderFiles, RefusesWhatIsNoReadableFile) {
    const std::string missing = (dir / "missing.txt").string();
    const std::string fifo = (dir / "pipe.txt").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string huge = (dir / "huge.txt").string();
    Write("huge.txt", TestHeader());
    std::filesystem::resize_file(huge, kMaxTeXDrawFileBytes + 1); // sparse: nothing is written
    const struct {
        std::string path, error;
    } cases[] = {
        {missing, missing + ": the file cannot be found"},
        {dir.string(), dir.string() + ": this is a folder, not a file"},
        {fifo, fifo + ": this is not an ordinary file"},
        {huge, huge + ": the file is 256 MB long, more than a drawing can be (256 MB)"},
    };
    for (const auto& c : cases) {
        CFigureList list;
        const CTeXDrawReadResult r = ReadTeXDrawFile(c.path, list);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error, c.error);
        EXPECT_EQ(list.GetCount(), 0);
    }
}

// 50 MB: a drawing of 20,000 figures inside a long hand-written stretch, read in linear time;
// the same cut off before its end is refused, naming its last line.
TEST_F(ReaderFiles, FiftyMegabytesAreReadOrRefusedWithoutHanging) {
    std::string blocks;
    for (int i = 0; i < 10000; ++i)
        blocks +=
            i % 2 ? kLine : "%begin arrow\n\\move(1.00 -1.00)\n\\avec(2.00 -2.00)\n%end arrow\n";
    std::string note = "% a note written by hand, kept as it stands { unbalanced\n";
    std::string notes;
    notes.reserve(50u << 20);
    while (notes.size() + blocks.size() < (50u << 20))
        notes += note;
    const std::string text = TestDocument(blocks + notes + blocks);
    ASSERT_GE(text.size(), 50u << 20);

    CFigureList list;
    const CTeXDrawReadResult r = ReadTeXDrawFile(Write("big.txt", text), list);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.nUnrecognised, 1);
    EXPECT_EQ(list.GetCount(), 20001);
    const std::string again = MakeTeXDrawDocument(list);
    ASSERT_EQ(again.size(), text.size());
    EXPECT_EQ(std::mismatch(again.begin(), again.end(), text.begin()).first - again.begin(),
              static_cast<std::ptrdiff_t>(text.size()))
        << "first difference of the second save";

    const std::string cut = Write("cut.txt", text.substr(0, text.size() - 20));
    const CTeXDrawReadResult refused = ReadTeXDrawFile(cut, list);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.error.substr(0, cut.size() + 7), cut + ", line ");
    EXPECT_EQ(list.GetCount(), 20001);

    // One line of 50 MB with no line feed at all.
    const CTeXDrawReadResult oneLine =
        ReadTeXDrawFile(Write("line.txt", std::string(50u << 20, 'x')), list);
    EXPECT_EQ(oneLine.error, (dir / "line.txt").string() +
                                 ", line 1: this is not a TeXDraw drawing saved by this editor "
                                 "(expected \"\\begin{center}\")");
}

} // namespace
