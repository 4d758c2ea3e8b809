// The picture of an answer as a user sees it: every SVG rendered by a real renderer
// (rsvg-convert), and the pixel at the centre of every grid cell black, white or red as the
// answer says; the clues where they belong and in ink.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "pictures.h"
#include "readers.h"
#include "tool_run.h"
#include "writers.h"

namespace {

constexpr int ZOOM = 2;  // rendered at twice the SVG's size

struct Rgba {
    int width = 0;
    int height = 0;
    std::vector<png_byte> pixels;  // four bytes a pixel, row by row
    const png_byte* at(int x, int y) const { return &pixels[(static_cast<std::size_t>(y) * width + x) * 4]; }
};

// Reads any PNG file as 8-bit RGBA; width 0 when it cannot.
Rgba read_rgba(const std::string& path)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Rgba out;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return out;
    image.format = PNG_FORMAT_RGBA;
    out.pixels.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr)) return out;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    return out;
}

// The grid's outline as the SVG gives it, in SVG units.
struct Frame {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
};

std::optional<Frame> frame_of(const std::string& svg, int number)
{
    const std::regex rect("<rect id=\"grid-" + std::to_string(number) +
                          "\" x=\"([0-9.]+)\" y=\"([0-9.]+)\" width=\"([0-9.]+)\" height=\"([0-9.]+)\"");
    std::smatch m;
    if (!std::regex_search(svg, m, rect)) return std::nullopt;
    return Frame{std::stod(m[1]), std::stod(m[2]), std::stod(m[3]), std::stod(m[4])};
}

// The SVG file rendered to PNG by rsvg-convert and read back; empty when that failed.
Rgba render(const fs::path& svg)
{
    const fs::path png = fs::path(svg).replace_extension(".rendered.png");
    const std::string command = "rsvg-convert --zoom " + std::to_string(ZOOM) + " -o '" + png.string() + "' '" +
                                svg.string() + "' 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return read_rgba(png.string());
}

enum class Ink { black, white, red, other };

const char* ink_name(Ink ink)
{
    return ink == Ink::black ? "black" : ink == Ink::white ? "white" : ink == Ink::red ? "red" : "other";
}

Ink ink_at(const Rgba& image, double x, double y)
{
    const png_byte* p = image.at(static_cast<int>(x * ZOOM), static_cast<int>(y * ZOOM));
    if (p[0] < 70 && p[1] < 70 && p[2] < 70) return Ink::black;
    if (p[0] > 190 && p[1] > 190 && p[2] > 190) return Ink::white;
    if (p[0] > 190 && p[1] < 70 && p[2] < 70) return Ink::red;
    return Ink::other;
}

// Checks every cell of a rendered grid against its marks (one digit a cell, as in the JSON
// result_grid): at the centre black for filled, white for empty, red for a cell that differs;
// a quarter cell above the centre red only for a filled one that differs (a square), white
// for an empty one (a cross); counts the marks seen.
void expect_cells(const Rgba& image, const Frame& f, const std::vector<std::string>& marks, std::set<char>& seen)
{
    const double cell = f.width / static_cast<double>(marks.at(0).size());
    EXPECT_DOUBLE_EQ(f.height, cell * static_cast<double>(marks.size()));
    for (std::size_t r = 0; r < marks.size(); ++r)
        for (std::size_t c = 0; c < marks[r].size(); ++c) {
            const char mark = marks[r][c];
            seen.insert(mark);
            const double x = f.x + (static_cast<double>(c) + 0.5) * cell;
            const double y = f.y + (static_cast<double>(r) + 0.5) * cell;
            const Ink centre = mark == '2' ? Ink::black : mark == '3' || mark == '4' ? Ink::red : Ink::white;
            const Ink above = mark == '3' ? Ink::white : centre;
            EXPECT_EQ(ink_name(ink_at(image, x, y)), std::string(ink_name(centre)))
                << "centre of cell " << r << "," << c << ", mark " << mark;
            EXPECT_EQ(ink_name(ink_at(image, x, y - cell / 4)), std::string(ink_name(above)))
                << "above the centre of cell " << r << "," << c << ", mark " << mark;
        }
}

struct Label {
    double x;
    double y;
    int number;
    int size;  // of its font
};

// The SVG's text elements that hold a number alone: the clues.
std::vector<Label> number_labels(const std::string& svg)
{
    const std::regex text("<text x=\"([0-9.]+)\" y=\"([0-9.]+)\"[^>]*font-size=\"([0-9]+)\"[^>]*>([0-9]+)</text>");
    std::vector<Label> labels;
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), text); it != std::sregex_iterator(); ++it)
        labels.push_back({std::stod((*it)[1]), std::stod((*it)[2]), std::stoi((*it)[4]), std::stoi((*it)[3])});
    return labels;
}

// The clues are left of each row and above each column, in order, an empty line shown as 0;
// each number is drawn in ink. Labels left of min_x belong to another grid.
void expect_clues(const std::string& svg, const Rgba& image, const Frame& f, const Puzzle& p, double min_x = 0)
{
    auto labels = number_labels(svg);
    labels.erase(std::remove_if(labels.begin(), labels.end(), [&](const Label& l) { return l.x < min_x; }),
                 labels.end());
    const double cell = f.width / static_cast<double>(p.cols.size());
    const auto shown = [](const std::vector<int>& clue) { return clue.empty() ? std::vector<int>{0} : clue; };
    for (std::size_t r = 0; r < p.rows.size(); ++r) {
        std::vector<Label> row;
        for (const Label& l : labels)
            if (l.x < f.x && l.y > f.y + static_cast<double>(r) * cell && l.y <= f.y + static_cast<double>(r + 1) * cell)
                row.push_back(l);
        std::sort(row.begin(), row.end(), [](const Label& a, const Label& b) { return a.x < b.x; });
        std::vector<int> numbers;
        for (const Label& l : row) numbers.push_back(l.number);
        EXPECT_EQ(numbers, shown(p.rows[r])) << "row " << r;
    }
    for (std::size_t c = 0; c < p.cols.size(); ++c) {
        std::vector<Label> column;
        for (const Label& l : labels)
            if (l.y < f.y && l.x > f.x + static_cast<double>(c) * cell && l.x < f.x + static_cast<double>(c + 1) * cell)
                column.push_back(l);
        std::sort(column.begin(), column.end(), [](const Label& a, const Label& b) { return a.y < b.y; });
        std::vector<int> numbers;
        for (const Label& l : column) numbers.push_back(l.number);
        EXPECT_EQ(numbers, shown(p.cols[c])) << "column " << c;
    }
    // Some dark pixel in the box of each number: the font is there and draws.
    for (const Label& l : labels) {
        bool inked = false;
        for (double y = l.y - 9; y <= l.y && !inked; y += 0.5)
            for (double x = l.x - 6; x <= l.x + 6 && !inked; x += 0.5) inked = ink_at(image, x, y) == Ink::black;
        EXPECT_TRUE(inked) << "clue " << l.number << " at " << l.x << "," << l.y;
    }
}

// Every font the SVG names is a generic family, which every browser has.
void expect_generic_fonts(const std::string& svg)
{
    const std::regex family("font-family=\"([^\"]*)\"");
    int count = 0;
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), family); it != std::sregex_iterator(); ++it) {
        const std::string name = (*it)[1];
        EXPECT_TRUE(name == "sans-serif" || name == "serif" || name == "monospace") << name;
        ++count;
    }
    EXPECT_GT(count, 0);
}

TEST_F(Tool, SvgShowsEachAnswerAsTheWindowMarksIt)
{
    Rng rng(3);
    write("drawing.pbm", raw_pbm_of(random_grid(rng, 12, 17, 0.55), rng));
    write("several.png", png_of(random_grid(rng, 6, 9, 0.5), {PNG_COLOR_TYPE_GRAY, 8, false}, false, rng));
    write("none.non", none_non);
    write("set.txt", "$7\n0\n1\n1\n0\n1\n1\n");  // 3 x 3 with empty lines and two solutions
    const std::string odd = "we\"ird <&> \xff name.non";
    write(odd, unique_non);
    const std::vector<std::string> inputs = {"drawing.pbm", "several.png", "none.non", "set.txt", odd};
    std::string arguments = "--json --svg pictures";
    for (const auto& input : inputs) arguments.append(" ").append(quoted(input));
    const Output r = run(arguments);
    ASSERT_EQ(r.exit_code, 0) << r.err;

    const std::vector<JsonObject> objects = json_lines(r.out);
    ASSERT_EQ(objects.size(), inputs.size());
    std::set<char> seen;
    std::set<std::string> verdicts;
    for (std::size_t k = 0; k < objects.size(); ++k) {
        const JsonObject& o = objects[k];
        // The file is named by the puzzle's name as read; JSON shows a name that is not UTF-8
        // otherwise.
        const auto read = read_puzzles(slurp(dir / inputs[k]), inputs[k], std::nullopt);
        const std::string name = std::get<Puzzle>(read.at(0)).name;
        const std::string verdict = str_field(o, "verdict");
        SCOPED_TRACE(name + ": " + verdict);
        verdicts.insert(verdict);
        const fs::path path = dir / "pictures" / (name + ".svg");
        const std::string svg = slurp(path);
        ASSERT_FALSE(svg.empty());
        const Rgba image = render(path);
        ASSERT_GT(image.width, 0) << "rsvg-convert made no picture of " << path;
        const auto frame = frame_of(svg, 1);
        ASSERT_TRUE(frame);
        EXPECT_FALSE(frame_of(svg, 2)) << "one grid";
        EXPECT_LE((frame->x + frame->width) * ZOOM, image.width);
        EXPECT_LE((frame->y + frame->height) * ZOOM, image.height);

        std::vector<std::string> marks;
        for (const Json& row : std::get<JsonArray>(field(o, "result_grid").value))
            marks.push_back(std::get<std::string>(row.value));
        expect_cells(image, *frame, marks, seen);
        expect_clues(svg, image, *frame, std::get<Puzzle>(read.at(0)));
        expect_generic_fonts(svg);
        // The verdict in words beside the name, which stays readable however odd it is.
        const std::string shown_name = k == 4 ? "we&quot;ird &lt;&amp;&gt; ? name" : name;
        EXPECT_NE(svg.find(std::string(">").append(shown_name).append(": ").append(verdict).append("</text>")), std::string::npos) << svg;
    }
    EXPECT_EQ(verdicts, (std::set<std::string>{"unique", "several solutions", "no solution"}));
    // Every kind of cell was drawn and checked somewhere.
    for (const char mark : {'0', '1', '2', '3', '4'}) EXPECT_TRUE(seen.count(mark)) << mark;
}

// With the uniqueness question, the two solutions side by side, each with its clues, the cells in
// which they differ red in both.
TEST_F(Tool, SvgDrawsTheTwoSolutionsOfTheUniquenessQuestionSideBySide)
{
    write("set.txt", "$7\n0\n1\n1\n0\n1\n1\n");  // 3 x 3, two solutions
    const Output r = run("--json --uniqueness --svg pictures set.txt");
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const JsonObject o = std::get<JsonObject>(JsonParser(r.out).parse_all().value);
    const JsonArray& solutions = std::get<JsonArray>(field(o, "solutions").value);
    ASSERT_EQ(solutions.size(), 2u);
    std::vector<std::string> grid[2];
    for (int k = 0; k < 2; ++k)
        for (const Json& row : std::get<JsonArray>(solutions[k].value)) grid[k].push_back(std::get<std::string>(row.value));
    ASSERT_NE(grid[0], grid[1]);
    std::vector<std::string> marks[2] = {grid[0], grid[1]};
    for (int k = 0; k < 2; ++k)
        for (std::size_t row = 0; row < grid[k].size(); ++row)
            for (std::size_t c = 0; c < grid[k][row].size(); ++c) {
                const bool filled = grid[k][row][c] == '#';
                const bool differs = grid[0][row][c] != grid[1][row][c];
                marks[k][row][c] = static_cast<char>('1' + filled + (differs ? 2 : 0));
            }

    const fs::path path = dir / "pictures" / "7.svg";
    const std::string svg = slurp(path);
    const Rgba image = render(path);
    ASSERT_GT(image.width, 0);
    const auto left = frame_of(svg, 1);
    const auto right = frame_of(svg, 2);
    ASSERT_TRUE(left && right);
    EXPECT_FALSE(frame_of(svg, 3));
    EXPECT_EQ(left->y, right->y);
    EXPECT_GT(right->x, left->x + left->width);
    EXPECT_LE((right->x + right->width) * ZOOM, image.width);
    std::set<char> seen;
    expect_cells(image, *left, marks[0], seen);
    expect_cells(image, *right, marks[1], seen);
    EXPECT_EQ(seen, (std::set<char>{'1', '3', '4'}));
    const Puzzle clues = std::get<Puzzle>(read_puzzles(slurp(dir / "set.txt"), "set.txt", std::nullopt).at(0));
    expect_clues(svg, image, *left, clues);
    expect_clues(svg, image, *right, clues, left->x + left->width);
    for (const char* caption : {">first solution</text>", ">second solution</text>"})
        EXPECT_NE(svg.find(caption), std::string::npos) << caption;
}


// Whether a pixel column of the rendered picture has ink from y0 to y1 (SVG units).
bool inked(const Rgba& image, double x, double y0, double y1)
{
    for (int y = static_cast<int>(y0 * ZOOM); y <= static_cast<int>(y1 * ZOOM); ++y) {
        const png_byte* p = image.at(static_cast<int>(x * ZOOM), y);
        if (p[0] < 200 || p[1] < 200 || p[2] < 200) return true;
    }
    return false;
}

// Large answers drawn without the solver, marks at random: the picture within about 2000 units
// where the puzzle allows, cells of at least 12 (up to 25 x 25, cells and row clue slots of 20),
// clue fonts of at least 8, and, 3-digit numbers included, paper at every edge between two
// columns in the column clues and between two numbers of a row, wider than between two digits.
TEST_F(Tool, SvgOfALargePuzzleStaysReadableAndOfSensibleSize)
{
    Rng rng(99);
    const struct {
        int height, width, most;  // the most units the picture may take across and down
    } cases[] = {{59, 99, 2000}, {128, 128, 2600}, {25, 25, 1000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.height) + " x " + std::to_string(c.width));
        Grid grid = random_grid(rng, c.height, c.width, 0.5);
        for (int col = 0; col < c.width; ++col) grid[1][col] = col % 2 == 0;
        for (auto& row : grid) row[0] = true;
        Puzzle p;
        p.rows = row_clues(grid);
        p.cols = column_clues(grid);
        SvgGrid answer;
        std::vector<std::string> marks(static_cast<std::size_t>(c.height));
        for (auto& row : marks)
            for (int col = 0; col < c.width; ++col) {
                answer.marks.push_back(1 + rng.below(4));
                row += static_cast<char>('0' + answer.marks.back());
            }
        const std::string svg = answer_svg(p, "large", "several solutions", {answer});
        const Rgba image = render(write("large.svg", svg));
        ASSERT_GT(image.width, 0);
        EXPECT_LE(std::max(image.width, image.height), c.most * ZOOM);
        const auto f = frame_of(svg, 1);
        ASSERT_TRUE(f);
        const double cell = f->width / c.width;
        EXPECT_TRUE(c.width > 25 ? cell >= 12 : cell == 20) << cell;
        std::set<char> seen;
        expect_cells(image, *f, marks, seen);
        expect_clues(svg, image, *f, p);

        auto labels = number_labels(svg);
        std::sort(labels.begin(), labels.end(),
                  [](const Label& a, const Label& b) { return std::pair(a.y, a.x) < std::pair(b.y, b.x); });
        double clues_top = f->y;
        for (const Label& l : labels) {
            EXPECT_GE(l.size, 8) << l.number;
            clues_top = std::min(clues_top, l.y - 10);
            EXPECT_TRUE(c.width > 25 || l.x > f->x || std::fmod(f->x - l.x, 20.0) == 10.0) << "the slot of " << l.number;
        }
        for (int col = 1; col < c.width; ++col)
            EXPECT_FALSE(inked(image, f->x + col * cell, clues_top, f->y - 2)) << "clue over the left edge of column " << col;
        for (std::size_t k = 1; k < labels.size(); ++k) {
            const Label& a = labels[k - 1];
            const Label& b = labels[k];
            if (a.y != b.y || b.x >= f->x) continue;  // not two numbers of a row
            const double top = f->y + std::floor((b.y - f->y) / cell) * cell;
            double paper = 0, widest = 0;
            for (double x = a.x; x < b.x; x += 1.0 / ZOOM) {
                paper = inked(image, x, top + 1, top + cell - 1) ? 0 : paper + 1.0 / ZOOM;
                widest = std::max(widest, paper);
            }
            EXPECT_GE(widest, 0.4 * b.size) << a.number << " near " << b.number << " at y " << b.y;
        }
    }
}

// The whole way at the tool's size, once the solver takes it: a 128 x 128 drawing and a 30 x 30
// tournament puzzle, each a staircase that line propagation settles, answered with their clues
// and pictures written.
TEST_F(Tool, LargePuzzlesAreAnsweredWithTheirCluesAndPictures)
{
    const auto staircase = [](int n) {
        Grid grid(static_cast<std::size_t>(n), std::vector<bool>(static_cast<std::size_t>(n)));
        for (int r = 0; r < n; ++r)
            for (int c = 0; c <= r; ++c) grid[r][c] = true;
        return grid;
    };
    Rng rng(128);
    const Grid large = staircase(128);
    const Grid tournament = staircase(30);
    write("large.pbm", raw_pbm_of(large, rng));
    std::string text = "$30\n";
    for (const auto& lines : {column_clues(tournament), row_clues(tournament)})
        for (const auto& clue : lines) {
            for (std::size_t k = 0; k < clue.size(); ++k) text.append(k ? "\t" : "").append(std::to_string(clue[k]));
            text += "\n";
        }
    write("thirty.txt", text);

    const Output r = run("--json --clues clues --svg svg large.pbm thirty.txt", "", 120);
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::vector<JsonObject> objects = json_lines(r.out);
    ASSERT_EQ(objects.size(), 2u);
    const struct {
        const char* name;
        const Grid& grid;
    } expected[] = {{"large", large}, {"30", tournament}};
    for (std::size_t k = 0; k < 2; ++k) {
        const Grid& grid = expected[k].grid;
        const std::string name = expected[k].name;
        SCOPED_TRACE(name);
        const JsonObject& o = objects[k];
        EXPECT_EQ(str_field(o, "name"), name);
        EXPECT_EQ(str_field(o, "verdict"), "unique");
        std::vector<std::string> marks;
        for (const Json& row : std::get<JsonArray>(field(o, "result_grid").value))
            marks.push_back(std::get<std::string>(row.value));
        ASSERT_EQ(marks.size(), grid.size());
        for (std::size_t row = 0; row < grid.size(); ++row) {
            std::string drawn;
            for (const bool filled : grid[row]) drawn += filled ? '2' : '1';
            EXPECT_EQ(marks[row], drawn) << "row " << row;
        }

        const auto written = read_puzzles(slurp(dir / "clues" / (name + ".non")), name + ".non", std::nullopt);
        const auto* clues = written.size() == 1 ? std::get_if<Puzzle>(&written[0]) : nullptr;
        ASSERT_TRUE(clues);
        EXPECT_EQ(clues->rows, row_clues(grid));
        EXPECT_EQ(clues->cols, column_clues(grid));

        const fs::path path = dir / "svg" / (name + ".svg");
        const std::string svg = slurp(path);
        const Rgba image = render(path);
        ASSERT_GT(image.width, 0);
        EXPECT_LE(image.width, 2000 * ZOOM);
        const auto frame = frame_of(svg, 1);
        ASSERT_TRUE(frame);
        std::set<char> seen;
        expect_cells(image, *frame, marks, seen);
        expect_clues(svg, image, *frame, *clues);
    }
}

}  // namespace
