// Reader for webpbn XML puzzles, black and white only, over libxml2's SAX parser.
//
// The file is read as it comes: the puzzles before a fault in the XML are kept, and the one
// the fault cuts off is refused, so that a cut-off file is never taken for a smaller puzzle.
// Elements other than puzzle, color, clues, line and count are skipped with their content.
// Nothing is fetched: the DTD that a DOCTYPE names (webpbn's files name one) is not read, no
// entity outside the file is loaded, and libxml2 is told not to use the network.
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/SAX2.h>

#include <algorithm>
#include <climits>

#include "readers.h"
#include "size_limits.h"
#include "text.h"

namespace {

constexpr std::size_t MAX_DEPTH = 64;

struct Attribute {
    std::string_view name;
    std::string_view value;
};

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
class XmlReader {
public:
    XmlReader(std::string_view text, const std::string& file) : text_(text), file_(file) {}

    std::vector<ReadItem> run();

    // ---- the parser's events
    void start(std::string name, const std::vector<Attribute>& attributes, int line);
    void end(int line);
    void text(std::string_view s, int line);
    void fault(int line, std::string what);
    bool stopped() const { return fault_.has_value(); }

private:
    std::string_view text_;
    const std::string& file_;
    std::vector<Open> stack_;
    std::optional<ReadError> fault_;  // what stopped the parser
    std::optional<Draft> draft_;
    std::vector<ReadItem> items_;

    void parse(const std::string& xml);
    void start_puzzle_element(std::string_view name, const std::vector<Attribute>& attributes, int line);
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

void XmlReader::start(std::string name, const std::vector<Attribute>& attributes, int line)
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

void XmlReader::start_puzzle_element(std::string_view name, const std::vector<Attribute>& attributes, int line)
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

// ---- libxml2 --------------------------------------------------------------------------

std::string_view view(const xmlChar* s)
{
    return s ? std::string_view(reinterpret_cast<const char*>(s)) : std::string_view();
}

XmlReader& reader_of(void* context)
{
    return *static_cast<XmlReader*>(static_cast<xmlParserCtxtPtr>(context)->_private);
}

int line_of(void* context)
{
    return xmlSAX2GetLineNumber(context);
}

void on_start(void* context, const xmlChar* local_name, const xmlChar* prefix, const xmlChar*, int,
              const xmlChar**, int attribute_count, int, const xmlChar** attributes)
{
    XmlReader& reader = reader_of(context);
    std::string name(view(prefix));
    if (!name.empty()) name += ':';
    name += view(local_name);
    std::vector<Attribute> list;
    for (int i = 0; i < attribute_count; ++i) {
        const xmlChar* const* a = attributes + 5 * i;  // name, prefix, URI, value, end of value
        const char* value = reinterpret_cast<const char*>(a[3]);
        list.push_back({view(a[0]), std::string_view(value, static_cast<std::size_t>(a[4] - a[3]))});
    }
    reader.start(std::move(name), list, line_of(context));
    if (reader.stopped()) xmlStopParser(static_cast<xmlParserCtxtPtr>(context));
}

void on_end(void* context, const xmlChar*, const xmlChar*, const xmlChar*)
{
    reader_of(context).end(line_of(context));
}

void on_text(void* context, const xmlChar* s, int length)
{
    reader_of(context).text({reinterpret_cast<const char*>(s), static_cast<std::size_t>(length)},
                            line_of(context));
}

// libxml2's words for a fault, or the reader's own where the fault names what it needs.
std::string fault_text(const xmlError& e)
{
    const auto name = [](const char* s) { return element(s ? s : ""); };
    switch (e.code) {
    case XML_ERR_TAG_NAME_MISMATCH:
        return "</" + std::string(e.str2 ? e.str2 : "") + "> does not close " + name(e.str1) +
               " of line " + std::to_string(e.int1);
    case XML_ERR_TAG_NOT_FINISHED:
        return "end of file inside " + name(e.str1) + " of line " + std::to_string(e.int1);
    case XML_ERR_GT_REQUIRED:
        return "unterminated tag " + name(e.str1);
    case XML_ERR_COMMENT_NOT_FINISHED:
        return "unterminated comment";
    case XML_ERR_CDATA_NOT_FINISHED:
        return "unterminated CDATA section";
    case XML_ERR_PI_NOT_FINISHED:
        return "unterminated processing instruction";
    case XML_ERR_ATTRIBUTE_NOT_STARTED:
        return "attribute value without quotes";
    default:
        break;
    }
    std::string_view message = e.message ? e.message : "";
    message = trim(message.substr(0, message.find('\n')));
    return "malformed XML: " + std::string(message);
}

// Takes the first fault that stops libxml2 and stops the parser there; warnings and the
// errors it reads on from (such as an undeclared namespace prefix) are passed over.
// (Error is const in the newer libxml2 and not in the older.)
template <typename Error>
void on_error(void* context, Error* error)
{
    if (!error || error->level != XML_ERR_FATAL) return;
    reader_of(context).fault(error->line, fault_text(*error));
    xmlStopParser(static_cast<xmlParserCtxtPtr>(context));
}

// libxml2 reads a lone CR as a line end, as XML has it, but does not count it as one; LF in
// its place makes the line numbers those of every other reader.
std::string with_lf_for_lone_cr(std::string_view text)
{
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); ++i)
        if (out[i] == '\r' && (i + 1 == out.size() || out[i + 1] != '\n')) out[i] = '\n';
    return out;
}

// Hands the parser's events to this reader until the end of the file or the first fault.
void XmlReader::parse(const std::string& xml)
{
    if (xml.size() > static_cast<std::size_t>(INT_MAX)) return fault(1, "file too large for the XML reader");
    xmlParserCtxtPtr parser = xmlCreateMemoryParserCtxt(xml.data(), static_cast<int>(xml.size()));
    if (!parser) return fault(1, "the XML reader could not start");
    xmlSAXHandler events{};
    events.initialized = XML_SAX2_MAGIC;
    events.startElementNs = on_start;
    events.endElementNs = on_end;
    events.characters = on_text;
    events.ignorableWhitespace = on_text;
    events.cdataBlock = on_text;
    events.serror = on_error;
    *parser->sax = events;
    parser->_private = this;
    xmlCtxtUseOptions(parser, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    xmlParseDocument(parser);
    if (parser->myDoc) xmlFreeDoc(parser->myDoc);  // the entities the DOCTYPE declares
    xmlFreeParserCtxt(parser);
}

std::vector<ReadItem> XmlReader::run()
{
    const int last = std::max(1, static_cast<int>(split_lines(text_).size()));
    parse(with_lf_for_lone_cr(text_));
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
