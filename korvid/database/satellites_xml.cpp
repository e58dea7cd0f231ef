#include "korvid/database/satellites_xml.h"

#include "common/strfmt.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <map>

namespace korvid {

namespace {

using Attributes = std::map<std::string, std::string>;

void append_utf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

std::string xml_lower(std::string_view s)
{
    std::string l;
    for (char c : s)
        l += char(std::tolower(static_cast<unsigned char>(c)));
    return l;
}

// The elements of the file as a stream of start and end tags; text between them is read past.
class XmlReader
{
public:
    XmlReader(std::string_view text, const std::string& path)
        : m_text(text)
        , m_path(path)
    {}

    enum class Token
    {
        Start, // name(), attributes(); self_closing() for <x/>
        End,
        Done,
        Error
    };

    Token next()
    {
        while (true) {
            const size_t lt = m_text.find('<', m_pos);
            if (lt == std::string_view::npos) {
                advance_to(m_text.size());
                return Token::Done;
            }
            advance_to(lt);
            m_tag_line = m_line;
            if (starts("<!--")) {
                if (!skip_past("-->"))
                    return fail(m_tag_line, "a comment that never ends");
            } else if (starts("<?")) {
                if (!skip_past("?>"))
                    return fail(m_tag_line, "a declaration that never ends");
            } else if (starts("<![CDATA[")) {
                if (!skip_past("]]>"))
                    return fail(m_tag_line, "a CDATA section that never ends");
            } else if (starts("<!")) {
                if (!skip_doctype())
                    return fail(m_tag_line, "a DOCTYPE that never ends");
            } else {
                return tag();
            }
        }
    }

    const std::string& name() const { return m_name; }
    const Attributes& attributes() const { return m_attributes; }
    bool self_closing() const { return m_self_closing; }
    int tag_line() const { return m_tag_line; }
    const std::string& error() const { return m_error; }

    Token fail(int line, const std::string& what)
    {
        if (m_error.empty())
            m_error = common::strfmt("%s:%d: %s", m_path.c_str(), line, what.c_str());
        return Token::Error;
    }

private:
    bool refuse(int line, const std::string& what)
    {
        fail(line, what);
        return false;
    }
    bool starts(std::string_view s) const { return m_text.substr(m_pos, s.size()) == s; }
    // Moves on, counting the lines passed.
    void advance_to(size_t pos)
    {
        for (; m_pos < pos; ++m_pos)
            if (m_text[m_pos] == '\n')
                ++m_line;
    }
    bool skip_past(std::string_view end)
    {
        const size_t at = m_text.find(end, m_pos);
        if (at == std::string_view::npos)
            return false;
        advance_to(at + end.size());
        return true;
    }
    // A DOCTYPE may hold an internal subset in brackets, with '>' inside.
    bool skip_doctype()
    {
        int depth = 0;
        for (size_t i = m_pos; i < m_text.size(); ++i) {
            if (m_text[i] == '[')
                ++depth;
            else if (m_text[i] == ']')
                --depth;
            else if (m_text[i] == '>' && depth <= 0) {
                advance_to(i + 1);
                return true;
            }
        }
        return false;
    }
    static bool name_char(char c)
    {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.' || c == ':' ||
               (static_cast<unsigned char>(c) >= 0x80);
    }
    void skip_space()
    {
        while (m_pos < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_pos])))
            advance_to(m_pos + 1);
    }
    std::string read_name()
    {
        const size_t start = m_pos;
        while (m_pos < m_text.size() && name_char(m_text[m_pos]))
            ++m_pos;
        return std::string(m_text.substr(start, m_pos - start));
    }

    Token tag()
    {
        advance_to(m_pos + 1);
        const bool end = starts("/");
        if (end)
            advance_to(m_pos + 1);
        m_name = read_name();
        m_attributes.clear();
        m_self_closing = false;
        if (m_name.empty())
            return fail(m_tag_line, "'<' that begins no tag");
        while (true) {
            skip_space();
            if (m_pos >= m_text.size())
                return fail(m_tag_line, "<" + m_name + "> never ends");
            if (starts(">")) {
                advance_to(m_pos + 1);
                return end ? Token::End : Token::Start;
            }
            if (!end && starts("/>")) {
                advance_to(m_pos + 2);
                m_self_closing = true;
                return Token::Start;
            }
            if (end)
                return fail(m_line, "</" + m_name + "> holds more than its name");
            if (!attribute())
                return Token::Error;
        }
    }

    bool attribute()
    {
        const std::string key = read_name();
        if (key.empty())
            return refuse(m_line, "unexpected '" + std::string(1, m_text[m_pos]) + "' in <" + m_name + ">");
        skip_space();
        if (!starts("="))
            return refuse(m_line, "attribute " + key + " has no value");
        advance_to(m_pos + 1);
        skip_space();
        if (m_pos >= m_text.size() || (m_text[m_pos] != '"' && m_text[m_pos] != '\''))
            return refuse(m_line, "the value of " + key + " is not in quotes");
        const char quote = m_text[m_pos];
        const int value_line = m_line;
        const size_t close = m_text.find(quote, m_pos + 1);
        if (close == std::string_view::npos)
            return refuse(value_line, "the value of " + key + " never ends");
        std::string value;
        if (!decode(m_text.substr(m_pos + 1, close - m_pos - 1), value))
            return refuse(value_line, "the value of " + key + " holds an unknown '&' reference");
        advance_to(close + 1);
        m_attributes[key] = std::move(value);
        return true;
    }

    static bool decode(std::string_view raw, std::string& out)
    {
        static const std::pair<const char*, char> NAMED[] = {
            {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
        for (size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] != '&') {
                out += raw[i];
                continue;
            }
            const size_t semi = raw.find(';', i);
            if (semi == std::string_view::npos)
                return false;
            const std::string_view ref = raw.substr(i + 1, semi - i - 1);
            bool known = false;
            if (!ref.empty() && ref[0] == '#') {
                const bool hex = ref.size() > 1 && (ref[1] == 'x' || ref[1] == 'X');
                const std::string digits(ref.substr(hex ? 2 : 1));
                char* end = nullptr;
                const unsigned long cp =
                    digits.empty() ? 0 : std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
                if (!digits.empty() && *end == 0 && cp > 0 && cp <= 0x10FFFF) {
                    append_utf8(out, uint32_t(cp));
                    known = true;
                }
            } else {
                for (const auto& [n, c] : NAMED)
                    if (ref == n) {
                        out += c;
                        known = true;
                    }
            }
            if (!known)
                return false;
            i = semi;
        }
        return true;
    }

    std::string_view m_text;
    const std::string& m_path;
    size_t m_pos = 0;
    int m_line = 1;
    int m_tag_line = 1;
    std::string m_name;
    Attributes m_attributes;
    bool m_self_closing = false;
    std::string m_error;
};

bool signed_number(const std::string& text, long& value)
{
    uint64_t n = 0;
    const bool minus = !text.empty() && text[0] == '-';
    if (!parse_unsigned(std::string_view(text).substr(minus ? 1 : 0), n) || n > 100000000)
        return false;
    value = minus ? -long(n) : long(n);
    return true;
}

// The attributes of one <transponder> into an entry; "" when they are fine, else what is wrong.
std::string read_transponder(const Attributes& a, SourceTransponder& tp)
{
    const auto get = [&a](const char* key) -> const std::string* {
        const auto it = a.find(key);
        return it == a.end() ? nullptr : &it->second;
    };
    uint64_t n = 0;
    const std::string* v = get("frequency");
    if (!v || !parse_unsigned(*v, n))
        return v ? "frequency is not a whole number" : "a transponder without a frequency";
    tp.frequency = n >= 100000000 ? uint32_t(std::min<uint64_t>((n + 500000) / 1000000, UINT32_MAX))
                   : n >= 100000  ? thousandths_rounded(n)
                                  : uint32_t(n);
    v = get("symbol_rate");
    if (!v || !parse_unsigned(*v, n))
        return v ? "symbol_rate is not a whole number" : "a transponder without a symbol_rate";
    tp.symbol_rate = n >= 100000 ? thousandths_rounded(n) : uint32_t(n);

    v = get("polarization");
    if (!v)
        return "a transponder without a polarization";
    const std::string pol = xml_lower(*v);
    if (pol == "0" || pol == "h" || pol == "2" || pol == "l")
        tp.polarisation = 1;
    else if (pol == "1" || pol == "v" || pol == "3" || pol == "r")
        tp.polarisation = 0;
    else
        return "polarization \"" + *v + "\" is none of 0 to 3 (H, V, L, R)";

    if ((v = get("fec_inner"))) {
        static const char* const BY_NUMBER[] = {"auto", "1/2", "2/3", "3/4", "5/6",
                                                "7/8",  "8/9", "3/5", "4/5", "9/10"};
        std::string rate = *v;
        if (parse_unsigned(*v, n))
            rate = n < std::size(BY_NUMBER) ? BY_NUMBER[n] : n == 15 ? "none" : "";
        if (!parse_code_rate(rate, tp))
            return "fec_inner \"" + *v + "\" is not a code rate";
    }
    if ((v = get("system"))) {
        const std::string s = xml_lower(*v);
        if (s == "0" || s == "dvb-s" || s == "dvbs")
            tp.system = DeliverySystem::DvbS;
        else if (s == "1" || s == "dvb-s2" || s == "dvbs2")
            tp.system = DeliverySystem::DvbS2;
        else
            return "system \"" + *v + "\" is neither 0 (DVB-S) nor 1 (DVB-S2)";
    }
    return {};
}

} // namespace

bool parse_satellites_xml(std::string_view text,
                          const std::string& path,
                          std::vector<SourceSatellite>& satellites,
                          std::string& error)
{
    XmlReader xml(text, path);
    std::vector<std::pair<std::string, int>> open; // element and the line it began on
    std::vector<SourceSatellite> read;
    bool in_sat = false;
    while (true) {
        const XmlReader::Token t = xml.next();
        if (t == XmlReader::Token::Error) {
            error = xml.error();
            return false;
        }
        if (t == XmlReader::Token::Done)
            break;
        const int line = xml.tag_line();
        if (t == XmlReader::Token::End) {
            if (open.empty() || open.back().first != xml.name()) {
                xml.fail(line, open.empty()
                                   ? "</" + xml.name() + "> closes nothing"
                                   : common::strfmt("</%s> closes <%s> of line %d", xml.name().c_str(),
                                                    open.back().first.c_str(), open.back().second));
                error = xml.error();
                return false;
            }
            if (xml.name() == "sat")
                in_sat = false;
            open.pop_back();
            continue;
        }
        if (xml.name() == "sat") {
            if (in_sat) {
                xml.fail(line, "a <sat> inside another");
                error = xml.error();
                return false;
            }
            SourceSatellite sat;
            const auto name = xml.attributes().find("name");
            const auto pos = xml.attributes().find("position");
            long position = 0;
            if (pos == xml.attributes().end() || !signed_number(pos->second, position) || position < -1800 ||
                position >= 3600) {
                xml.fail(line, pos == xml.attributes().end()
                                   ? "a <sat> without a position"
                                   : "position \"" + pos->second + "\" is not tenths of a degree");
                error = xml.error();
                return false;
            }
            sat.name = name == xml.attributes().end() ? position_text(int(position)) : name->second;
            sat.position = int(position > 1800 ? position - 3600 : position);
            read.push_back(std::move(sat));
            in_sat = !xml.self_closing();
        } else if (xml.name() == "transponder") {
            if (!in_sat) {
                xml.fail(line, "a <transponder> outside a <sat>");
                error = xml.error();
                return false;
            }
            SourceTransponder tp;
            tp.line = line;
            const std::string fault = read_transponder(xml.attributes(), tp);
            if (!fault.empty()) {
                xml.fail(line, fault);
                error = xml.error();
                return false;
            }
            read.back().transponders.push_back(tp);
        }
        if (!xml.self_closing())
            open.emplace_back(xml.name(), line);
    }
    if (!open.empty()) {
        xml.fail(open.back().second, "<" + open.back().first + "> is never closed");
        error = xml.error();
        return false;
    }
    satellites = std::move(read);
    return true;
}

} // namespace korvid
