// The three puzzle readers on small hand-written inputs, good and bad.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "pictures.h"
#include "readers.h"
#include "text.h"
#include "writers.h"

namespace {

namespace fs = std::filesystem;
using Clues = std::vector<std::vector<int>>;

std::vector<ReadItem> read(std::string_view text, const std::string& file,
                           std::optional<Format> format = std::nullopt)
{
    return read_puzzles(text, file, format);
}

// The one puzzle of items, failing the test when there is anything else.
Puzzle only_puzzle(const std::vector<ReadItem>& items)
{
    EXPECT_EQ(items.size(), 1u);
    if (items.size() != 1) return {};
    if (const auto* error = std::get_if<ReadError>(&items[0])) {
        ADD_FAILURE() << "unexpected error: " << error_text("", *error);
        return {};
    }
    return std::get<Puzzle>(items[0]);
}

ReadError only_error(const std::vector<ReadItem>& items)
{
    EXPECT_EQ(items.size(), 1u);
    if (items.size() != 1 || !std::holds_alternative<ReadError>(items[0])) {
        ADD_FAILURE() << "expected exactly one error";
        return {-1, ""};
    }
    return std::get<ReadError>(items[0]);
}

// One bad input: the reader must name this line and say this (a part of the message).
// A fault in the XML itself is worded by the platform's parser: on Windows by XmlLite.
struct BadInput {
    const char* what;
    std::string text;
    int line;
    const char* message;
    bool xml_fault = false;
};

void expect_errors(const std::string& file, const std::vector<BadInput>& cases)
{
    for (const BadInput& c : cases) {
        SCOPED_TRACE(c.what);
        const ReadError error = only_error(read(c.text, file));
        EXPECT_EQ(error.line, c.line);
#ifdef _WIN32
        if (c.xml_fault) {
            EXPECT_EQ(error.what.rfind("XML error: ", 0), 0u) << "message: " << error.what;
            continue;
        }
#endif
        EXPECT_NE(error.what.find(c.message), std::string::npos) << "message: " << error.what;
    }
}

std::string repeat(std::string_view s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

// ---- scanning shared by the readers -----------------------------------------

TEST(ClueLine, SplitsNumbersAndKnowsEmptyLines)
{
    std::vector<int> clue;
    EXPECT_FALSE(parse_clue_line(" 3, 1 ,12", Separator::comma, clue));
    EXPECT_EQ(clue, (std::vector<int>{3, 1, 12}));
    EXPECT_FALSE(parse_clue_line("\t4  1\t\t7 ", Separator::whitespace, clue));
    EXPECT_EQ(clue, (std::vector<int>{4, 1, 7}));
    for (const char* empty : {"0", "", "  \t", "00"}) {
        clue = {5};
        EXPECT_FALSE(parse_clue_line(empty, Separator::whitespace, clue)) << empty;
        EXPECT_TRUE(clue.empty()) << empty;
    }
    EXPECT_FALSE(parse_clue_line("128,01", Separator::comma, clue));
    EXPECT_EQ(clue, (std::vector<int>{128, 1}));
    EXPECT_FALSE(parse_clue_line(repeat("1 ", 64), Separator::whitespace, clue));
    EXPECT_EQ(clue.size(), 64u);
}

TEST(ClueLine, RefusesWhatIsNoClue)
{
    std::vector<int> clue;
    const struct {
        const char* line;
        Separator separator;
        const char* message;
    } cases[] = {
        {"129", Separator::whitespace, "number '129' is larger than 128"},
        {"123456789012345678901234567890", Separator::whitespace, "larger than 128"},
        {"1 0", Separator::whitespace, "0 stands for an empty line"},
        {"-1", Separator::whitespace, "not a number"},
        {"1.5", Separator::whitespace, "not a number"},
        {"3b", Separator::whitespace, "coloured clues"},
        {"1,2", Separator::whitespace, "not a number"},
        {"1,,2", Separator::comma, "missing between commas"},
        {"1,2,", Separator::comma, "missing between commas"},
        {",", Separator::comma, "missing between commas"},
        {"1 2", Separator::comma, "not a number"},
    };
    for (const auto& c : cases) {
        const auto error = parse_clue_line(c.line, c.separator, clue);
        ASSERT_TRUE(error) << c.line;
        EXPECT_NE(error->find(c.message), std::string::npos) << c.line << ": " << *error;
    }
    const auto error = parse_clue_line(repeat("1 ", 65), Separator::whitespace, clue);
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, "more than 64 numbers in a line");
}

TEST(Lines, SplitsAtEveryKindOfLineEnd)
{
    EXPECT_EQ(split_lines("a\nb\r\nc\rd"), (std::vector<std::string_view>{"a", "b", "c", "d"}));
    EXPECT_EQ(split_lines("a\n"), (std::vector<std::string_view>{"a"}));
    EXPECT_EQ(split_lines("a\r\n\r\n"), (std::vector<std::string_view>{"a", ""}));
    EXPECT_EQ(split_lines("\r\r\n\n"), (std::vector<std::string_view>{"", "", ""}));
    EXPECT_TRUE(split_lines("").empty());
}

// ---- what every format shares -------------------------------------------------

const std::string small_non = "width 3\nheight 2\nrows\n1,1\n2\ncolumns\n2\n1\n1\n";

TEST(AnyFormat, AcceptsEveryLineEndAndAByteOrderMark)
{
    const Clues rows = {{1, 1}, {2}};
    const Clues cols = {{2}, {1}, {1}};
    const std::string variants[] = {
        small_non,
        "width 3\r\nheight 2\r\nrows\r\n1,1\r\n2\r\ncolumns\r\n2\r\n1\r\n1\r\n",
        "width 3\rheight 2\rrows\r1,1\r2\rcolumns\r2\r1\r1",
        "width 3\r\nheight 2\rrows\n1,1\r2\r\ncolumns\n2\r1\r\n1",
        "\xEF\xBB\xBF" + small_non,
        "\xEF\xBB\xBFwidth 3\r\nheight 2\r\nrows\r\n1,1\r\n2\r\ncolumns\r\n2\r\n1\r\n1\r\n",
    };
    for (const std::string& text : variants) {
        const Puzzle p = only_puzzle(read(text, "a.non"));
        EXPECT_EQ(p.rows, rows);
        EXPECT_EQ(p.cols, cols);
    }
    // Line numbers count lone CRs and CRLFs alike, after a byte-order mark too.
    const ReadError error =
        only_error(read("\xEF\xBB\xBFwidth 1\rheight 1\r\nrows\n5,x\r\n", "a.non"));
    EXPECT_EQ(error.line, 4);
}

TEST(AnyFormat, RefusesEmptyAndBinaryInput)
{
    for (const std::string file : {"a.non", "a.xml", "a.txt", "a"}) {
        SCOPED_TRACE(file);
        for (const std::string empty : {"", "\n\n", "  \t\r\n \r", "\xEF\xBB\xBF", "\xEF\xBB\xBF\n"}) {
            const ReadError error = only_error(read(empty, file));
            EXPECT_EQ(error.line, 1);
            EXPECT_EQ(error.what, "empty input");
        }
        const ReadError nul = only_error(read(std::string("width 3\nhei\0ght 2\n", 18), file));
        EXPECT_EQ(nul.line, 2);
        EXPECT_NE(nul.what.find("binary data (byte 0x00)"), std::string::npos) << nul.what;
        const ReadError del = only_error(read("$1\n1\n\x7f\n", file));
        EXPECT_EQ(del.line, 3);
        EXPECT_NE(del.what.find("0x7f"), std::string::npos);
        const ReadError bell = only_error(read("\x07", file));
        EXPECT_EQ(bell.line, 1);
    }
}

TEST(AnyFormat, ChoosesTheReaderBySuffixElseByContent)
{
    EXPECT_EQ(format_from_name("dir.xml/puzzle.non"), Format::non);
    EXPECT_EQ(format_from_name("PUZZLE.NON"), Format::non);
    EXPECT_EQ(format_from_name("a/b.Xml"), Format::xml);
    EXPECT_EQ(format_from_name("question.txt"), Format::taai);
    EXPECT_EQ(format_from_name("puzzle"), std::nullopt);
    EXPECT_EQ(format_from_name("-"), std::nullopt);
    EXPECT_EQ(format_from_name(".non"), std::nullopt);
    EXPECT_EQ(format_from_name("dir.non/puzzle"), std::nullopt);

    EXPECT_EQ(format_from_text("\n  <?xml?>"), Format::xml);
    EXPECT_EQ(format_from_text("\r\n$1\n"), Format::taai);
    EXPECT_EQ(format_from_text("title \"x\"\nwidth 1"), Format::non);
    EXPECT_EQ(format_from_text("width 5"), Format::non);
    EXPECT_EQ(format_from_text("1 2 3\n"), std::nullopt);
    EXPECT_EQ(format_from_text("hello"), std::nullopt);

    // Content decides when the name says nothing; a given format beats both.
    EXPECT_EQ(only_puzzle(read(small_non, "-")).cols.size(), 3u);
    EXPECT_EQ(only_puzzle(read("$4\n1\n1\n", "puzzle.dat")).name, "4");
    EXPECT_EQ(only_puzzle(read(small_non, "question.txt", Format::non)).rows.size(), 2u);
    const ReadError wrong = only_error(read("$1\n1\n1\n", "x.txt", Format::non));
    EXPECT_EQ(wrong.line, 1);

    const ReadError unknown = only_error(read("1 2\n3\n", "clues.dat"));
    EXPECT_EQ(unknown.line, 1);
    EXPECT_NE(unknown.what.find("unknown format"), std::string::npos);
}

// ---- .non ---------------------------------------------------------------------

TEST(NonReader, ReadsSectionsInEitherOrderAndSkipsOtherKeys)
{
    const Puzzle p = only_puzzle(read(small_non, "sets/tiny.non"));
    EXPECT_EQ(p.file, "sets/tiny.non");
    EXPECT_EQ(p.name, "tiny");
    EXPECT_EQ(p.index, 1);
    EXPECT_EQ(p.rows, (Clues{{1, 1}, {2}}));
    EXPECT_EQ(p.cols, (Clues{{2}, {1}, {1}}));

    const std::string decorated =
        "catalogue \"webpbn.com #0\"\n"
        "title \"Tiny, with rows and columns\"\n"
        "by \"Somebody\"\n"
        "copyright \"\xC2\xA9 2024\"\n"
        "license CC-BY-3.0\n"
        "  height\t2\n"
        "width 3\n"
        "\n"
        "columns\n"
        " 2 \n"
        "1\n"
        "1\n"
        "\n"
        "unknownkey 1,2,3\n"
        "rows\n"
        "1, 1\n"
        "2\n"
        "\n"
        "goal \"101110\"\n";
    const Puzzle q = only_puzzle(read(decorated, "tiny.non"));
    EXPECT_EQ(q.rows, p.rows);
    EXPECT_EQ(q.cols, p.cols);
}

TEST(NonReader, TakesZeroOrABlankLineInASectionForAnEmptyLine)
{
    const Puzzle p = only_puzzle(read("width 2\nheight 3\nrows\n0\n\n2\n\n\ncolumns\n1\n1\n", "e.non"));
    EXPECT_EQ(p.rows, (Clues{{}, {}, {2}}));
    EXPECT_EQ(p.cols, (Clues{{1}, {1}}));
    // Blank lines after the last clue line are spacing, also at the very end.
    const Puzzle q = only_puzzle(read("width 1\nheight 1\nrows\n\ncolumns\n0\n\n\n", "e.non"));
    EXPECT_EQ(q.rows, (Clues{{}}));
    EXPECT_EQ(q.cols, (Clues{{}}));
}

TEST(NonReader, ReportsEachFaultAtItsLine)
{
    const std::string head = "width 2\nheight 2\n";
    expect_errors("p.non", {
        {"no width", "height 1\nrows\n1\n", 3, "no width line"},
        {"columns before width", "height 1\nrows\n1\ncolumns\n1\n", 4, "columns before width"},
        {"rows before height", "width 1\nrows\n1\n", 2, "rows before height"},
        {"no rows section", "width 1\nheight 1\ncolumns\n1\n", 4, "no rows section"},
        {"width too large", "width 129\nheight 1\n", 1, "width '129': more than 128 columns"},
        {"height far too large", "width 1\nheight 99999999999999999999\n", 2, "more than 128 rows"},
        {"width zero", "width 0\n", 1, "at least 1"},
        {"width not a number", "width five\n", 1, "not a number"},
        {"width missing", "title x\nwidth\n", 2, "needs a number"},
        {"width twice", "width 2\nheight 2\nwidth 2\n", 3, "width given twice"},
        {"rows twice", head + "rows\n1\n1\nrows\n", 6, "rows given twice"},
        {"text after rows", head + "rows 2\n", 3, "after rows"},
        {"too few rows", head + "rows\n1\ncolumns\n1\n1\n", 5, "height 2 asks for 2 row clue lines, found 1"},
        {"too many rows", head + "rows\n1\n1\n\n2\ncolumns\n1\n1\n", 7, "more row clue lines than height 2"},
        {"too many columns", head + "rows\n1\n1\ncolumns\n1\n1\n1\n", 9, "more column clue lines than width 2"},
        {"clue before the sections", head + "1,1\nrows\n", 3, "outside the rows and columns"},
        {"end inside a section", head + "rows\n1\n1\ncolumns\n1\n", 7, "end of file: width 2 asks for 2 column clue lines, found 1"},
        {"number too large", head + "rows\n1\n129\n", 5, "row 2: number '129' is larger than 128"},
        {"huge number", head + "columns\n" + std::string(400, '9') + "\n", 4, "column 1: number"},
        {"65 numbers", "width 128\nheight 1\nrows\n1" + repeat(",1", 64) + "\n", 4, "row 1: more than 64 numbers"},
        {"row clue too long", "width 21\nheight 3\nrows\n1\n0\n20,1\n", 6, "row 3: clue 20 1 needs 22 cells, the row has 21"},
        {"more numbers than cells", head + "rows\n1\n1\ncolumns\n1,1\n", 7, "column 1: clue 1 1 needs 3 cells, the column has 2"},
        {"64 numbers too many for the row", "width 128\nheight 1\nrows\n" + repeat("2,", 63) + "2\n", 4,
         "row 1: clue 2 2 2 2 2 2 2 2 2 2 ... (64 numbers) needs 191 cells, the row has 128"},
        {"column clue too long", "height 1\nrows\n1\nwidth 3\ncolumns\n1\n0\n3\n", 8,
         "column 3: clue 3 needs 3 cells, the column has 1"},
        {"row clue too long, told at the end", "height 2\nrows\n0\n2\nwidth 1\ncolumns\n1\n", 4,
         "row 2: clue 2 needs 2 cells, the row has 1"},
        {"zero beside a number", head + "rows\n0,1\n", 4, "0 stands for an empty line"},
        {"negative number", head + "rows\n1\n-1\n", 5, "row 2: '-1' is not a number"},
        {"coloured clue", head + "rows\n3b,1d\n", 4, "coloured clues are not supported"},
        {"trailing comma", head + "rows\n1,\n", 4, "missing between commas"},
        {"stray symbol line", head + "%%\n", 3, "expected a key"},
    });
}

// ---- webpbn XML ---------------------------------------------------------------

std::string xml_puzzle(const std::string& columns, const std::string& rows,
                       const std::string& extra = "")
{
    return "<puzzleset>\n<puzzle type=\"grid\" defaultcolor=\"black\">\n" + extra +
           "<clues type=\"columns\">" + columns + "</clues>\n<clues type=\"rows\">" + rows +
           "</clues>\n</puzzle>\n</puzzleset>\n";
}

TEST(XmlReader, ReadsCountsAndEmptyLinesAndSkipsTheRest)
{
    const std::string text =
        "<?xml version=\"1.0\"?>\n"
        "<!DOCTYPE pbn SYSTEM \"https://webpbn.com/pbn-0.3.dtd\" [ <!ENTITY x \"<y>\"> ]>\n"
        "<puzzleset><source>webpbn.com</source>\n"
        "<!-- <clues type=\"rows\"> in a comment is no clue -->\n"
        "<puzzle type='grid' defaultcolor=\"black\">\n"
        "<title>Tiny &amp; small</title><note>published,definitely unique</note>\n"
        "<color name=\"white\" char=\".\">FFFFFF</color>\n"
        "<color name=\"black\" char=\"X\">000000</color>\n"
        "<clues type=\"columns\">\n"
        "  <line><count>2</count></line>\n"
        "  <line/>\n"
        "  <line>\n    <count> 1 </count>\n  </line>\n"
        "</clues>\n"
        "<clues type=\"rows\"><line><count color=\"black\">1</count><count>1</count></line>"
        "<line><count><![CDATA[1]]></count></line></clues>\n"
        "<solution type=\"goal\"><image>\n|X.X|\n|X..|\n</image></solution>\n"
        "</puzzle>\n</puzzleset>\n";
    const Puzzle p = only_puzzle(read(text, "webpbn/17.xml"));
    EXPECT_EQ(p.name, "17");
    EXPECT_EQ(p.index, 1);
    EXPECT_EQ(p.cols, (Clues{{2}, {}, {1}}));
    EXPECT_EQ(p.rows, (Clues{{1, 1}, {1}}));

    // Rows ahead of columns, <line></line> for an empty line, no <puzzle> around the clues.
    const Puzzle q = only_puzzle(read("<puzzleset><clues type=\"rows\"><line></line><line><count>1</count>"
                                      "</line></clues><clues type=\"columns\"><line><count>1"
                                      "</count></line></clues></puzzleset>",
                                      "bare.xml"));
    EXPECT_EQ(q.rows, (Clues{{}, {1}}));
    EXPECT_EQ(q.cols, (Clues{{1}}));
}

TEST(XmlReader, NeverFetchesTheDtdOrAnEntityFromOutside)
{
    // An entity in a file beside: were it read, the row's count would be 1 and the puzzle good.
    const fs::path outside = fs::temp_directory_path() / ("ombrasel-entity-" + std::to_string(getpid()) + ".txt");
    std::ofstream(outside) << "1";
    const std::string head = "<?xml version=\"1.0\"?>\n"
                             "<!DOCTYPE pbn SYSTEM \"http://127.0.0.1:9/pbn-0.3.dtd\" [\n"
                             "  <!ENTITY one SYSTEM \"" + outside.string() + "\">\n"
                             "  <!ENTITY own \"1\">\n"
                             "]>\n"
                             "<puzzleset><puzzle>\n"
                             "<clues type=\"columns\"><line><count>&own;</count></line></clues>\n";
    const std::string tail = "</puzzle></puzzleset>\n";
    const ReadError error =
        only_error(read(head + "<clues type=\"rows\"><line><count>&one;</count></line></clues>\n" + tail, "outside.xml"));
    fs::remove(outside);
    EXPECT_EQ(error.line, 8);
    EXPECT_NE(error.what.find("row 1: '' is not a number"), std::string::npos) << error.what;

    // An entity the file declares with its text is the file's own, and is read.
    const Puzzle p =
        only_puzzle(read(head + "<clues type=\"rows\"><line><count>&own;</count></line></clues>\n" + tail, "inside.xml"));
    EXPECT_EQ(p.cols, (Clues{{1}}));
    EXPECT_EQ(p.rows, (Clues{{1}}));
}

// Where libxml2 places markup over several lines, text among other markup and entities;
// XmlLite's path must come to the same.
TEST(XmlReader, TellsTheSameLinesAndEntitiesOnEveryPlatform)
{
    const std::string rows = "<clues type=\"rows\"><line><count>1</count></line></clues>";
    expect_errors("p.xml", {
        {"start tag over lines",
         "<puzzleset>\n<puzzle\n type=\"grid\"\n>\n<clues type=\"columns\"><line><count>1</count></line></clues>\n"
         "</puzzle></puzzleset>\n",
         4, "no <clues type=\"rows\">"},
        {"empty tag over lines", "<puzzle>\n<line\n\n/>\n</puzzle>", 4, "<line> outside <clues>"},
        {"end tag over lines", "<puzzle><clues type=\"rows\"><line><count>x</count\n\n></line></clues></puzzle>", 3,
         "row 1: 'x' is not a number"},
        {"text in CDATA", "<puzzle><clues type=\"rows\"><line><![CDATA[\n\n 1]]></line></clues></puzzle>", 3,
         "text outside <count> in <line>"},
        {"text after a comment", "<puzzle><clues type=\"rows\">\n<!-- a\n -->  \n 1<line/></clues></puzzle>", 4,
         "text outside <count> in <clues>"},
        {"character reference after a PI", "<puzzle><clues type=\"rows\"><line>\n<?pi\n?>&#x41;</line></clues></puzzle>",
         3, "text outside <count> in <line>"},
        {"entity in an attribute stays as written", "<!DOCTYPE pbn [ <!ENTITY a \"x\"> ]>\n<puzzle type=\"&a;\">\n</puzzle>",
         2, "puzzle type '&a;' is not supported"},
        {"entity of entities",
         "<!DOCTYPE pbn [ <!ENTITY a \"&b;\"> <!ENTITY b \"1\"> ]>\n<puzzle>" + rows +
             "\n<clues type=\"columns\"><line><count>2</count></line></clues></puzzle>",
         3, "column 1: clue 2 needs 2 cells, the column has 1"},
        {"entity with line ends and markup",
         "<!DOCTYPE pbn [ <!ENTITY a \"\n\n<count>1</count>\"> ]>\n<puzzle><clues type=\"rows\"><line>&a;</line></clues>\n"
         "<clues type=\"columns\"><line>x</line></clues></puzzle>",
         5, "text outside <count> in <line>"},
        {"attributes by their local names, namespace declarations aside",
         "<puzzle xmlns:type=\"urn:x\" t:type=\"x\" xmlns:t=\"urn:t\">\n</puzzle>", 1, "puzzle type 'x' is not supported"},
        {"prefixed element", "<p:puzzle xmlns:p=\"urn:p\">\n" + rows + "</p:puzzle>", 2, "no <clues type=\"columns\">"},
    });
    // An entity the file does not declare may be declared by the DTD it names, which is not
    // read: it is passed over.
    const Puzzle p = only_puzzle(read("<!DOCTYPE pbn SYSTEM \"pbn-0.3.dtd\">\n<puzzle>\n<title>&nbsp;</title>"
                                      "<clues type=\"rows\"><line><count>1&nbsp;</count></line></clues>"
                                      "<clues type=\"columns\"><line><count>1</count></line></clues></puzzle>",
                                      "p.xml"));
    EXPECT_EQ(p.rows, (Clues{{1}}));
}

TEST(XmlReader, ReadsEveryPuzzleOfASetAndSkipsOnlyTheBadOne)
{
    const std::string one = "<line><count>1</count></line>";
    const std::string text = "<puzzleset>\n"
                             "<puzzle><clues type=\"columns\">" + one + "</clues><clues type=\"rows\">" + one + "</clues></puzzle>\n"
                             "<puzzle><clues type=\"columns\"><line><count>x</count></line></clues></puzzle>\n"
                             "<puzzle><clues type=\"rows\"></clues><clues type=\"columns\">" + one + one + "</clues></puzzle>\n"
                             "<puzzle><clues type=\"columns\">" + one + one + "</clues><clues type=\"rows\">" + one + "</clues></puzzle>\n"
                             "</puzzleset>\n";
    const auto items = read(text, "set.xml");
    ASSERT_EQ(items.size(), 4u);
    const auto* first = std::get_if<Puzzle>(&items[0]);
    const auto* second = std::get_if<ReadError>(&items[1]);
    const auto* third = std::get_if<ReadError>(&items[2]);
    const auto* fourth = std::get_if<Puzzle>(&items[3]);
    ASSERT_TRUE(first && second && third && fourth);
    EXPECT_EQ(first->name, "set#1");
    EXPECT_EQ(fourth->name, "set#4");
    EXPECT_EQ(fourth->index, 4);
    EXPECT_EQ(fourth->cols, (Clues{{1}, {1}}));
    EXPECT_EQ(second->line, 3);
    EXPECT_NE(second->what.find("column 1: 'x' is not a number"), std::string::npos) << second->what;
    EXPECT_EQ(third->line, 4);
    EXPECT_NE(third->what.find("no <line> in the row clues"), std::string::npos) << third->what;
}

TEST(XmlReader, ReportsEachFaultAtItsLine)
{
    const std::string one = "<line><count>1</count></line>";
    const std::string lines129 = repeat(one + "\n", 129);
    const std::string counts65 = "<line>" + repeat("<count>1</count>", 65) + "</line>";
    const std::string colours =
        "<color name=\"white\">FFFFFF</color>\n<color name=\"black\">000000</color>\n"
        "<color name=\"red\">FF0000</color>\n";
    expect_errors("p.xml", {
        {"three colours", xml_puzzle(one, one, colours), 5, "multicolour puzzle"},
        {"counts in two colours",
         xml_puzzle("<line><count color=\"black\">1</count></line>\n<line><count color=\"red\">1</count></line>", one),
         4, "multicolour puzzle"},
        {"count not a number", xml_puzzle(one, "\n\n<line><count>one</count></line>"), 6, "row 1: 'one' is not a number"},
        {"count too large", xml_puzzle(one + "\n<line><count>129</count></line>", one), 4,
         "column 2: number '129' is larger than 128"},
        {"count huge", xml_puzzle("<line><count>" + std::string(1000, '7') + "</count></line>", one), 3, "larger than 128"},
        {"empty count", xml_puzzle("<line><count></count></line>", one), 3, "'' is not a number"},
        {"zero beside a count", xml_puzzle("<line><count>0</count><count>2</count></line>", one), 3, "0 stands for an empty line"},
        {"65 counts", xml_puzzle(counts65, one), 3, "column 1: more than 64 numbers"},
        {"129 columns", xml_puzzle("\n" + lines129, one), 132, "more than 128 columns"},
        // Told at the <line> of the first clue in the file that cannot fit, rows or columns.
        {"column clue too long", xml_puzzle(one + "\n<line>\n<count>2</count></line>", "<line><count>3</count></line>"), 4,
         "column 2: clue 2 needs 2 cells, the column has 1"},
        {"row clue too long", xml_puzzle(one + one, "\n" + one + "\n<line><count>1</count><count>1</count></line>"), 6,
         "row 2: clue 1 1 needs 3 cells, the row has 2"},
        {"line outside clues", "<puzzle>\n<line/>\n</puzzle>", 2, "<line> outside <clues>"},
        {"count outside line", xml_puzzle("<count>1</count>", one), 3, "<count> outside <line>"},
        {"clues without type", "<puzzle>\n<clues>\n</clues></puzzle>", 2, "needs type=\"rows\" or type=\"columns\""},
        {"clues of a third kind", "<puzzle><clues type=\"diagonal\"/></puzzle>", 1, "needs type="},
        {"second row clues", xml_puzzle(one, one, "<clues type=\"rows\">" + one + "</clues>\n"), 5, "second <clues type=\"rows\">"},
        {"no row clues", "<puzzleset>\n<puzzle>\n<clues type=\"columns\">" + one + "</clues>\n</puzzle></puzzleset>", 2, "no <clues type=\"rows\">"},
        {"no clues at all", "<puzzleset>\n<source>x</source>\n</puzzleset>\n", 3, "no puzzle"},
        {"text between counts", xml_puzzle("<line>1<count>1</count></line>", one), 3, "text outside <count>"},
        {"triddler", "<puzzle type=\"triddler\">\n</puzzle>", 1, "not supported"},
        {"puzzle in puzzle", "<puzzle>\n<puzzle></puzzle></puzzle>", 2, "<puzzle> inside <puzzle>"},
        {"cut-off file", "<puzzleset>\n<puzzle>\n<clues type=\"columns\">" + one + "\n", 3,
         "end of file inside <clues> of line 3", true},
        {"cut-off tag", "<puzzle>\n<clues type=\"rows\"><line><cou", 2, "unterminated tag <cou>", true},
        {"mismatched close", xml_puzzle("<line><count>1</line>", one), 3, "</line> does not close <count>", true},
        {"close without open", "</puzzle>", 1, "invalid element name", true},
        {"unterminated comment", "<puzzle>\n\n<!-- never closed", 3, "unterminated comment", true},
        {"unterminated attribute", "<puzzle type=\"grid>\n</puzzle>", 2, "'<' not allowed in attributes values", true},
        {"attribute without quotes", "<puzzle type=grid>", 1, "without quotes", true},
        {"empty tag", "<puzzle>\n< line>", 2, "invalid element name", true},
        {"deep nesting", repeat("<a>", 100), 1, "nested too deep"},
        {"second top element", "<puzzleset>\n</puzzleset>\n<puzzleset>\n</puzzleset>\n", 3, "Extra content", true},
        {"unterminated CDATA", "<puzzle>\n<![CDATA[ 1", 2, "unterminated CDATA section", true},
        {"undeclared entity", "<puzzle>\n<title>&nbsp;</title></puzzle>", 2, "Entity 'nbsp' not defined", true},
        {"lone CR line ends", "<puzzle>\r\r<clues type=\"rows\">\r1<line/></clues></puzzle>", 4, "text outside <count>"},
        {"CRLF line ends", "<puzzle>\r\n\r\n<clues type=\"rows\">\r\n1<line/></clues></puzzle>", 4, "text outside <count>"},
        {"lone CR before a fault", "<puzzle>\r\r<clues type=\"rows\">\r</line>", 4, "does not close <clues> of line 3", true},
    });
}

// ---- tournament "$" format ----------------------------------------------------

TEST(TaaiReader, SplitsAFileIntoItsPuzzles)
{
    const std::string text = "$1\n"
                             "1\t1\n"      // column 1
                             "\n"          // column 2, empty
                             "0\n"         // column 3, empty
                             "1\n"         // row 1
                             "  2 \n"      // row 2
                             "\t1 \t 1\n"  // row 3
                             "$12\n"
                             "1\n"
                             "1\n";
    const auto items = read(text, "sets/question.txt");
    ASSERT_EQ(items.size(), 2u);
    const auto* first = std::get_if<Puzzle>(&items[0]);
    const auto* second = std::get_if<Puzzle>(&items[1]);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->name, "1");
    EXPECT_EQ(first->index, 1);
    EXPECT_EQ(first->file, "sets/question.txt");
    EXPECT_EQ(first->cols, (Clues{{1, 1}, {}, {}}));
    EXPECT_EQ(first->rows, (Clues{{1}, {2}, {1, 1}}));
    EXPECT_EQ(second->name, "12");
    EXPECT_EQ(second->index, 12);
    EXPECT_EQ(second->cols, (Clues{{1}}));
    EXPECT_EQ(second->rows, (Clues{{1}}));
}

TEST(TaaiReader, TakesAnOddBlankLineAtABlockEndForSpacing)
{
    // Even count: the blank last line is the empty last row.
    const Puzzle even = only_puzzle(read("$1\n1\n\n1\n\n", "q.txt"));
    EXPECT_EQ(even.cols, (Clues{{1}, {}}));
    EXPECT_EQ(even.rows, (Clues{{1}, {}}));
    // Odd count: an extra line end at the end of the file, or before the next "$".
    const Puzzle odd = only_puzzle(read("$1\n1\n1\n\n", "q.txt"));
    EXPECT_EQ(odd.cols, (Clues{{1}}));
    EXPECT_EQ(odd.rows, (Clues{{1}}));
    const auto items = read("$1\r\n1\r\n1\r\n\r\n$2\r\n0\r\n1\r\n\r\n", "q.txt");
    ASSERT_EQ(items.size(), 2u);
    ASSERT_TRUE(std::holds_alternative<Puzzle>(items[0]));
    ASSERT_TRUE(std::holds_alternative<Puzzle>(items[1]));
    EXPECT_EQ(std::get<Puzzle>(items[0]).rows, (Clues{{1}}));
    EXPECT_EQ(std::get<Puzzle>(items[1]).cols, (Clues{{}}));
    EXPECT_EQ(std::get<Puzzle>(items[1]).rows, (Clues{{1}}));
    // Two blank lines that make the count even are clues again: here a 2 x 2 puzzle.
    const Puzzle two = only_puzzle(read("$1\n1\n1\n\n\n", "q.txt"));
    EXPECT_EQ(two.cols, (Clues{{1}, {1}}));
    EXPECT_EQ(two.rows, (Clues{{}, {}}));
}

TEST(TaaiReader, SkipsABadPuzzleAndReadsTheNext)
{
    const std::string text = "$1\n1\n1\n"
                             "$2\n1\n1\n2 129\n1\n"
                             "$3\n1\n1\n1\n"
                             "$4\n2\n2\n2\n2\n";
    const auto items = read(text, "q.txt");
    ASSERT_EQ(items.size(), 4u);
    ASSERT_TRUE(std::holds_alternative<Puzzle>(items[0]));
    ASSERT_TRUE(std::holds_alternative<ReadError>(items[1]));
    ASSERT_TRUE(std::holds_alternative<ReadError>(items[2]));
    ASSERT_TRUE(std::holds_alternative<Puzzle>(items[3]));
    const ReadError& bad_number = std::get<ReadError>(items[1]);
    EXPECT_EQ(bad_number.line, 7);
    EXPECT_EQ(bad_number.what, "$2 row 1: number '129' is larger than 128");
    const ReadError& odd = std::get<ReadError>(items[2]);
    EXPECT_EQ(odd.line, 9);
    EXPECT_NE(odd.what.find("puzzle $3 has 3 clue lines"), std::string::npos) << odd.what;
    EXPECT_EQ(std::get<Puzzle>(items[3]).name, "4");
}

TEST(TaaiReader, ReportsEachFaultAtItsLine)
{
    expect_errors("q.txt", {
        {"no clue lines", "$1\n", 1, "has no clue lines"},
        {"odd count", "$1\n1\n1\n1\n", 1, "has 3 clue lines"},
        {"too large", "$5\n" + repeat("1\n", 258), 1, "puzzle $5 has 258 clue lines: more than 128 rows and columns"},
        {"no number", "$\n1\n1\n", 1, "expected $ and a puzzle number"},
        {"bad number", "$a1\n1\n1\n", 1, "expected $ and a puzzle number"},
        {"huge number", std::string("$").append(30, '9').append("\n1\n1\n"), 1, "expected $ and a puzzle number"},
        {"no $ line", "\n1 2\n3\n", 2, "no $ line"},
        {"column number", "$1\n1\nx\n1\n1\n", 3, "$1 column 2: 'x' is not a number"},
        {"row number", "$1\n1\n1\n1\n" + std::string(50, '5') + "\n", 5, "$1 row 2: number"},
        {"65 numbers", "$1\n" + repeat("1 ", 65) + "\n1\n", 2, "$1 column 1: more than 64 numbers"},
        {"column clue too long", "$1\n1\n1 1\n1\n1\n", 3, "$1 column 2: clue 1 1 needs 3 cells, the column has 2"},
        {"row clue too long", "$1\n1\n1\n1\n3\n", 5, "$1 row 2: clue 3 needs 3 cells, the row has 2"},
        {"commas", "$1\n1,1\n1\n", 2, "'1,1' is not a number"},
        {"zero beside a number", "$1\n0 1\n1\n", 2, "0 stands for an empty line"},
    });

    // Text ahead of the first puzzle is reported once; the puzzles are still read.
    const auto items = read("junk\nmore junk\n$1\n1\n1\n", "q.txt");
    ASSERT_EQ(items.size(), 2u);
    ASSERT_TRUE(std::holds_alternative<ReadError>(items[0]));
    EXPECT_EQ(std::get<ReadError>(items[0]).line, 1);
    EXPECT_TRUE(std::holds_alternative<Puzzle>(items[1]));
}

// ---- the largest puzzles ---------------------------------------------------------

// The clues as webpbn <line>s, and as tournament lines.
std::string xml_lines(const Clues& lines)
{
    std::string text;
    for (const auto& clue : lines) {
        text += "<line>";
        for (const int v : clue) text.append("<count>").append(std::to_string(v)).append("</count>");
        text += "</line>\n";
    }
    return text;
}

std::string taai_lines(const Clues& lines)
{
    std::string text;
    for (const auto& clue : lines) {
        for (std::size_t k = 0; k < clue.size(); ++k) text.append(k ? "\t" : "").append(std::to_string(clue[k]));
        text += '\n';
    }
    return text;
}

// Drawings up to 128 x 128, the first row with as many runs as it holds and the first column
// full, in the .non text that --clues writes, in XML and, when square, in the tournament format.
TEST(AnyFormat, ReadsPuzzlesOfUpTo128RowsAndColumns)
{
    Rng rng(128);
    for (const auto& [height, width] : {std::pair{128, 128}, {30, 30}, {59, 99}, {128, 1}, {1, 128}}) {
        Grid grid = random_grid(rng, height, width, 0.5);
        for (int c = 0; c < width; ++c) grid[0][c] = c % 2 == 0;
        for (auto& row : grid) row[0] = true;
        Puzzle drawn;
        drawn.rows = row_clues(grid);
        drawn.cols = column_clues(grid);
        std::vector<std::pair<std::string, std::string>> files = {
            {"big.non", non_text(drawn)}, {"big.xml", xml_puzzle(xml_lines(drawn.cols), xml_lines(drawn.rows))}};
        if (height == width) files.emplace_back("big.txt", "$1\n" + taai_lines(drawn.cols) + taai_lines(drawn.rows));
        for (const auto& [file, text] : files) {
            SCOPED_TRACE(file + ", " + std::to_string(height) + " x " + std::to_string(width));
            const Puzzle p = only_puzzle(read(text, file));
            EXPECT_EQ(p.rows, drawn.rows);
            EXPECT_EQ(p.cols, drawn.cols);
        }
    }
}

}  // namespace
