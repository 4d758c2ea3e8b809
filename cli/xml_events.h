// Between an XML parser and the webpbn reader: the parser's events in file order.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct XmlAttribute {
    std::string_view name;  // without its namespace prefix
    std::string_view value;
};

// Lines count from 1, as the file's line ends do (CRLF, LF and a lone CR alike).
class XmlEvents {
public:
    // name as written, with its prefix if any; line: where the start tag ends.
    virtual void start(std::string name, const std::vector<XmlAttribute>& attributes, int line) = 0;
    // line: where the end tag ends (that of the start tag for an empty element).
    virtual void end(int line) = 0;
    // Character data, entities replaced, in one or more pieces; line: where the piece ends.
    virtual void text(std::string_view s, int line) = 0;
    // A fault in the XML; the parser stops at the first.
    virtual void fault(int line, std::string what) = 0;
    // Whether the parser is to stop (a fault, or a reason of the reader's own).
    virtual bool stopped() const = 0;

protected:
    ~XmlEvents() = default;
};

// Parses a file's text (without byte-order mark) and hands its events to events until the
// end or the first fault. Nothing outside the text is read: no DTD, no external entity.
void parse_xml(std::string_view text, XmlEvents& events);
