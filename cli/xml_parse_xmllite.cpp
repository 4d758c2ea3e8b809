// The XML parser's events from XmlLite.
//
// The text is prepared here before XmlLite reads it, so that the same events, at the same
// lines, come out as from libxml2 elsewhere, and so that Wine's XmlLite and Windows' agree:
// - line ends become LF (as XML has them; XmlLite implementations count lone CRs differently);
// - the DOCTYPE becomes a comment after its internal subset's entities are taken: XmlLite then
//   prohibits any DTD, and nothing can be fetched. A declared entity is replaced by its text
//   where it is used (its line ends as spaces, so that lines stay where they are); an external
//   one by nothing, as it is not read; an undeclared one is a fault unless an external DTD,
//   unread, might have declared it. In attribute values entities stay as written;
// - comments, CDATA sections, processing instructions and tags that the file leaves open are
//   faults found here, at the line where libxml2 finds them.
// The lines of the events are those of the prepared text's markup (where a start or end tag
// ends, where text has its first non-space character), not XmlLite's own, whose positions
// differ between implementations.
#include <windows.h>
#include <shlwapi.h>
#include <xmllite.h>

#include <algorithm>
#include <map>
#include <optional>

#include "windows_com.h"
#include "xml_events.h"

namespace {

constexpr HRESULT input_end = static_cast<HRESULT>(0xC00CEE01UL);  // MX_E_INPUTEND
constexpr int entity_depth = 16;
constexpr std::size_t expansion_allowance = 1 << 20;  // bytes that entities may add

struct Fault {
    int line;
    std::string what;
};

// A start tag, an end tag or a CDATA section, and the character data after it up to the next.
struct Anchor {
    enum Kind { start, end, cdata } kind;
    int line;           // where the tag ends (where the section's text has its first ink)
    int after_ink = 0;  // where the character data after it has its first ink, if any
};

struct Entity {
    std::string text;
    bool external = false;
};

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool is_name_char(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == ':' ||
           c == '-' || c == '.' || static_cast<unsigned char>(c) >= 0x80;
}

class Preparation {
public:
    explicit Preparation(std::string_view text) : in_(normalised(text)) {}

    void run()
    {
        end_line_ = 1 + static_cast<int>(std::count(in_.begin(), in_.end(), '\n'));
        limit_ = in_.size() + expansion_allowance;
        scan(in_, 0, 0);
    }

    std::string out;
    std::vector<Anchor> anchors;
    std::optional<Fault> fault;

private:
    std::string in_;
    int end_line_ = 1;
    std::size_t limit_ = 0;
    std::map<std::string, Entity, std::less<>> entities_;
    bool external_subset_ = false;  // an unread DTD, which may declare what the file uses
    bool standalone_ = false;
    bool element_seen_ = false;
    bool doctype_seen_ = false;

    static std::string normalised(std::string_view text)
    {
        std::string s;
        s.reserve(text.size());
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r') {
                s += '\n';
                if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            } else {
                s += text[i];
            }
        }
        return s;
    }

    bool stop(int line, std::string what)
    {
        if (!fault) fault = Fault{line, "XML error: " + std::move(what)};
        return false;
    }

    void ink(int line)
    {
        if (!anchors.empty() && !anchors.back().after_ink) anchors.back().after_ink = line;
    }

    // Copies markup that holds no reference.
    void copy(std::string_view s) { out += s; }

    // A comment of the same lines in place of the DOCTYPE (whitespace in its place at the start
    // of the file is more than Wine's XmlLite takes).
    void blank(std::string_view s)
    {
        out += "<!--";
        for (const char c : s.substr(4, s.size() - 7)) out += c == '\n' ? '\n' : ' ';
        out += "-->";
    }

    // One text: the file (line 0: count its lines) or an entity's (every line that of its use).
    // False at a fault.
    bool scan(std::string_view in, int fixed_line, int depth)
    {
        int line = fixed_line ? fixed_line : 1;
        const auto advance = [&](std::string_view s) {
            if (!fixed_line) line += static_cast<int>(std::count(s.begin(), s.end(), '\n'));
        };
        std::size_t i = 0;
        while (i < in.size()) {
            if (out.size() > limit_) return stop(line, "entities expand too far");
            const std::string_view rest = in.substr(i);
            const char c = in[i];
            if (c == '&') {
                std::size_t length = 0;
                if (!reference(rest, line, depth, false, length)) return false;
                i += length;
                continue;
            }
            if (c != '<') {
                if (!is_space(c)) ink(line);
                out += c;
                if (c == '\n') advance("\n");
                ++i;
                continue;
            }
            const auto closed = [&](std::string_view opener, std::string_view closer, const char* what,
                                    std::size_t& length) {
                const std::size_t end = rest.find(closer, opener.size());
                if (end == std::string_view::npos) return stop(fixed_line ? line : end_line_, what);
                length = end + closer.size();
                return true;
            };
            std::size_t length = 0;
            if (rest.starts_with("<!--")) {
                if (!closed("<!--", "-->", "unterminated comment", length)) return false;
                copy(rest.substr(0, length));
            } else if (rest.starts_with("<![CDATA[")) {
                if (!closed("<![CDATA[", "]]>", "unterminated CDATA section", length)) return false;
                const std::string_view content = rest.substr(9, length - 12);
                const std::size_t first = content.find_first_not_of(" \t\n");
                const int content_line =
                    line + (fixed_line || first == std::string_view::npos
                                ? 0
                                : static_cast<int>(std::count(content.begin(), content.begin() + first, '\n')));
                anchors.push_back({Anchor::cdata, first == std::string_view::npos ? 0 : content_line});
                copy(rest.substr(0, length));
            } else if (rest.starts_with("<?")) {
                if (!closed("<?", "?>", "unterminated processing instruction", length)) return false;
                if (i == 0 && !fixed_line && rest.starts_with("<?xml") && length > 5 && is_space(rest[5]))
                    standalone_ = declares_standalone(rest.substr(0, length));
                copy(rest.substr(0, length));
            } else if (rest.starts_with("<!DOCTYPE") && !fixed_line && !element_seen_ && !doctype_seen_) {
                doctype_seen_ = true;
                if (!doctype(rest, line, length)) return false;
                blank(rest.substr(0, length));
            } else if (rest.starts_with("<!")) {
                length = 2;  // XmlLite refuses it
                copy(rest.substr(0, length));
            } else {
                if (!tag(rest, line, fixed_line, depth, length)) return false;
                advance(rest.substr(0, length));
                i += length;
                continue;
            }
            advance(rest.substr(0, length));
            i += length;
        }
        return true;
    }

    // A start or end tag from its '<', its attribute values' references handled.
    bool tag(std::string_view rest, int line, int fixed_line, int depth, std::size_t& length)
    {
        const std::size_t mark = out.size();
        out += '<';
        char quote = 0;
        std::size_t j = 1;
        int at = line;  // the line at j
        while (j < rest.size()) {
            const char c = rest[j];
            if (quote) {
                if (c == quote) {
                    quote = 0;
                } else if (c == '<') {
                    out.resize(mark);
                    return stop(at, "'<' in an attribute value");
                } else if (c == '&') {
                    std::size_t n = 0;
                    if (!reference(rest.substr(j), at, depth, true, n)) return false;
                    j += n;
                    continue;
                }
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>' || c == '<') {
                break;
            }
            out += c;
            if (c == '\n' && !fixed_line) ++at;
            ++j;
        }
        if (j == rest.size()) {
            out.resize(mark);
            std::size_t name = 1;
            while (name < rest.size() && (is_name_char(rest[name]) || rest[name] == '/')) ++name;
            return stop(fixed_line ? line : end_line_,
                        "unterminated tag <" + std::string(rest.substr(1, name - 1)) + ">");
        }
        if (rest[j] == '>') {  // else a '<' before any '>': left for XmlLite to refuse
            out += '>';
            ++j;
            const bool end_tag = rest[1] == '/';
            anchors.push_back({end_tag ? Anchor::end : Anchor::start, at});
            if (!end_tag) element_seen_ = true;
        }
        length = j;
        return true;
    }

    // "&...;" at the start of rest; length: what it takes of rest. In an attribute value a
    // declared entity stays as written (XmlLite is given "&amp;name;").
    bool reference(std::string_view rest, int line, int depth, bool in_attribute, std::size_t& length)
    {
        std::size_t end = 1;
        if (end < rest.size() && rest[end] == '#') ++end;
        while (end < rest.size() && is_name_char(rest[end])) ++end;
        if (end == 1 || end >= rest.size() || rest[end] != ';')
            return stop(line, "'&' that starts no entity or character reference");
        length = end + 1;
        const std::string_view name = rest.substr(1, end - 1);
        if (name[0] == '#' || name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "apos") {
            if (!in_attribute) ink(line);
            out += rest.substr(0, length);
            return true;
        }
        const auto found = entities_.find(name);
        if (found == entities_.end() && (!external_subset_ || standalone_))
            return stop(line, "entity '" + std::string(name) + "' is not declared");
        if (in_attribute) {
            if (found != entities_.end() && found->second.external)
                return stop(line, "external entity '" + std::string(name) + "' in an attribute value");
            out += "&amp;";
            out += rest.substr(1, length - 1);
            return true;
        }
        if (found == entities_.end() || found->second.external) return true;  // not read
        if (depth == entity_depth) return stop(line, "entity references nested too deep (a loop?)");
        return scan(found->second.text, line, depth + 1);
    }

    static bool declares_standalone(std::string_view declaration)
    {
        const std::size_t at = declaration.find("standalone");
        if (at == std::string_view::npos) return false;
        const std::size_t yes = declaration.find("yes", at);
        return yes != std::string_view::npos && yes - at < 16;
    }

    // The DOCTYPE from its "<!DOCTYPE": its external identifier and its internal subset's
    // general entities. length: up to its closing '>'.
    bool doctype(std::string_view rest, int line, std::size_t& length)
    {
        std::size_t i = 9;
        int at = line;
        const auto skip_space = [&] {
            while (i < rest.size() && is_space(rest[i])) at += rest[i++] == '\n';
        };
        const auto literal = [&](std::string* value) {
            if (i >= rest.size() || (rest[i] != '"' && rest[i] != '\'')) return false;
            const std::size_t close = rest.find(rest[i], i + 1);
            if (close == std::string_view::npos) return false;
            const std::string_view v = rest.substr(i + 1, close - i - 1);
            at += static_cast<int>(std::count(v.begin(), v.end(), '\n'));
            if (value) value->assign(v);
            i = close + 1;
            return true;
        };
        const auto word = [&] {
            const std::size_t from = i;
            while (i < rest.size() && (is_name_char(rest[i]) || rest[i] == '%' || rest[i] == '#')) ++i;
            return rest.substr(from, i - from);
        };
        const auto bad = [&] { return stop(i >= rest.size() ? end_line_ : at, "malformed DOCTYPE"); };

        skip_space();
        if (word().empty()) return bad();
        skip_space();
        const std::string_view id = word();
        if (id == "SYSTEM" || id == "PUBLIC") {
            external_subset_ = true;
            skip_space();
            if (!literal(nullptr)) return bad();
            skip_space();
            if (id == "PUBLIC" && !literal(nullptr)) return bad();
            skip_space();
        } else if (!id.empty()) {
            return bad();
        }
        if (i < rest.size() && rest[i] == '[') {
            ++i;
            while (true) {
                skip_space();
                if (i >= rest.size()) return bad();
                if (rest[i] == ']') {
                    ++i;
                    break;
                }
                const std::string_view here = rest.substr(i);
                if (here.starts_with("<!--") || here.starts_with("<?")) {
                    const std::string_view closer = here[1] == '!' ? "-->" : "?>";
                    const std::size_t end = here.find(closer, 2);
                    if (end == std::string_view::npos) return bad();
                    at += static_cast<int>(std::count(here.begin(), here.begin() + static_cast<long>(end), '\n'));
                    i += end + closer.size();
                } else if (here[0] == '%') {
                    // A parameter entity: its declarations are not read, as libxml2 does not here.
                    external_subset_ = true;
                    const std::size_t end = here.find(';');
                    if (end == std::string_view::npos) return bad();
                    i += end + 1;
                } else if (here.starts_with("<!ENTITY")) {
                    i += 8;
                    skip_space();
                    const bool parameter = i < rest.size() && rest[i] == '%';
                    if (parameter) {
                        ++i;
                        skip_space();
                    }
                    const std::string name(word());
                    skip_space();
                    Entity entity;
                    if (i < rest.size() && (rest[i] == '"' || rest[i] == '\'')) {
                        if (!literal(&entity.text)) return bad();
                        std::replace_if(entity.text.begin(), entity.text.end(), is_space, ' ');
                    } else {
                        entity.external = true;
                    }
                    if (!declaration_end(rest, i, at)) return bad();
                    if (!parameter && !name.empty()) entities_.try_emplace(name, std::move(entity));
                } else if (here.starts_with("<!")) {
                    if (!declaration_end(rest, i, at)) return bad();
                } else {
                    return bad();
                }
            }
            skip_space();
        }
        if (i >= rest.size() || rest[i] != '>') return bad();
        length = i + 1;
        return true;
    }

    // Past the '>' that ends a declaration, over quoted literals.
    static bool declaration_end(std::string_view rest, std::size_t& i, int& at)
    {
        char quote = 0;
        for (; i < rest.size(); ++i) {
            const char c = rest[i];
            at += c == '\n';
            if (quote) {
                if (c == quote) quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                ++i;
                return true;
            }
        }
        return false;
    }
};

// Feeds XmlLite's nodes to events, with the prepared lines.
class Feed {
public:
    Feed(const Preparation& p, XmlEvents& events) : p_(p), events_(events) {}

    void run(IXmlReader* reader)
    {
        // Every node takes at least one byte of the text: more nodes than bytes is a reader that
        // no longer moves on (Wine's, at the end of a file cut off inside an element).
        const std::size_t most_nodes = p_.out.size() + 2;
        std::size_t nodes = 0;
        XmlNodeType type = XmlNodeType_None;
        HRESULT hr = S_OK;
        while (!events_.stopped() && (hr = reader->Read(&type)) == S_OK) {
            if (++nodes > most_nodes) return file_ends();
            if (!node(reader, type)) return file_ends();
        }
        if (events_.stopped()) return;
        if (hr == S_FALSE) {
            if (p_.fault) return events_.fault(p_.fault->line, p_.fault->what);
            if (!element_seen_) return events_.fault(std::max(1, last_line()), "XML error: no root element");
            return;
        }
        // XmlLite has read only the text before a fault found here: its end of the input is
        // that fault; any other error of its own comes before.
        if (hr == input_end) return file_ends();
        UINT line = 0;
        reader->GetLineNumber(&line);
        events_.fault(std::max(1, static_cast<int>(line)), "XML error: " + hresult_text(hr));
    }

private:
    const Preparation& p_;
    XmlEvents& events_;
    std::size_t next_ = 0;  // the next anchor
    int text_ink_ = 0;      // where the character data being read has its first ink
    bool aligned_ = true;   // the nodes have met the anchors in order so far
    bool element_seen_ = false;
    std::vector<std::pair<std::string, int>> open_;

    int last_line() const { return 1 + static_cast<int>(std::count(p_.out.begin(), p_.out.end(), '\n')); }

    void file_ends()
    {
        if (p_.fault) return events_.fault(p_.fault->line, p_.fault->what);
        if (open_.empty()) return events_.fault(last_line(), "XML error: unexpected end of the file");
        events_.fault(last_line(), "XML error: end of file inside <" + open_.back().first + "> of line " +
                                       std::to_string(open_.back().second));
    }

    // The line of the anchor a node of this kind stands at, or the reader's own line when
    // they part; none when the text has no such anchor left: the reader repeats itself at the
    // end of a file cut off (Wine's does).
    std::optional<int> anchor_line(Anchor::Kind kind, IXmlReader* reader)
    {
        if (aligned_ && next_ == p_.anchors.size()) return std::nullopt;
        if (aligned_ && p_.anchors[next_].kind == kind) {
            const Anchor& a = p_.anchors[next_++];
            text_ink_ = kind == Anchor::cdata ? a.line : a.after_ink;
            after_cdata_ink_ = a.after_ink;
            return a.line;
        }
        aligned_ = false;
        UINT line = 0;
        reader->GetLineNumber(&line);
        return std::max(1, static_cast<int>(line));
    }
    int after_cdata_ink_ = 0;

    // False: a node that shows the reader stuck at the end of the file.
    bool node(IXmlReader* reader, XmlNodeType type)
    {
        switch (type) {
        case XmlNodeType_Element: {
            const WCHAR* name = nullptr;
            UINT name_length = 0;
            if (FAILED(reader->GetQualifiedName(&name, &name_length))) return false;
            std::string element = utf8_of(name, name_length);
            const bool empty = reader->IsEmptyElement();
            const auto at = anchor_line(Anchor::start, reader);
            if (!at) return false;
            const int line = *at;
            element_seen_ = true;
            std::vector<std::string> texts;  // names and values, kept while the event is made
            for (HRESULT a = reader->MoveToFirstAttribute(); a == S_OK; a = reader->MoveToNextAttribute()) {
                const WCHAR *local = nullptr, *prefix = nullptr, *value = nullptr;
                UINT local_length = 0, prefix_length = 0, value_length = 0;
                reader->GetLocalName(&local, &local_length);
                reader->GetPrefix(&prefix, &prefix_length);
                reader->GetValue(&value, &value_length);
                const std::string p = utf8_of(prefix, prefix_length), n = utf8_of(local, local_length);
                if (p == "xmlns" || (p.empty() && n == "xmlns")) continue;  // namespace declarations
                texts.push_back(n);
                texts.push_back(utf8_of(value, value_length));
            }
            reader->MoveToElement();
            std::vector<XmlAttribute> attributes;
            for (std::size_t k = 0; k + 1 < texts.size(); k += 2) attributes.push_back({texts[k], texts[k + 1]});
            open_.emplace_back(element, line);
            events_.start(std::move(element), attributes, line);
            if (empty && !events_.stopped()) {
                open_.pop_back();
                events_.end(line);
            }
            return true;
        }
        case XmlNodeType_EndElement: {
            const auto at = anchor_line(Anchor::end, reader);
            if (!at) return false;
            const int line = *at;
            if (!open_.empty()) open_.pop_back();
            events_.end(line);
            return true;
        }
        case XmlNodeType_CDATA:
        case XmlNodeType_Text:
        case XmlNodeType_Whitespace: {
            const WCHAR* value = nullptr;
            UINT length = 0;
            if (FAILED(reader->GetValue(&value, &length))) return false;
            if (length == 0) return false;  // Wine's reader at the end of a file cut off
            if (type == XmlNodeType_CDATA && !anchor_line(Anchor::cdata, reader)) return false;
            const std::string s = utf8_of(value, length);
            const std::size_t first = s.find_first_not_of(" \t\n\r");
            int line;
            if (!aligned_) {
                UINT l = 0;
                reader->GetLineNumber(&l);
                line = std::max(1, static_cast<int>(l));
            } else {
                line = std::max(1, text_ink_);
                if (first != std::string::npos)
                    line += static_cast<int>(std::count(s.begin() + static_cast<long>(first), s.end(), '\n'));
            }
            events_.text(s, line);
            if (type == XmlNodeType_CDATA) text_ink_ = after_cdata_ink_;
            return true;
        }
        default:
            return true;
        }
    }
};

}  // namespace

void parse_xml(std::string_view text, XmlEvents& events)
{
    Preparation prepared(text);
    prepared.run();
    if (prepared.out.size() > 0x7fffffffu) return events.fault(1, "file too large for the XML reader");

    ComScope com;
    if (!com.usable()) return events.fault(1, "XML error: COM: " + hresult_text(com.result()));
    ComRef<IStream> stream;
    *stream.put() = SHCreateMemStream(reinterpret_cast<const BYTE*>(prepared.out.data()),
                                      static_cast<UINT>(prepared.out.size()));
    ComRef<IXmlReader> reader;
    HRESULT hr = stream.get() ? S_OK : E_OUTOFMEMORY;
    if (SUCCEEDED(hr)) hr = CreateXmlReader(__uuidof(IXmlReader), reader.put_void(), nullptr);
    if (SUCCEEDED(hr)) hr = reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit);
    if (SUCCEEDED(hr)) hr = reader->SetInput(stream.get());
    if (FAILED(hr)) return events.fault(1, "XML error: the reader could not start: " + hresult_text(hr));
    Feed(prepared, events).run(reader.get());
}
