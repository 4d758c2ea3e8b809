// The XML parser's events from libxml2's SAX parser.
//
// Nothing is fetched: the DTD that a DOCTYPE names (webpbn's files name one) is not read, no
// entity outside the file is loaded, and libxml2 is told not to use the network.
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/SAX2.h>

#include <climits>

#include "text.h"
#include "xml_events.h"

namespace {

std::string element(std::string_view name)
{
    std::string tag = "<";
    tag += name;
    tag += '>';
    return tag;
}

std::string_view view(const xmlChar* s)
{
    return s ? std::string_view(reinterpret_cast<const char*>(s)) : std::string_view();
}

XmlEvents& events_of(void* context)
{
    return *static_cast<XmlEvents*>(static_cast<xmlParserCtxtPtr>(context)->_private);
}

int line_of(void* context)
{
    return xmlSAX2GetLineNumber(context);
}

void on_start(void* context, const xmlChar* local_name, const xmlChar* prefix, const xmlChar*, int,
              const xmlChar**, int attribute_count, int, const xmlChar** attributes)
{
    XmlEvents& events = events_of(context);
    std::string name(view(prefix));
    if (!name.empty()) name += ':';
    name += view(local_name);
    std::vector<XmlAttribute> list;
    for (int i = 0; i < attribute_count; ++i) {
        const xmlChar* const* a = attributes + 5 * i;  // name, prefix, URI, value, end of value
        const char* value = reinterpret_cast<const char*>(a[3]);
        list.push_back({view(a[0]), std::string_view(value, static_cast<std::size_t>(a[4] - a[3]))});
    }
    events.start(std::move(name), list, line_of(context));
    if (events.stopped()) xmlStopParser(static_cast<xmlParserCtxtPtr>(context));
}

void on_end(void* context, const xmlChar*, const xmlChar*, const xmlChar*)
{
    events_of(context).end(line_of(context));
}

void on_text(void* context, const xmlChar* s, int length)
{
    events_of(context).text({reinterpret_cast<const char*>(s), static_cast<std::size_t>(length)},
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
    events_of(context).fault(error->line, fault_text(*error));
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

}  // namespace

void parse_xml(std::string_view text, XmlEvents& events)
{
    const std::string xml = with_lf_for_lone_cr(text);
    if (xml.size() > static_cast<std::size_t>(INT_MAX)) return events.fault(1, "file too large for the XML reader");
    xmlParserCtxtPtr parser = xmlCreateMemoryParserCtxt(xml.data(), static_cast<int>(xml.size()));
    if (!parser) return events.fault(1, "the XML reader could not start");
    xmlSAXHandler handler{};
    handler.initialized = XML_SAX2_MAGIC;
    handler.startElementNs = on_start;
    handler.endElementNs = on_end;
    handler.characters = on_text;
    handler.ignorableWhitespace = on_text;
    handler.cdataBlock = on_text;
    handler.serror = on_error;
    *parser->sax = handler;
    parser->_private = &events;
    xmlCtxtUseOptions(parser, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    xmlParseDocument(parser);
    if (parser->myDoc) xmlFreeDoc(parser->myDoc);  // the entities the DOCTYPE declares
    xmlFreeParserCtxt(parser);
}
