// Drawing a puzzle's answer as SVG: plain rectangles, lines and text in a generic font
// family, so that it looks the same in every browser and scales without blur.
//
// Layout, in SVG units (pixels at 100 %): the title line on top; under it one panel a grid,
// left to right, each its row clues, its column clues and its grid of 20-unit cells with a
// caption below; a legend at the bottom when some cell is red.
#include <algorithm>

#include "writers.h"

namespace {

constexpr int CELL = 20;           // a grid cell
constexpr int SLOT = 20;           // a clue number's place, across and down
constexpr int MARGIN = 12;
constexpr int TITLE_BAND = 30;
constexpr int CAPTION_BAND = 24;
constexpr int LEGEND_BAND = 24;
constexpr int PANEL_GAP = 32;      // between two panels
constexpr int CLUE_FONT = 12;
constexpr int TEXT_FONT = 14;
constexpr int BASELINE = 14;       // from the top of a 20-unit band to a 12-unit text's baseline
constexpr int SQUARE_INSET = 2;    // white margin around a red square
constexpr int CROSS_INSET = 4;     // and around a red cross
constexpr int MINOR_EVERY = 5;     // a black line every five cells

const char* const FONT = "sans-serif";  // generic: every browser has one
const char* const INK = "#000000";
const char* const RED = "#ff0000";
const char* const MINOR_LINE = "#c0c0c0";

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

void put_text(std::string& svg, int x, int y, const char* anchor, int size, std::string_view content)
{
    put(svg, "<text x=\"", n(x), "\" y=\"", n(y), "\" text-anchor=\"", anchor, "\" font-size=\"", n(size), "\">",
        xml_text(content), "</text>\n");
}

void open_text_group(std::string& svg, const char* colour)
{
    put(svg, "<g font-family=\"", FONT, "\" fill=\"", colour, "\">\n");
}

std::size_t longest(const std::vector<std::vector<int>>& lines)
{
    std::size_t most = 1;  // an empty line still shows its 0
    for (const auto& clue : lines) most = std::max(most, clue.size());
    return most;
}

// Where a panel's grid lies; its row clues end at its left edge, its column clues at its top.
struct Panel {
    int grid_x;
    int grid_y;
};

void draw_clues(std::string& svg, const Puzzle& clues, const Panel& p)
{
    open_text_group(svg, INK);
    for (std::size_t r = 0; r < clues.rows.size(); ++r) {
        const auto& clue = clues.rows[r];
        const int y = p.grid_y + static_cast<int>(r) * CELL + BASELINE;
        if (clue.empty()) put_text(svg, p.grid_x - SLOT / 2, y, "middle", CLUE_FONT, "0");
        for (std::size_t k = 0; k < clue.size(); ++k) {
            const int from_grid = static_cast<int>(clue.size() - k);
            put_text(svg, p.grid_x - from_grid * SLOT + SLOT / 2, y, "middle", CLUE_FONT, n(clue[k]));
        }
    }
    for (std::size_t c = 0; c < clues.cols.size(); ++c) {
        const auto& clue = clues.cols[c];
        const int x = p.grid_x + static_cast<int>(c) * CELL + CELL / 2;
        if (clue.empty()) put_text(svg, x, p.grid_y - SLOT + BASELINE, "middle", CLUE_FONT, "0");
        for (std::size_t k = 0; k < clue.size(); ++k) {
            const int from_grid = static_cast<int>(clue.size() - k);
            put_text(svg, x, p.grid_y - from_grid * SLOT + BASELINE, "middle", CLUE_FONT, n(clue[k]));
        }
    }
    svg += "</g>\n";
}

void put_rect(std::string& out, int x, int y, int size)
{
    put(out, "<rect x=\"", n(x), "\" y=\"", n(y), "\" width=\"", n(size), "\" height=\"", n(size), "\"/>\n");
}

void draw_grid(std::string& svg, const SvgGrid& grid, int height, int width, const Panel& p, int number)
{
    std::string black;
    std::string squares;
    std::string crosses;
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c) {
            const int x = p.grid_x + c * CELL;
            const int y = p.grid_y + r * CELL;
            const i32 mark = grid.mark(r, c, width);
            if (mark == MARK_FILLED) {
                put_rect(black, x, y, CELL);
            } else if (mark == MARK_FILLED_DIFFERS) {
                put_rect(squares, x + SQUARE_INSET, y + SQUARE_INSET, CELL - 2 * SQUARE_INSET);
            } else if (mark == MARK_EMPTY_DIFFERS) {
                const int a = CROSS_INSET;
                const int b = CELL - CROSS_INSET;
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

    std::string minor;
    std::string major;
    const int right = p.grid_x + width * CELL;
    const int bottom = p.grid_y + height * CELL;
    for (int c = 1; c < width; ++c)
        put(c % MINOR_EVERY ? minor : major, "M", n(p.grid_x + c * CELL), " ", n(p.grid_y), "V", n(bottom));
    for (int r = 1; r < height; ++r)
        put(r % MINOR_EVERY ? minor : major, "M", n(p.grid_x), " ", n(p.grid_y + r * CELL), "H", n(right));
    svg += "<g fill=\"none\" shape-rendering=\"crispEdges\">\n";
    if (!minor.empty()) put(svg, "<path stroke=\"", MINOR_LINE, "\" stroke-width=\"1\" d=\"", minor, "\"/>\n");
    if (!major.empty()) put(svg, "<path stroke=\"", INK, "\" stroke-width=\"1\" d=\"", major, "\"/>\n");
    put(svg, "<rect id=\"grid-", n(number), "\" x=\"", n(p.grid_x), "\" y=\"", n(p.grid_y), "\" width=\"",
        n(width * CELL), "\" height=\"", n(height * CELL), "\" stroke=\"", INK, "\" stroke-width=\"2\"/>\n</g>\n");
}

// A rough width of a line of text, for the picture's own width: wide enough for sans-serif.
int text_width(std::string_view s, int size) { return static_cast<int>(s.size()) * size * 6 / 10; }

}  // namespace

std::string answer_svg(const Puzzle& clues, std::string_view title, std::string_view verdict,
                       const std::vector<SvgGrid>& grids)
{
    const int height = static_cast<int>(clues.rows.size());
    const int width = static_cast<int>(clues.cols.size());
    const int clue_width = static_cast<int>(longest(clues.rows)) * SLOT;
    const int clue_height = static_cast<int>(longest(clues.cols)) * SLOT;
    const int panel_width = clue_width + width * CELL;
    const int count = static_cast<int>(grids.size());

    bool captions = false;
    bool red = false;
    for (const SvgGrid& grid : grids) {
        captions = captions || !grid.caption.empty();
        for (int r = 0; r < height; ++r)
            for (int c = 0; c < width; ++c)
                red = red || mark_differs(grid.mark(r, c, width));
    }
    std::string heading;
    put(heading, title, ": ", verdict);
    const char* const legend = "red: differs in another solution (a square: filled here; a cross: empty here)";
    const int grid_top = MARGIN + TITLE_BAND + clue_height;
    const int grid_bottom = grid_top + height * CELL;
    const int legend_top = grid_bottom + (captions ? CAPTION_BAND : 0);
    int total_width = 2 * MARGIN + count * panel_width + std::max(0, count - 1) * PANEL_GAP;
    total_width = std::max(total_width, 2 * MARGIN + text_width(heading, TEXT_FONT));
    if (red) total_width = std::max(total_width, 2 * MARGIN + text_width(legend, CLUE_FONT));
    const int total_height = legend_top + (red ? LEGEND_BAND : 0) + MARGIN;

    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    put(svg, "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"", n(total_width), "\" height=\"", n(total_height),
        "\" viewBox=\"0 0 ", n(total_width), " ", n(total_height), "\">\n");
    put(svg, "<title>", xml_text(heading), "</title>\n");
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
    open_text_group(svg, INK);
    put_text(svg, MARGIN, MARGIN + BASELINE + 4, "start", TEXT_FONT, heading);
    svg += "</g>\n";

    for (int g = 0; g < count; ++g) {
        const Panel p{MARGIN + g * (panel_width + PANEL_GAP) + clue_width, grid_top};
        draw_clues(svg, clues, p);
        draw_grid(svg, grids[g], height, width, p, g + 1);
        if (!grids[g].caption.empty()) {
            open_text_group(svg, INK);
            put_text(svg, p.grid_x + width * CELL / 2, grid_bottom + BASELINE + 4, "middle", CLUE_FONT,
                     grids[g].caption);
            svg += "</g>\n";
        }
    }
    if (red) {
        open_text_group(svg, RED);
        put_text(svg, MARGIN, legend_top + BASELINE + 4, "start", CLUE_FONT, legend);
        svg += "</g>\n";
    }
    svg += "</svg>\n";
    return svg;
}
