// The texts of error codes (the HRESULTs that WIC and XmlLite give, for one), and text conversions.
#include "windows_com.h"

#include <wincodec.h>

#include <cstdio>

namespace {

struct Known {
    HRESULT code;
    const char* text;
};

// The codes a damaged PNG or XML file can bring, with their names.
constexpr Known known[] = {
    {WINCODEC_ERR_BADIMAGE, "bad image data (WINCODEC_ERR_BADIMAGE)"},
    {WINCODEC_ERR_BADHEADER, "bad image header (WINCODEC_ERR_BADHEADER)"},
    {WINCODEC_ERR_BADSTREAMDATA, "bad stream data (WINCODEC_ERR_BADSTREAMDATA)"},
    {WINCODEC_ERR_STREAMREAD, "cannot read the stream (WINCODEC_ERR_STREAMREAD)"},
    {WINCODEC_ERR_FRAMEMISSING, "no frame (WINCODEC_ERR_FRAMEMISSING)"},
    {WINCODEC_ERR_BADMETADATAHEADER, "bad metadata header (WINCODEC_ERR_BADMETADATAHEADER)"},
    {WINCODEC_ERR_UNKNOWNIMAGEFORMAT, "unknown image format (WINCODEC_ERR_UNKNOWNIMAGEFORMAT)"},
    {WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT, "unsupported pixel format (WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT)"},
    {WINCODEC_ERR_UNSUPPORTEDOPERATION, "unsupported operation (WINCODEC_ERR_UNSUPPORTEDOPERATION)"},
    {WINCODEC_ERR_COMPONENTNOTFOUND, "no such codec (WINCODEC_ERR_COMPONENTNOTFOUND)"},
    {WINCODEC_ERR_IMAGESIZEOUTOFRANGE, "image size out of range (WINCODEC_ERR_IMAGESIZEOUTOFRANGE)"},
    {WINCODEC_ERR_VALUEOUTOFRANGE, "value out of range (WINCODEC_ERR_VALUEOUTOFRANGE)"},
    {WINCODEC_ERR_PALETTEUNAVAILABLE, "no palette (WINCODEC_ERR_PALETTEUNAVAILABLE)"},
    {WINCODEC_ERR_INTERNALERROR, "internal error (WINCODEC_ERR_INTERNALERROR)"},
    {WINCODEC_ERR_COMPONENTINITIALIZEFAILURE, "codec initialisation failed (WINCODEC_ERR_COMPONENTINITIALIZEFAILURE)"},
    {WINCODEC_ERR_INSUFFICIENTBUFFER, "buffer too small (WINCODEC_ERR_INSUFFICIENTBUFFER)"},
    // XmlLite's codes, which the SDK's headers here do not name.
    {static_cast<HRESULT>(0xC00CEE01UL), "unexpected end of input (MX_E_INPUTEND)"},
    {static_cast<HRESULT>(0xC00CEE02UL), "unrecognized encoding (MX_E_ENCODING)"},
    {static_cast<HRESULT>(0xC00CEE03UL), "unable to switch the encoding (MX_E_ENCODINGSWITCH)"},
    {static_cast<HRESULT>(0xC00CEE04UL), "unrecognized input signature (MX_E_ENCODINGSIGNATURE)"},
    {static_cast<HRESULT>(0xC00CEE21UL), "whitespace expected (WC_E_WHITESPACE)"},
    {static_cast<HRESULT>(0xC00CEE22UL), "semicolon expected (WC_E_SEMICOLON)"},
    {static_cast<HRESULT>(0xC00CEE23UL), "'>' expected (WC_E_GREATERTHAN)"},
    {static_cast<HRESULT>(0xC00CEE24UL), "quote expected (WC_E_QUOTE)"},
    {static_cast<HRESULT>(0xC00CEE25UL), "equal expected (WC_E_EQUAL)"},
    {static_cast<HRESULT>(0xC00CEE26UL), "no '<' in attribute value (WC_E_LESSTHAN)"},
    {static_cast<HRESULT>(0xC00CEE27UL), "hexadecimal digit expected (WC_E_HEXDIGIT)"},
    {static_cast<HRESULT>(0xC00CEE28UL), "decimal digit expected (WC_E_DIGIT)"},
    {static_cast<HRESULT>(0xC00CEE29UL), "'[' expected (WC_E_LEFTBRACKET)"},
    {static_cast<HRESULT>(0xC00CEE2AUL), "'(' expected (WC_E_LEFTPAREN)"},
    {static_cast<HRESULT>(0xC00CEE2BUL), "illegal xml character (WC_E_XMLCHARACTER)"},
    {static_cast<HRESULT>(0xC00CEE2CUL), "illegal name character (WC_E_NAMECHARACTER)"},
    {static_cast<HRESULT>(0xC00CEE2DUL), "incorrect document syntax (WC_E_SYNTAX)"},
    {static_cast<HRESULT>(0xC00CEE2EUL), "incorrect CDATA section syntax (WC_E_CDSECT)"},
    {static_cast<HRESULT>(0xC00CEE2FUL), "incorrect comment syntax (WC_E_COMMENT)"},
    {static_cast<HRESULT>(0xC00CEE30UL), "incorrect conditional section syntax (WC_E_CONDSECT)"},
    {static_cast<HRESULT>(0xC00CEE31UL), "incorrect ATTLIST declaration syntax (WC_E_DECLATTLIST)"},
    {static_cast<HRESULT>(0xC00CEE32UL), "incorrect DOCTYPE declaration syntax (WC_E_DECLDOCTYPE)"},
    {static_cast<HRESULT>(0xC00CEE33UL), "incorrect ELEMENT declaration syntax (WC_E_DECLELEMENT)"},
    {static_cast<HRESULT>(0xC00CEE34UL), "incorrect ENTITY declaration syntax (WC_E_DECLENTITY)"},
    {static_cast<HRESULT>(0xC00CEE35UL), "incorrect NOTATION declaration syntax (WC_E_DECLNOTATION)"},
    {static_cast<HRESULT>(0xC00CEE36UL), "NDATA expected (WC_E_NDATA)"},
    {static_cast<HRESULT>(0xC00CEE37UL), "PUBLIC expected (WC_E_PUBLIC)"},
    {static_cast<HRESULT>(0xC00CEE38UL), "SYSTEM expected (WC_E_SYSTEM)"},
    {static_cast<HRESULT>(0xC00CEE39UL), "name expected (WC_E_NAME)"},
    {static_cast<HRESULT>(0xC00CEE3AUL), "one root element (WC_E_ROOTELEMENT)"},
    {static_cast<HRESULT>(0xC00CEE3BUL), "element must match (WC_E_ELEMENTMATCH)"},
    {static_cast<HRESULT>(0xC00CEE3CUL), "unique attribute (WC_E_UNIQUEATTRIBUTE)"},
    {static_cast<HRESULT>(0xC00CEE3DUL), "text or XML declaration not at the start (WC_E_TEXTXMLDECL)"},
    {static_cast<HRESULT>(0xC00CEE3EUL), "leading 'xml' (WC_E_LEADINGXML)"},
    {static_cast<HRESULT>(0xC00CEE3FUL), "incorrect text declaration syntax (WC_E_TEXTDECL)"},
    {static_cast<HRESULT>(0xC00CEE40UL), "incorrect XML declaration syntax (WC_E_XMLDECL)"},
    {static_cast<HRESULT>(0xC00CEE41UL), "incorrect encoding name syntax (WC_E_ENCNAME)"},
    {static_cast<HRESULT>(0xC00CEE42UL), "incorrect public identifier syntax (WC_E_PUBLICID)"},
    {static_cast<HRESULT>(0xC00CEE43UL), "parameter entity in the internal subset (WC_E_PESINTERNALSUBSET)"},
    {static_cast<HRESULT>(0xC00CEE44UL), "parameter entity between declarations (WC_E_PESBETWEENDECLS)"},
    {static_cast<HRESULT>(0xC00CEE45UL), "no recursion (WC_E_NORECURSION)"},
    {static_cast<HRESULT>(0xC00CEE46UL), "entity content not well formed (WC_E_ENTITYCONTENT)"},
    {static_cast<HRESULT>(0xC00CEE47UL), "undeclared entity (WC_E_UNDECLAREDENTITY)"},
    {static_cast<HRESULT>(0xC00CEE48UL), "parsed entity (WC_E_PARSEDENTITY)"},
    {static_cast<HRESULT>(0xC00CEE49UL), "no external entity references (WC_E_NOEXTERNALENTITYREF)"},
    {static_cast<HRESULT>(0xC00CEE4AUL), "incorrect processing instruction syntax (WC_E_PI)"},
    {static_cast<HRESULT>(0xC00CEE4BUL), "incorrect system identifier syntax (WC_E_SYSTEMID)"},
    {static_cast<HRESULT>(0xC00CEE4CUL), "'?' expected (WC_E_QUESTIONMARK)"},
    {static_cast<HRESULT>(0xC00CEE4DUL), "no ']]>' in element content (WC_E_CDSECTEND)"},
    {static_cast<HRESULT>(0xC00CEE4EUL), "not all chunks of value have been read (WC_E_MOREDATA)"},
    {static_cast<HRESULT>(0xC00CEE4FUL), "DTD prohibited (WC_E_DTDPROHIBITED)"},
    {static_cast<HRESULT>(0xC00CEE50UL), "invalid xml:space value (WC_E_INVALIDXMLSPACE)"},
    {static_cast<HRESULT>(0xC00CEE60UL), "illegal name character (NC_E_NAMECHARACTER)"},
    {static_cast<HRESULT>(0xC00CEE61UL), "illegal qualified name character (NC_E_QNAMECHARACTER)"},
    {static_cast<HRESULT>(0xC00CEE62UL), "multiple colons in qualified name (NC_E_QNAMECOLON)"},
    {E_OUTOFMEMORY, "out of memory (E_OUTOFMEMORY)"},
    {E_NOTIMPL, "not implemented (E_NOTIMPL)"},
    {E_FAIL, "unspecified failure (E_FAIL)"},
};

}  // namespace

std::string hresult_text(HRESULT hr)
{
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
    for (const Known& k : known)
        if (k.code == hr) return std::string(k.text) + " " + code;
    const std::string text = system_text(static_cast<DWORD>(hr));
    return text.empty() ? std::string("HRESULT ") + code : text + " " + code;
}

std::string system_text(DWORD code)
{
    char* text = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string out;
    if (length && text) {
        out.assign(text, length);
        while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' ' || out.back() == '.'))
            out.pop_back();
    }
    if (text) LocalFree(text);
    return out;
}

std::string utf8_of(const wchar_t* wide, std::size_t length)
{
    if (!wide || length == 0) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), text.data(), n, nullptr, nullptr);
    return text;
}

std::wstring wide_of(std::string_view utf8)
{
    if (utf8.empty()) return {};
    const int length = static_cast<int>(utf8.size());
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), n);
    return wide;
}
