// Reader for webpbn XML puzzles, black and white only, over the events of the platform's XML
// parser (xml_events.h).
//
// The file is read as it comes: the puzzles before a fault in the XML are kept, and the one
// the fault cuts off is refused, so that a cut-off file is never taken for a smaller puzzle.
// Elements other than puzzle, color, clues, line and count are skipped with their content.
#include <algorithm>

#include "readers.h"
#include "size_limits.h"
#include "text.h"
#include "xml_events.h"

namespace {

constexpr std::size_t MAX_DEPTH = 64;

struct Open {
    std::string name;
    int line;
};

// A puzzle while its elements are being read.
struct Draft {
    int start_line = 0;
    std::optional<ReadError> error;
    bool has_rows = false;
    bool has_cols = false;
    std::vector<std::vector<int>> rows;
    std::vector<std::vector<int>> cols;
    std::vector<int> row_lines;      // where each row's and column's <line> starts
    std::vector<int> col_lines;
    int colours = 0;                 // <color> definitions
    std::string count_colour;        // the one colour the counts name, if any
    std::vector<std::vector<int>>* clues = nullptr;  // the <clues> being read
    std::vector<int>* clue_lines = nullptr;
    const char* line_word = "";
    std::vector<int> clue;           // the <line> being read
    std::string count_text;
};

// The puzzles of one file, built from the parser's events in file order.
class XmlReader final : public XmlEvents {
public:
    XmlReader(std::string_view text, const std::string& file) : text_(text), file_(file) {}

    std::vector<ReadItem> run();

    // ---- the parser's events
    void start(std::string name, const std::vector<XmlAttribute>& attributes, int line) override;
    void end(int line) override;
    void text(std::string_view s, int line) override;
    void fault(int line, std::string what) override;
    bool stopped() const override { return fault_.has_value(); }

private:
    std::string_view text_;
    const std::string& file_;
    std::vector<Open> stack_;
    std::optional<ReadError> fault_;  // what stopped the parser
    std::optional<Draft> draft_;
    std::vector<ReadItem> items_;

    void start_puzzle_element(std::string_view name, const std::vector<XmlAttribute>& attributes, int line);
    void end_puzzle_element(std::string_view name, int line);
    void flag(int line, std::string what);
    void finish_draft();
    bool inside(std::string_view name) const;
};

bool is_space(char ch) { return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r'; }

std::string element(std::string_view name)
{
    std::string tag = "<";
    tag += name;
    tag += '>';
    return tag;
}

void XmlReader::start(std::string name, const std::vector<XmlAttribute>& attributes, int line)
{
    if (stack_.size() == MAX_DEPTH) return fault(line, "elements nested too deep");
    start_puzzle_element(name, attributes, line);
    stack_.push_back({std::move(name), line});
}

void XmlReader::end(int line)
{
    if (stack_.empty()) return;
    const std::string name = std::move(stack_.back().name);
    stack_.pop_back();
    end_puzzle_element(name, line);
}

void XmlReader::fault(int line, std::string what)
{
    if (!fault_) fault_ = ReadError{line, std::move(what)};
}

bool XmlReader::inside(std::string_view name) const
{
    for (const Open& open : stack_)
        if (open.name == name) return true;
    return false;
}

void XmlReader::flag(int line, std::string what)
{
    if (draft_ && !draft_->error) draft_->error = ReadError{line, std::move(what)};
}

void XmlReader::start_puzzle_element(std::string_view name, const std::vector<XmlAttribute>& attributes, int line)
{
    const auto attribute = [&](std::string_view key) -> std::optional<std::string_view> {
        for (const XmlAttribute& a : attributes)
            if (a.name == key) return a.value;
        return std::nullopt;
    };

    if (name == "puzzle") {
        if (inside("puzzle")) return flag(line, "<puzzle> inside <puzzle>");
        if (draft_) finish_draft();
        draft_.emplace();
        draft_->start_line = line;
        if (auto type = attribute("type"); type && *type != "grid")
            flag(line, "puzzle type " + quote(*type) + " is not supported (only grid)");
        return;
    }
    if (name != "color" && name != "clues" && name != "line" && name != "count") return;
    if (name == "color" && !draft_) return;
    if (!draft_) {
        draft_.emplace();
        draft_->start_line = line;
    }
    Draft& d = *draft_;
    if (d.error) return;

    if (name == "color") {
        if (inside("clues")) return;
        if (++d.colours > 2)
            flag(line, "multicolour puzzle (more than two colours); only black and white is read");
    } else if (name == "clues") {
        const auto type = attribute("type");
        if (inside("clues")) {
            flag(line, "<clues> inside <clues>");
        } else if (type == "rows" || type == "columns") {
            const bool rows = *type == "rows";
            bool& seen = rows ? d.has_rows : d.has_cols;
            if (seen) flag(line, "second <clues type=\"" + std::string(*type) + "\">");
            seen = true;
            d.clues = rows ? &d.rows : &d.cols;
            d.clue_lines = rows ? &d.row_lines : &d.col_lines;
            d.line_word = rows ? "row" : "column";
        } else {
            flag(line, "<clues> needs type=\"rows\" or type=\"columns\"");
        }
    } else if (name == "line") {
        if (stack_.empty() || stack_.back().name != "clues" || !d.clues) {
            flag(line, "<line> outside <clues>");
        } else if (d.clues->size() == TOOL_MAX_LINES) {
            flag(line, "more than " + std::to_string(TOOL_MAX_LINES) + " " + d.line_word + "s");
        } else {
            d.clue_lines->push_back(line);
        }
        d.clue.clear();
    } else {  // count
        if (stack_.empty() || stack_.back().name != "line" || !d.clues) {
            flag(line, "<count> outside <line>");
            return;
        }
        if (auto colour = attribute("color")) {
            if (d.count_colour.empty()) d.count_colour = *colour;
            else if (d.count_colour != *colour)
                flag(line, "multicolour puzzle (counts in " + quote(d.count_colour) + " and " +
                               quote(*colour) + "); only black and white is read");
        }
        d.count_text.clear();
    }
}

void XmlReader::end_puzzle_element(std::string_view name, int line)
{
    if (name == "puzzle") {
        if (draft_) finish_draft();
        return;
    }
    if (!draft_ || draft_->error) return;
    Draft& d = *draft_;
    const auto where = [&] {
        return std::string(d.line_word) + " " + std::to_string(d.clues->size() + 1) + ": ";
    };

    if (name == "count") {
        int value = 0;
        if (auto error = parse_number(trim(d.count_text), value)) return flag(line, where() + *error);
        if (auto error = add_number(d.clue, value)) return flag(line, where() + *error);
    } else if (name == "line") {
        if (auto error = finish_clue(d.clue)) return flag(line, where() + *error);
        d.clues->push_back(d.clue);
    } else if (name == "clues") {
        if (d.clues && d.clues->empty())
            return flag(line, std::string("no <line> in the ") + d.line_word + " clues");
        d.clues = nullptr;
    }
}

// line: where the parser stands after s, at its end.
void XmlReader::text(std::string_view s, int line)
{
    if (!draft_ || draft_->error || stack_.empty()) return;
    const std::string_view top = stack_.back().name;
    if (top == "count") {
        draft_->count_text.append(s);
    } else if (top == "line" || top == "clues") {
        const auto ink = std::find_if_not(s.begin(), s.end(), is_space);
        if (ink != s.end())
            flag(std::max(1, line - static_cast<int>(std::count(ink, s.end(), '\n'))),
                 "text outside <count> in " + element(top));
    }
}

// The first clue in the file that cannot fit its line.
std::optional<ReadError> first_misfit(const Draft& d)
{
    const struct {
        const char* word;
        const std::vector<std::vector<int>>& clues;
        const std::vector<int>& lines;
        std::size_t length;
    } kinds[] = {{"row", d.rows, d.row_lines, d.cols.size()}, {"column", d.cols, d.col_lines, d.rows.size()}};
    std::optional<ReadError> first;
    for (const auto& kind : kinds)
        for (std::size_t k = 0; k < kind.clues.size(); ++k)
            if (!first || kind.lines[k] < *first->line)
                if (auto problem = misfit(kind.clues[k], kind.length, kind.word))
                    first = ReadError{kind.lines[k],
                                      std::string(kind.word) + " " + std::to_string(k + 1) + ": " + *problem};
    return first;
}

void XmlReader::finish_draft()
{
    Draft& d = *draft_;
    if (!d.error) {
        if (!d.has_cols) d.error = ReadError{d.start_line, "no <clues type=\"columns\">"};
        else if (!d.has_rows) d.error = ReadError{d.start_line, "no <clues type=\"rows\">"};
        // The clues' own checks may have been cut short by a malformed element.
        else if (d.cols.empty()) d.error = ReadError{d.start_line, "no <line> in the column clues"};
        else if (d.rows.empty()) d.error = ReadError{d.start_line, "no <line> in the row clues"};
    }
    // The lines' lengths are known only now.
    if (!d.error) d.error = first_misfit(d);
    if (d.error) {
        items_.emplace_back(*d.error);
    } else {
        Puzzle p;
        p.file = file_;
        p.rows = std::move(d.rows);
        p.cols = std::move(d.cols);
        items_.emplace_back(std::move(p));
    }
    draft_.reset();
}

std::vector<ReadItem> XmlReader::run()
{
    const int last = std::max(1, static_cast<int>(split_lines(text_).size()));
    parse_xml(text_, *this);
    if (fault_) {
        // A fault at the end of the file is told on its last line, not on the empty one after.
        fault_->line = std::clamp(fault_->line.value_or(1), 1, last);
        if (draft_ && !draft_->error) draft_->error = fault_;
        if (!draft_) items_.emplace_back(*fault_);
    }
    if (draft_) finish_draft();
    if (items_.empty()) items_.emplace_back(ReadError{last, "no puzzle (no <clues> element)"});

    int index = 0;
    const std::size_t count = items_.size();
    for (ReadItem& item : items_) {
        ++index;
        if (auto* p = std::get_if<Puzzle>(&item)) {
            p->index = index;
            p->name = count == 1 ? file_stem(file_) : file_stem(file_) + "#" + std::to_string(index);
        }
    }
    return std::move(items_);
}

}  // namespace

std::vector<ReadItem> read_xml(std::string_view text, const std::string& file)
{
    return XmlReader(text, file).run();
}
