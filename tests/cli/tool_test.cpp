// ombrasel-solve run as a program: verdicts, grids, JSON, bad input and exit codes.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

#include "tool_run.h"

namespace {

TEST_F(Tool, PrintsTheVerdictAndTheFirstSolution)
{
    write("unique.non", unique_non);
    write("several.non", several_non);
    write("none.non", none_non);
    const Output r = run("unique.non several.non none.non");
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.err, "");
    const std::vector<std::string> got = text_lines(r.out);
    ASSERT_EQ(got.size(), 10u) << r.out;
    EXPECT_EQ(got[0].rfind("unique (unique.non): unique, ", 0), 0u) << got[0];
    EXPECT_EQ(got[1], "##");
    EXPECT_EQ(got[2], "#.");
    EXPECT_EQ(got[3], "");
    // Row 1 is empty, filled in the first solution and the other way round in the second.
    EXPECT_EQ(got[4].rfind("several (several.non): several solutions, ", 0), 0u) << got[4];
    EXPECT_EQ(got[5], "xX");
    EXPECT_EQ(got[6], "Xx");
    EXPECT_EQ(got[7], "");
    EXPECT_EQ(got[8].rfind("none (none.non): no solution, ", 0), 0u) << got[8];
    EXPECT_EQ(got[9], "");
}

// --uniqueness: the same verdicts, the unique solution, or two that differ; a difficulty each.
TEST_F(Tool, AnswersOnlyWhetherThereIsOneSolutionWhenAsked)
{
    write("unique.non", unique_non);
    write("several.non", several_non);
    write("none.non", none_non);
    for (const std::string engine : {"", "--engine exhaustive "}) {
        SCOPED_TRACE(engine);
        const Output r = run(engine + "--uniqueness unique.non several.non none.non");
        EXPECT_EQ(r.exit_code, 0);
        EXPECT_EQ(r.err, "");
        const std::vector<std::string> got = text_lines(r.out);
        ASSERT_EQ(got.size(), 13u) << r.out;
        EXPECT_EQ(got[0].rfind("unique (unique.non): unique, difficulty line, ", 0), 0u) << got[0];
        EXPECT_EQ(got[1], "##");
        EXPECT_EQ(got[2], "#.");
        EXPECT_EQ(got[3], "");
        EXPECT_EQ(got[4].rfind("several (several.non): several solutions, difficulty search, ", 0), 0u) << got[4];
        // The two diagonals, in either order, a blank line between them: the first marked where
        // the second differs.
        const std::vector<std::string> two(got.begin() + 5, got.begin() + 10);
        const std::vector<std::string> empty_first = {"xX", "Xx", "", "#.", ".#"};
        const std::vector<std::string> filled_first = {"Xx", "xX", "", ".#", "#."};
        if (engine.empty())
            EXPECT_TRUE(two == empty_first || two == filled_first) << r.out;
        else
            EXPECT_EQ(two, empty_first) << "the exhaustive engine's first solution is the first one";
        EXPECT_EQ(got[10], "");
        EXPECT_EQ(got[11].rfind("none (none.non): no solution, difficulty line, ", 0), 0u) << got[11];
        EXPECT_EQ(got[12], "");
    }

    const Output json = run("--uniqueness --json --stats unique.non several.non none.non");
    EXPECT_EQ(json.exit_code, 0) << json.err;
    const std::vector<JsonObject> objects = json_lines(json.out);
    ASSERT_EQ(objects.size(), 3u) << json.out;
    using Grids = std::vector<std::vector<std::string>>;
    for (const JsonObject& o : objects) EXPECT_EQ(o.count("result_grid"), 0u);
    EXPECT_EQ(str_field(objects[0], "verdict"), "unique");
    EXPECT_EQ(str_field(objects[0], "difficulty"), "line");
    EXPECT_EQ(solutions_of(objects[0]), (Grids{{"##", "#."}}));
    EXPECT_EQ(str_field(objects[1], "verdict"), "several solutions");
    EXPECT_EQ(str_field(objects[1], "difficulty"), "search");
    const Grids two = solutions_of(objects[1]);
    EXPECT_TRUE(two == (Grids{{".#", "#."}, {"#.", ".#"}}) || two == (Grids{{"#.", ".#"}, {".#", "#."}})) << json.out;
    // Two searches: the first solution, then the second.
    EXPECT_EQ(num_field(objects[1], "queries"), 2);
    EXPECT_EQ(num_field(objects[1], "solutions_found"), 2);
    EXPECT_EQ(str_field(objects[2], "verdict"), "no solution");
    EXPECT_EQ(str_field(objects[2], "difficulty"), "line");
    EXPECT_EQ(solutions_of(objects[2]), Grids{});

    // Without the option the full answer, with its difficulty.
    const Output full = run("--json several.non");
    const JsonObject o = std::get<JsonObject>(JsonParser(full.out).parse_all().value);
    EXPECT_EQ(o.count("solutions"), 0u);
    EXPECT_EQ(str_field(o, "difficulty"), "search");
    EXPECT_EQ(std::get<JsonArray>(field(o, "result_grid").value).size(), 2u);

    const Output help = run("--help");
    for (const char* part : {"--uniqueness", "two solutions", "difficulty", "line  ", "probing  ", "guessing  ",
                             "search  ", "\"solutions\""})
        EXPECT_NE(help.out.find(part), std::string::npos) << part;
}

TEST_F(Tool, ShowsTheDeclaredSizeWhenTrailingLinesAreEmpty)
{
    // Row 3 and columns 2 and 3 carry no clue: the solver sees a 2 x 1 puzzle.
    write("wide.non", "width 3\nheight 3\nrows\n1\n0\n0\ncolumns\n1\n0\n0\n");
    const Output text = run("wide.non");
    EXPECT_EQ(text.exit_code, 0);
    EXPECT_NE(text.out.find(": unique, "), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("\n#..\n...\n...\n"), std::string::npos) << text.out;

    const Output json = run("--json wide.non");
    const JsonObject o = std::get<JsonObject>(JsonParser(json.out).parse_all().value);
    EXPECT_EQ(num_field(o, "height"), 3);
    EXPECT_EQ(num_field(o, "width"), 3);
    const auto& grid = std::get<JsonArray>(field(o, "result_grid").value);
    ASSERT_EQ(grid.size(), 3u);
    EXPECT_EQ(std::get<std::string>(grid[0].value), "200");
    EXPECT_EQ(std::get<std::string>(grid[1].value), "000");
    EXPECT_EQ(std::get<std::string>(grid[2].value), "000");
}

TEST_F(Tool, WritesOneJsonObjectAPuzzleThatParsesBack)
{
    write("unique.non", unique_non);
    write("two.txt", "$3\n1\n1\n1\n1\n$8\n2\n0\n2\n0\n");  // 2 x 2 with two solutions, 2 x 2 with none
    write("we\"ird\\name.non", several_non);
    const Output r = run("--json --stats unique.non two.txt 'we\"ird\\name.non'");
    EXPECT_EQ(r.exit_code, 0) << r.err;
    const std::vector<JsonObject> objects = json_lines(r.out);
    ASSERT_EQ(objects.size(), 4u) << r.out;

    const struct {
        const char* file;
        double index;
        const char* name;
        double status;
        const char* verdict;
        std::vector<std::string> grid;
    } expected[] = {
        {"unique.non", 1, "unique", 2, "unique", {"22", "21"}},
        {"two.txt", 3, "3", 4, "several solutions", {"34", "43"}},
        {"two.txt", 8, "8", 3, "no solution", {"00", "00"}},
        {"we\"ird\\name.non", 1, "we\"ird\\name", 4, "several solutions", {"34", "43"}},
    };
    for (std::size_t k = 0; k < objects.size(); ++k) {
        SCOPED_TRACE(expected[k].name);
        const JsonObject& o = objects[k];
        EXPECT_EQ(str_field(o, "file"), expected[k].file);
        EXPECT_EQ(num_field(o, "index"), expected[k].index);
        EXPECT_EQ(str_field(o, "name"), expected[k].name);
        EXPECT_EQ(num_field(o, "status"), expected[k].status);
        EXPECT_EQ(str_field(o, "verdict"), expected[k].verdict);
        EXPECT_EQ(num_field(o, "height"), 2);
        EXPECT_EQ(num_field(o, "width"), 2);
        std::vector<std::string> grid;
        for (const Json& row : std::get<JsonArray>(field(o, "result_grid").value))
            grid.push_back(std::get<std::string>(row.value));
        EXPECT_EQ(grid, expected[k].grid);
        EXPECT_GE(num_field(o, "seconds"), 0.0);
        EXPECT_LT(num_field(o, "seconds"), 60.0);
        for (const char* counter :
             {"probe_fixed", "guess_fixed", "search_calls", "leftmost_calls", "completion_calls"}) {
            const double v = num_field(o, counter);
            EXPECT_GE(v, 0) << counter;
            EXPECT_EQ(v, std::floor(v)) << counter;
        }
        EXPECT_LE(num_field(o, "probe_fixed") + num_field(o, "guess_fixed"), 4);
    }
    // The puzzle that propagation settles fixes all its cells in the first probe.
    EXPECT_EQ(num_field(objects[0], "probe_fixed"), 4);
    EXPECT_GT(num_field(objects[0], "leftmost_calls"), 0);
    // The two-solution puzzle needs the last stage: nothing is fixed before it. The default
    // engine asks existence questions and never calls search.
    EXPECT_EQ(num_field(objects[1], "probe_fixed"), 0);
    EXPECT_GT(num_field(objects[1], "queries"), 0);
    EXPECT_EQ(num_field(objects[1], "search_calls"), 0);

    const Output plain = run("--stats unique.non");
    EXPECT_NE(plain.out.find("\nstats: probe_fixed 4, guess_fixed 0, search_calls "), std::string::npos)
        << plain.out;
}

// A file name need not be UTF-8 (Latin-1 "café" here): every line is still JSON, strict about
// UTF-8, with each bad byte as U+FFFD and good UTF-8 kept; a bad input adds no line.
TEST_F(Tool, JsonLinesAreValidWhateverTheBytesOfFileNames)
{
    write("caf\xe9.non", several_non);
    write("\xe5\x90\x8d.non", unique_non);  // "名"
    write("bad.non", "width 2\nheight 2\nrows\n3\n1\ncolumns\n1\n1\n");
    write("set.txt", "$3\n1\n1\n1\n1\n$8\n2\n0\n2\n0\n");
    const Output r = run("--json --uniqueness --stats -j 2 'caf\xe9.non' bad.non '\xe5\x90\x8d.non' set.txt");
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err, "bad.non:4: row 1: clue 3 needs 3 cells, the row has 2\n");
    std::vector<nlohmann::ordered_json> lines;
    for (const std::string& line : text_lines(r.out)) {
        try {
            lines.push_back(nlohmann::ordered_json::parse(line));
        } catch (const nlohmann::json::parse_error& error) {
            ADD_FAILURE() << error.what() << " in: " << line;
        }
    }
    ASSERT_EQ(lines.size(), 4u) << r.out;
    const std::string replaced = "caf\xef\xbf\xbd";  // U+FFFD in UTF-8
    EXPECT_EQ(lines[0]["file"], replaced + ".non");
    EXPECT_EQ(lines[0]["name"], replaced);
    EXPECT_EQ(lines[0]["verdict"], "several solutions");
    EXPECT_EQ(lines[0]["solutions"].size(), 2u);
    EXPECT_EQ(lines[1]["file"], "\xe5\x90\x8d.non");
    EXPECT_EQ(lines[1]["solutions"].get<std::vector<std::vector<std::string>>>(),
              (std::vector<std::vector<std::string>>{{"##", "#."}}));
    EXPECT_EQ(lines[2]["name"], "3");
    EXPECT_EQ(lines[3]["verdict"], "no solution");
    for (const auto& o : lines) {
        // The fields in their order, the times as numbers, the counters after them.
        std::vector<std::string> keys;
        for (const auto& item : o.items()) keys.push_back(item.key());
        ASSERT_GT(keys.size(), 12u);
        EXPECT_EQ(std::vector<std::string>(keys.begin(), keys.begin() + 12),
                  (std::vector<std::string>{"file", "index", "name", "status", "verdict", "difficulty", "height",
                                            "width", "solutions", "seconds", "cpu_seconds", "probe_fixed"}));
        EXPECT_TRUE(o["seconds"].is_number_float());
        EXPECT_TRUE(o["queries"].is_number_integer());
    }
}

TEST_F(Tool, SkipsBadPuzzlesAndFilesAndSolvesTheRest)
{
    write("set.txt", "$1\n1\n1\n"
                     "$2\n1\n1\n100\n1\n"
                     "$3\n2\n1\n2\n1\n");
    write("binary.non", std::string("width 2\n\0\0\0", 11));
    write("good.non", unique_non);
    write("short.non", "width 2\nheight 2\nrows\n1\ncolumns\n1\n1\n");
    write("empty.xml", "");
    write("notes.md", "just some notes\n");
    const Output r = run("set.txt missing.non binary.non good.non short.non empty.xml notes.md");
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.err,
              "set.txt:7: $2 row 1: clue 100 needs 100 cells, the row has 2\n"
              "missing.non:0: cannot open: No such file or directory\n"
              "binary.non:2: binary data (byte 0x00), not a puzzle file\n"
              "short.non:5: height 2 asks for 2 row clue lines, found 1\n"
              "empty.xml:1: empty input\n"
              "notes.md:1: unknown format (name the file .non, .xml, .txt, .png or .pbm, or use --format)\n");
    EXPECT_NE(r.out.find("1 (set.txt): unique"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("2 (set.txt)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("3 (set.txt): unique"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("good (good.non): unique"), std::string::npos) << r.out;

    // Neither can a directory or an endless stream; the tool carries on.
    fs::create_directory(dir / "folder.non");
    const Output d = run("folder.non /dev/zero good.non");
    EXPECT_EQ(d.exit_code, 2);
    EXPECT_EQ(d.err, "folder.non:0: cannot read: Is a directory\n"
                     "/dev/zero:0: file too large (more than 64 MiB)\n");
    EXPECT_NE(d.out.find("good (good.non): unique"), std::string::npos);
}

TEST_F(Tool, ReadsStandardInputAndTakesAGivenFormat)
{
    const Output sniffed = run("-", "\xEF\xBB\xBF$5\r\n1\r\n1\r\n");
    EXPECT_EQ(sniffed.exit_code, 0) << sniffed.err;
    EXPECT_EQ(sniffed.out.rfind("5 (-): unique, ", 0), 0u) << sniffed.out;

    const Output forced = run("--format non -", unique_non);
    EXPECT_EQ(forced.exit_code, 0) << forced.err;
    EXPECT_NE(forced.out.find(": unique, "), std::string::npos);

    write("clues.dat", "<puzzle><clues type=\"rows\"><line><count>1</count></line></clues>"
                       "<clues type=\"columns\"><line><count>1</count></line></clues></puzzle>");
    write("x.txt", unique_non);
    const Output by_content = run("clues.dat");
    EXPECT_EQ(by_content.exit_code, 0) << by_content.err;
    EXPECT_NE(by_content.out.find("clues (clues.dat): unique"), std::string::npos) << by_content.out;
    const Output by_option = run("--format=non x.txt");
    EXPECT_EQ(by_option.exit_code, 0) << by_option.err;
    EXPECT_NE(by_option.out.find("x (x.txt): unique"), std::string::npos) << by_option.out;

    const Output wrong = run("--format xml -", unique_non);
    EXPECT_EQ(wrong.exit_code, 2);
    EXPECT_EQ(wrong.err.rfind("-:", 0), 0u) << wrong.err;
}

TEST_F(Tool, AnswersHelpVersionAndBadUsage)
{
    const Output version = run("--version");
    EXPECT_EQ(version.exit_code, 0);
    EXPECT_EQ(version.out, "ombrasel-solve 2.0.0\n");

    const Output help = run("--help");
    EXPECT_EQ(help.exit_code, 0);
    for (const char* part : {"Usage: ombrasel-solve [options] FILE...", "--format", "--json",
                             "--stats", "taai", ".non", "XML", "#  filled", "X  filled here",
                             "x  empty here", "Exit status", "FILE:LINE", "png", "pbm", "--clues DIR",
                             "--svg DIR"})
        EXPECT_NE(help.out.find(part), std::string::npos) << part;
    EXPECT_EQ(run("-h").out, help.out);

    const struct {
        const char* arguments;
        const char* message;
    } bad[] = {
        {"", "no puzzle file given"},
        {"--json", "no puzzle file given"},
        {"--frobnicate x.non", "unknown option '--frobnicate'"},
        {"--format", "--format needs"},
        {"--format pdf x.non", "unknown format 'pdf'"},
    };
    for (const auto& b : bad) {
        const Output r = run(b.arguments);
        EXPECT_EQ(r.exit_code, 2) << b.arguments;
        EXPECT_EQ(r.out, "") << b.arguments;
        EXPECT_NE(r.err.find(b.message), std::string::npos) << b.arguments << ": " << r.err;
    }

    // After "--" a leading dash names a file.
    write("-odd.non", unique_non);
    const Output dashed = run("-- -odd.non");
    EXPECT_EQ(dashed.exit_code, 0) << dashed.err;
    EXPECT_NE(dashed.out.find("-odd (-odd.non): unique"), std::string::npos);
}

}  // namespace
