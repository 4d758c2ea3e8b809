// Reader for webpbn XML puzzles, black and white only; a small scanner, no XML library.
//
// Tags must nest properly and the file must not end inside an element, so that a cut-off
// file is never taken for a smaller puzzle. Elements other than puzzle, color, clues, line
// and count are skipped with their content; comments, processing instructions, DOCTYPE and
// CDATA are understood. Entities are not expanded.
#include <algorithm>

#include "readers.h"
#include "state.h"
#include "text.h"

namespace {

constexpr std::size_t MAX_DEPTH = 64;

struct Attribute {
    std::string_view name;
    std::string_view value;
};

struct Open {
    std::string_view name;
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
    int colours = 0;                 // <color> definitions
    std::string count_colour;        // the one colour the counts name, if any
    std::vector<std::vector<int>>* clues = nullptr;  // the <clues> being read
    const char* line_word = "";
    std::vector<int> clue;           // the <line> being read
    std::string count_text;
};

class XmlReader {
public:
    XmlReader(std::string_view text, const std::string& file) : text_(text), file_(file) {}

    std::vector<ReadItem> run();

private:
    std::string_view text_;
    const std::string& file_;
    std::size_t pos_ = 0;
    int line_ = 1;
    std::vector<Open> stack_;
    std::optional<Draft> draft_;
    std::vector<ReadItem> items_;

    void advance_to(std::size_t to);
    bool at(std::string_view s) const { return text_.substr(pos_, s.size()) == s; }
    std::optional<std::string> skip_past(std::string_view end, const char* what);
    std::optional<std::string> skip_declaration();
    std::optional<std::string> read_tag();

    void start(std::string_view name, const std::vector<Attribute>& attributes, int line);
    void end(std::string_view name, int line);
    void text(std::string_view s, int line);
    void flag(int line, std::string what);
    void finish_draft();
    bool inside(std::string_view name) const;
};

bool is_name_char(char ch)
{
    return !(ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r' || ch == '/' || ch == '>' ||
             ch == '<' || ch == '=' || ch == '"' || ch == '\'');
}

bool is_space(char ch) { return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r'; }

std::string element(std::string_view name)
{
    std::string tag = "<";
    tag += name;
    tag += '>';
    return tag;
}

void XmlReader::advance_to(std::size_t to)
{
    for (; pos_ < to; ++pos_) {
        const char ch = text_[pos_];
        if (ch == '\n') ++line_;
        else if (ch == '\r' && !(pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n')) ++line_;
    }
}

std::optional<std::string> XmlReader::skip_past(std::string_view end, const char* what)
{
    const std::size_t found = text_.find(end, pos_);
    if (found == std::string_view::npos) return std::string("unterminated ") + what;
    advance_to(found + end.size());
    return std::nullopt;
}

// <!DOCTYPE ...> and the like, with an internal subset in brackets and quoted strings.
std::optional<std::string> XmlReader::skip_declaration()
{
    int brackets = 0;
    char quote_char = 0;
    for (std::size_t i = pos_ + 2; i < text_.size(); ++i) {
        const char ch = text_[i];
        if (quote_char) {
            if (ch == quote_char) quote_char = 0;
        } else if (ch == '"' || ch == '\'') {
            quote_char = ch;
        } else if (ch == '[') {
            ++brackets;
        } else if (ch == ']') {
            --brackets;
        } else if (ch == '>' && brackets <= 0) {
            advance_to(i + 1);
            return std::nullopt;
        }
    }
    return std::string("unterminated <! declaration");
}

std::optional<std::string> XmlReader::read_tag()
{
    const int line = line_;
    std::size_t i = pos_ + 1;
    const bool closing = i < text_.size() && text_[i] == '/';
    if (closing) ++i;
    const std::size_t name_start = i;
    while (i < text_.size() && is_name_char(text_[i])) ++i;
    const std::string_view name = text_.substr(name_start, i - name_start);
    if (name.empty()) return std::string("malformed tag");

    std::vector<Attribute> attributes;
    bool self_closing = false;
    while (true) {
        while (i < text_.size() && is_space(text_[i])) ++i;
        if (i >= text_.size()) return "unterminated tag " + element(name);
        const char ch = text_[i];
        if (ch == '>') break;
        if (ch == '/' && !closing && i + 1 < text_.size() && text_[i + 1] == '>') {
            self_closing = true;
            ++i;
            break;
        }
        if (closing) return "malformed closing tag </" + std::string(name) + ">";
        const std::size_t attr_start = i;
        while (i < text_.size() && is_name_char(text_[i])) ++i;
        const std::string_view attr = text_.substr(attr_start, i - attr_start);
        while (i < text_.size() && is_space(text_[i])) ++i;
        if (attr.empty() || i >= text_.size() || text_[i] != '=')
            return "malformed attribute in " + element(name);
        ++i;
        while (i < text_.size() && is_space(text_[i])) ++i;
        if (i >= text_.size() || (text_[i] != '"' && text_[i] != '\''))
            return "attribute value without quotes in " + element(name);
        const char q = text_[i];
        const std::size_t value_end = text_.find(q, i + 1);
        if (value_end == std::string_view::npos) return "unterminated attribute in " + element(name);
        attributes.push_back({attr, text_.substr(i + 1, value_end - i - 1)});
        i = value_end + 1;
    }
    advance_to(i + 1);

    if (closing) {
        if (stack_.empty()) return "</" + std::string(name) + "> closes nothing";
        const Open top = stack_.back();
        if (top.name != name)
            return "</" + std::string(name) + "> does not close " + element(top.name) +
                   " of line " + std::to_string(top.line);
        stack_.pop_back();
        end(name, line);
        return std::nullopt;
    }
    if (stack_.size() == MAX_DEPTH) return std::string("elements nested too deep");
    start(name, attributes, line);
    if (self_closing) {
        end(name, line);
    } else {
        stack_.push_back({name, line});
    }
    return std::nullopt;
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

void XmlReader::start(std::string_view name, const std::vector<Attribute>& attributes, int line)
{
    const auto attribute = [&](std::string_view key) -> std::optional<std::string_view> {
        for (const Attribute& a : attributes)
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
            d.line_word = rows ? "row" : "column";
        } else {
            flag(line, "<clues> needs type=\"rows\" or type=\"columns\"");
        }
    } else if (name == "line") {
        if (stack_.empty() || stack_.back().name != "clues" || !d.clues) {
            flag(line, "<line> outside <clues>");
        } else if (d.clues->size() == MAX_LINES) {
            flag(line, std::string("more than 25 ") + d.line_word + "s");
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

void XmlReader::end(std::string_view name, int line)
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

void XmlReader::text(std::string_view s, int line)
{
    if (!draft_ || draft_->error || stack_.empty()) return;
    const std::string_view top = stack_.back().name;
    if (top == "count") {
        draft_->count_text.append(s);
    } else if (top == "line" || top == "clues") {
        for (const char ch : s)
            if (!is_space(ch))
                return flag(line, "text outside <count> in " + element(top));
    }
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
    std::optional<std::string> fatal;
    while (pos_ < text_.size() && !fatal) {
        const std::size_t lt = text_.find('<', pos_);
        if (lt != pos_) {
            const int line = line_;
            const std::size_t stop = lt == std::string_view::npos ? text_.size() : lt;
            const std::string_view chunk = text_.substr(pos_, stop - pos_);
            advance_to(stop);
            text(chunk, line);
            continue;
        }
        const int line = line_;
        if (at("<!--")) {
            fatal = skip_past("-->", "comment");
        } else if (at("<![CDATA[")) {
            const std::size_t begin = pos_ + 9;
            fatal = skip_past("]]>", "CDATA section");
            if (!fatal) text(text_.substr(begin, pos_ - 3 - begin), line);
        } else if (at("<?")) {
            fatal = skip_past("?>", "processing instruction");
        } else if (at("<!")) {
            fatal = skip_declaration();
        } else {
            fatal = read_tag();
        }
        if (fatal) {
            const ReadError error{line, *fatal};
            if (draft_ && !draft_->error) draft_->error = error;
            if (!draft_) items_.emplace_back(error);
        }
    }
    const bool ends_line = !text_.empty() && (text_.back() == '\n' || text_.back() == '\r');
    const int last = std::max(1, line_ - (ends_line ? 1 : 0));
    if (!fatal && !stack_.empty()) {
        const Open& top = stack_.back();
        const ReadError error{last, "end of file inside " + element(top.name) + " of line " +
                                        std::to_string(top.line)};
        if (draft_ && !draft_->error) draft_->error = error;
        if (!draft_) items_.emplace_back(error);
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
