// Drawing a puzzle's answer as SVG: plain rectangles, lines and text in a generic font
// family, so that it looks the same in every browser and scales without blur.
//
// Layout, in SVG units (pixels at 100 %): the title line on top; under it one panel a grid,
// left to right, each its row clues, its column clues and its grid with a caption below; a
// legend at the bottom when some cell is red. A puzzle of up to 25 x 25 has 20-unit cells and
// clue slots. A larger one has cells as large as keep the picture within about 2000 units (down
// to 12), a row clue number as wide as its digits, and a column clue number too wide for its
// column narrowed to fit.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "writers.h"

namespace {

constexpr int MARGIN = 12;
constexpr int TITLE_BAND = 30;
constexpr int CAPTION_BAND = 24;
constexpr int LEGEND_BAND = 24;
constexpr int PANEL_GAP = 32;      // between two panels
constexpr int TEXT_FONT = 14;      // the title
constexpr int NOTE_FONT = 12;      // captions and the legend
constexpr int NOTE_BASELINE = 14;  // from the top of a band to a note's baseline
constexpr int MINOR_EVERY = 5;     // a black line every five cells

constexpr int SMALL_LINES = 25;    // up to this many rows and columns, the fixed sizes below
constexpr int BUDGET = 2000;       // what a larger picture is kept within, across and down
constexpr int LARGEST_CELL = 20;
constexpr int SMALLEST_CELL = 12;  // a larger picture may exceed the budget rather than go below
constexpr int SMALLEST_FONT = 8;
// A digit's width and a figure's height in a sans-serif font, of the font size, at the most:
// 0.636 in DejaVu Sans, 0.556 in Liberation Sans and Arial; figures 0.73 high.
constexpr double DIGIT_WIDTH = 0.64;
constexpr double FIGURE_HEIGHT = 0.73;

const char* const FONT = "sans-serif";  // generic: every browser has one
const char* const INK = "#000000";
const char* const RED = "#ff0000";
const char* const MINOR_LINE = "#c0c0c0";
const char* const UNSORTED = "#808080";

// Text for XML: markup characters escaped; bytes that are not UTF-8, and characters that
// XML forbids, replaced by '?' (a file name may hold any bytes, a renderer takes none of them).
std::string xml_text(std::string_view s)
{
    std::string out;
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        const std::size_t length = b < 0x80 ? 1 : b >= 0xc2 && b < 0xe0 ? 2 : b >= 0xe0 && b < 0xf0 ? 3
                                             : b >= 0xf0 && b < 0xf5     ? 4 : 0;
        char32_t code = length == 1 ? b : length == 2 ? b & 0x1f : length == 3 ? b & 0x0f : b & 0x07;
        bool ok = length > 0 && i + length <= s.size();
        for (std::size_t k = 1; ok && k < length; ++k) {
            const auto next = static_cast<unsigned char>(s[i + k]);
            ok = (next & 0xc0) == 0x80;
            code = (code << 6) | (next & 0x3f);
        }
        const char32_t least = length == 3 ? 0x800 : length == 4 ? 0x10000 : 0;
        ok = ok && code >= least && code <= 0x10ffff && !(code >= 0xd800 && code < 0xe000) &&
             code != 0xfffe && code != 0xffff && (code >= 0x20 || code == '\t');
        if (!ok) {
            out += '?';
            i += 1;
            continue;
        }
        if (code == '&') out += "&amp;";
        else if (code == '<') out += "&lt;";
        else if (code == '>') out += "&gt;";
        else if (code == '"') out += "&quot;";
        else out.append(s.substr(i, length));
        i += length;
    }
    return out;
}

// Appends the parts to out. (Not "literal" + string: gcc 12 at -O3 warns of overlap there.)
template <typename... Parts>
void put(std::string& out, const Parts&... parts)
{
    (out.append(std::string_view(parts)), ...);
}

std::string n(int v) { return std::to_string(v); }

// Sizes in SVG units, chosen for the puzzle's size.
struct Layout {
    int cell;           // a grid cell's side
    int font;           // the clues'
    int slot_across;    // a row clue number's width; 0: as wide as its digits and a gap
    int slot_down;      // a column clue number's height
    int baseline;       // from the top of a row to its clues' baseline
    int baseline_down;  // from the top of a column clue slot to its number's baseline
    int square_inset;   // white margin around a red square
    int cross_inset;    // and around a red cross
};

constexpr Layout SMALL_LAYOUT = {20, 12, 20, 20, 14, 14, 2, 4};

int digits(int v) { return v >= 100 ? 3 : v >= 10 ? 2 : 1; }
int up(double v) { return static_cast<int>(std::ceil(v)); }

// The width a row clue number takes, half a font size between it and the next in a larger puzzle.
int across(const Layout& l, int v)
{
    return l.slot_across ? l.slot_across : up((digits(v) * DIGIT_WIDTH + 0.5) * l.font);
}

// An empty line shows a 0.
const std::vector<int>& shown(const std::vector<int>& clue)
{
    static const std::vector<int> zero = {0};
    return clue.empty() ? zero : clue;
}

// The width of the row clues, the widest row's.
int clue_width(const Layout& l, const std::vector<std::vector<int>>& rows)
{
    int most = 0;
    for (const auto& clue : rows) {
        int width = 0;
        for (const int v : shown(clue)) width += across(l, v);
        most = std::max(most, width);
    }
    return most;
}

int clue_height(const Layout& l, const std::vector<std::vector<int>>& cols)
{
    std::size_t most = 1;
    for (const auto& clue : cols) most = std::max(most, clue.size());
    return static_cast<int>(most) * l.slot_down;
}

Layout large_layout(int cell)
{
    Layout l{};
    l.cell = cell;
    l.font = std::max(SMALLEST_FONT, static_cast<int>(std::lround(0.6 * cell)));
    l.slot_down = up(1.2 * l.font);  // figures 0.73 high, about half a font size between two
    l.baseline = up((cell + FIGURE_HEIGHT * l.font) / 2);
    l.baseline_down = up((l.slot_down + FIGURE_HEIGHT * l.font) / 2);
    l.square_inset = std::max(1, cell / 10);
    l.cross_inset = cell / 5;
    return l;
}

// The sizes for the puzzle: the fixed ones up to 25 x 25, else the largest cell that keeps
// the panels within the budget.
Layout layout_for(const Puzzle& clues, int panels)
{
    const int height = static_cast<int>(clues.rows.size());
    const int width = static_cast<int>(clues.cols.size());
    if (height <= SMALL_LINES && width <= SMALL_LINES) return SMALL_LAYOUT;
    Layout l{};
    for (int cell = LARGEST_CELL; cell >= SMALLEST_CELL; --cell) {
        l = large_layout(cell);
        const int panel_width = clue_width(l, clues.rows) + width * cell;
        const int total_width = 2 * MARGIN + panels * panel_width + (panels - 1) * PANEL_GAP;
        const int total_height =
            2 * MARGIN + TITLE_BAND + clue_height(l, clues.cols) + height * cell + CAPTION_BAND + LEGEND_BAND;
        if (total_width <= BUDGET && total_height <= BUDGET) break;
    }
    return l;
}

// A text element centred on x when anchor is "middle"; squeeze, below 1, narrows it about x.
void put_text(std::string& svg, int x, int y, const char* anchor, int size, std::string_view content,
              double squeeze = 1)
{
    put(svg, "<text x=\"", n(x), "\" y=\"", n(y), "\" text-anchor=\"", anchor, "\" font-size=\"", n(size), "\"");
    if (squeeze < 1) {
        char matrix[64];
        std::snprintf(matrix, sizeof matrix, " transform=\"matrix(%.3f 0 0 1 %.3f 0)\"", squeeze, x * (1 - squeeze));
        svg += matrix;
    }
    put(svg, ">", xml_text(content), "</text>\n");
}

void open_text_group(std::string& svg, const char* colour)
{
    put(svg, "<g font-family=\"", FONT, "\" fill=\"", colour, "\">\n");
}

// Where a panel's grid lies; its row clues end at its left edge, its column clues at its top.
struct Panel {
    int grid_x;
    int grid_y;
};

void draw_clues(std::string& svg, const Puzzle& clues, const Layout& l, const Panel& p)
{
    open_text_group(svg, INK);
    for (std::size_t r = 0; r < clues.rows.size(); ++r) {
        const auto& clue = shown(clues.rows[r]);
        const int y = p.grid_y + static_cast<int>(r) * l.cell + l.baseline;
        int right = p.grid_x;  // of the number's place, from the grid leftwards
        std::vector<int> centres(clue.size());
        for (std::size_t k = clue.size(); k-- > 0;) {
            const int width = across(l, clue[k]);
            centres[k] = right - width / 2;
            right -= width;
        }
        for (std::size_t k = 0; k < clue.size(); ++k) put_text(svg, centres[k], y, "middle", l.font, n(clue[k]));
    }
    // A number wider than its column is narrowed to fit, a cell's tenth from each edge.
    const auto squeeze = [&](int v) { return std::min(1.0, 0.8 * l.cell / (digits(v) * DIGIT_WIDTH * l.font)); };
    for (std::size_t c = 0; c < clues.cols.size(); ++c) {
        const auto& clue = shown(clues.cols[c]);
        const int x = p.grid_x + static_cast<int>(c) * l.cell + l.cell / 2;
        for (std::size_t k = 0; k < clue.size(); ++k) {
            const int from_grid = static_cast<int>(clue.size() - k);
            put_text(svg, x, p.grid_y - from_grid * l.slot_down + l.baseline_down, "middle", l.font, n(clue[k]),
                     squeeze(clue[k]));
        }
    }
    svg += "</g>\n";
}

void put_rect(std::string& out, int x, int y, int size)
{
    put(out, "<rect x=\"", n(x), "\" y=\"", n(y), "\" width=\"", n(size), "\" height=\"", n(size), "\"/>\n");
}

void draw_grid(std::string& svg, const SvgGrid& grid, int height, int width, const Layout& l, const Panel& p,
               int number)
{
    std::string black;
    std::string squares;
    std::string crosses;
    std::string dots;
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c) {
            const int x = p.grid_x + c * l.cell;
            const int y = p.grid_y + r * l.cell;
            const i32 mark = grid.mark(r, c, width);
            if (!grid.unsorted.empty() && grid.unsorted[static_cast<std::size_t>(r * width + c)])
                put(dots, "<circle cx=\"", n(x + l.cell / 2), "\" cy=\"", n(y + l.cell / 2), "\" r=\"",
                    n(std::max(2, l.cell / 6)), "\"/>\n");
            if (mark == MARK_FILLED) {
                put_rect(black, x, y, l.cell);
            } else if (mark == MARK_FILLED_DIFFERS) {
                put_rect(squares, x + l.square_inset, y + l.square_inset, l.cell - 2 * l.square_inset);
            } else if (mark == MARK_EMPTY_DIFFERS) {
                const int a = l.cross_inset;
                const int b = l.cell - l.cross_inset;
                put(crosses, "M", n(x + a), " ", n(y + a), "L", n(x + b), " ", n(y + b), "M", n(x + b), " ", n(y + a),
                    "L", n(x + a), " ", n(y + b));
            }
        }
    // Cells meet edge to edge: no anti-aliased seam between two black cells.
    svg += "<g shape-rendering=\"crispEdges\">\n";
    if (!black.empty()) put(svg, "<g fill=\"", INK, "\">\n", black, "</g>\n");
    if (!squares.empty()) put(svg, "<g fill=\"", RED, "\">\n", squares, "</g>\n");
    svg += "</g>\n";
    if (!crosses.empty()) put(svg, "<path fill=\"none\" stroke=\"", RED, "\" stroke-width=\"2\" d=\"", crosses, "\"/>\n");
    if (!dots.empty()) put(svg, "<g fill=\"", UNSORTED, "\">\n", dots, "</g>\n");

    std::string minor;
    std::string major;
    const int right = p.grid_x + width * l.cell;
    const int bottom = p.grid_y + height * l.cell;
    for (int c = 1; c < width; ++c)
        put(c % MINOR_EVERY ? minor : major, "M", n(p.grid_x + c * l.cell), " ", n(p.grid_y), "V", n(bottom));
    for (int r = 1; r < height; ++r)
        put(r % MINOR_EVERY ? minor : major, "M", n(p.grid_x), " ", n(p.grid_y + r * l.cell), "H", n(right));
    svg += "<g fill=\"none\" shape-rendering=\"crispEdges\">\n";
    if (!minor.empty()) put(svg, "<path stroke=\"", MINOR_LINE, "\" stroke-width=\"1\" d=\"", minor, "\"/>\n");
    if (!major.empty()) put(svg, "<path stroke=\"", INK, "\" stroke-width=\"1\" d=\"", major, "\"/>\n");
    put(svg, "<rect id=\"grid-", n(number), "\" x=\"", n(p.grid_x), "\" y=\"", n(p.grid_y), "\" width=\"",
        n(width * l.cell), "\" height=\"", n(height * l.cell), "\" stroke=\"", INK, "\" stroke-width=\"2\"/>\n</g>\n");
}

// A rough width of a line of text, for the picture's own width: wide enough for sans-serif.
int text_width(std::string_view s, int size) { return static_cast<int>(s.size()) * size * 6 / 10; }

}  // namespace

std::string answer_svg(const Puzzle& clues, std::string_view title, std::string_view verdict,
                       const std::vector<SvgGrid>& grids)
{
    const int height = static_cast<int>(clues.rows.size());
    const int width = static_cast<int>(clues.cols.size());
    const int count = static_cast<int>(grids.size());
    const Layout l = layout_for(clues, std::max(1, count));
    const int panel_width = clue_width(l, clues.rows) + width * l.cell;

    bool captions = false;
    bool red = false;
    bool unsorted = false;
    for (const SvgGrid& grid : grids) {
        captions = captions || !grid.caption.empty();
        for (int r = 0; r < height; ++r)
            for (int c = 0; c < width; ++c)
                red = red || mark_differs(grid.mark(r, c, width));
        unsorted = unsorted || std::find(grid.unsorted.begin(), grid.unsorted.end(), true) != grid.unsorted.end();
    }
    std::string heading;
    put(heading, title, ": ", verdict);
    std::string legend = "red: differs in another solution (a square: filled here; a cross: empty here)";
    if (unsorted) legend += "; grey dot: not yet known whether it differs";
    red = red || unsorted;
    const int grid_top = MARGIN + TITLE_BAND + clue_height(l, clues.cols);
    const int grid_bottom = grid_top + height * l.cell;
    const int legend_top = grid_bottom + (captions ? CAPTION_BAND : 0);
    int total_width = 2 * MARGIN + count * panel_width + std::max(0, count - 1) * PANEL_GAP;
    total_width = std::max(total_width, 2 * MARGIN + text_width(heading, TEXT_FONT));
    if (red) total_width = std::max(total_width, 2 * MARGIN + text_width(legend, NOTE_FONT));
    const int total_height = legend_top + (red ? LEGEND_BAND : 0) + MARGIN;

    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    put(svg, "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"", n(total_width), "\" height=\"", n(total_height),
        "\" viewBox=\"0 0 ", n(total_width), " ", n(total_height), "\">\n");
    put(svg, "<title>", xml_text(heading), "</title>\n");
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
    open_text_group(svg, INK);
    put_text(svg, MARGIN, MARGIN + NOTE_BASELINE + 4, "start", TEXT_FONT, heading);
    svg += "</g>\n";

    for (int g = 0; g < count; ++g) {
        const Panel p{MARGIN + g * (panel_width + PANEL_GAP) + clue_width(l, clues.rows), grid_top};
        draw_clues(svg, clues, l, p);
        draw_grid(svg, grids[g], height, width, l, p, g + 1);
        if (!grids[g].caption.empty()) {
            open_text_group(svg, INK);
            put_text(svg, p.grid_x + width * l.cell / 2, grid_bottom + NOTE_BASELINE + 4, "middle", NOTE_FONT,
                     grids[g].caption);
            svg += "</g>\n";
        }
    }
    if (red) {
        open_text_group(svg, RED);
        put_text(svg, MARGIN, legend_top + NOTE_BASELINE + 4, "start", NOTE_FONT, legend);
        svg += "</g>\n";
    }
    svg += "</svg>\n";
    return svg;
}
