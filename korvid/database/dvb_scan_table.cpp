#include "korvid/database/dvb_scan_table.h"

#include "common/strfmt.h"

#include <cctype>

namespace korvid {

namespace {

std::string_view scan_trimmed(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

std::string scan_upper(std::string_view s)
{
    std::string u;
    for (char c : s)
        u += char(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

// One block as read so far; which of the required keys it had.
struct Block
{
    SourceTransponder tp;
    bool open = false;
    bool has_frequency = false, has_symbol_rate = false, has_polarisation = false;
};

class ScanTableReader
{
public:
    ScanTableReader(const std::string& path, SourceSatellite& satellite)
        : m_path(path)
        , m_satellite(satellite)
    {}

    bool read(std::string_view text)
    {
        size_t at = 0;
        while (at <= text.size() && m_error.empty()) {
            const size_t end = std::min(text.find('\n', at), text.size());
            ++m_line;
            std::string_view line = text.substr(at, end - at);
            const size_t hash = line.find('#');
            if (hash != std::string_view::npos)
                line = line.substr(0, hash);
            take_line(scan_trimmed(line));
            at = end + 1;
        }
        if (m_error.empty())
            close_block();
        return m_error.empty();
    }

    const std::string& error() const { return m_error; }

private:
    void fail(int line, const std::string& what)
    {
        if (m_error.empty())
            m_error = common::strfmt("%s:%d: %s", m_path.c_str(), line, what.c_str());
    }

    void take_line(std::string_view line)
    {
        if (line.empty())
            return;
        if (line.front() == '[') {
            if (line.back() != ']')
                return fail(m_line, "a heading without its closing ']'");
            close_block();
            m_block = Block{};
            m_block.open = true;
            m_block.tp.line = m_line;
            return;
        }
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            return fail(m_line, "expected KEY = VALUE or a [heading]");
        if (!m_block.open)
            return fail(m_line, "a value before the first [heading]");
        const std::string key = scan_upper(scan_trimmed(line.substr(0, eq)));
        const std::string_view value = scan_trimmed(line.substr(eq + 1));
        if (key.empty())
            return fail(m_line, "a value without a key");
        take_value(key, value);
    }

    void take_value(const std::string& key, std::string_view value)
    {
        SourceTransponder& tp = m_block.tp;
        uint64_t n = 0;
        if (key == "DELIVERY_SYSTEM") {
            const std::string v = scan_upper(value);
            if (v == "DVBS")
                tp.system = DeliverySystem::DvbS;
            else if (v == "DVBS2")
                tp.system = DeliverySystem::DvbS2;
            else
                fail(m_line,
                     "DELIVERY_SYSTEM " + std::string(value) + " is not satellite reception (DVBS, DVBS2)");
        } else if (key == "FREQUENCY") {
            if (!parse_unsigned(value, n))
                return fail(m_line, "FREQUENCY is not a whole number of kHz");
            tp.frequency = thousandths_rounded(n);
            m_block.has_frequency = true;
        } else if (key == "SYMBOL_RATE") {
            if (!parse_unsigned(value, n))
                return fail(m_line, "SYMBOL_RATE is not a whole number of symbols/s");
            tp.symbol_rate = thousandths_rounded(n);
            m_block.has_symbol_rate = true;
        } else if (key == "POLARIZATION") {
            const std::string v = scan_upper(value);
            if (v == "HORIZONTAL" || v == "H" || v == "LEFT" || v == "L")
                tp.polarisation = 1;
            else if (v == "VERTICAL" || v == "V" || v == "RIGHT" || v == "R")
                tp.polarisation = 0;
            else
                return fail(m_line, "POLARIZATION " + std::string(value) +
                                        " is none of HORIZONTAL, VERTICAL, LEFT, RIGHT");
            m_block.has_polarisation = true;
        } else if (key == "INNER_FEC") {
            if (!parse_code_rate(value, tp))
                fail(m_line, "INNER_FEC " + std::string(value) + " is not a code rate (AUTO, 3/4, ...)");
        }
    }

    void close_block()
    {
        if (!m_block.open)
            return;
        const char* missing = !m_block.has_frequency      ? "FREQUENCY"
                              : !m_block.has_symbol_rate  ? "SYMBOL_RATE"
                              : !m_block.has_polarisation ? "POLARIZATION"
                                                          : nullptr;
        if (missing)
            return fail(m_block.tp.line, std::string("the block has no ") + missing);
        m_satellite.transponders.push_back(m_block.tp);
        m_block.open = false;
    }

    const std::string& m_path;
    SourceSatellite& m_satellite;
    Block m_block;
    int m_line = 0;
    std::string m_error;
};

} // namespace

bool parse_scan_table(std::string_view text,
                      const std::string& path,
                      SourceSatellite& satellite,
                      std::string& error)
{
    SourceSatellite read = satellite;
    read.transponders.clear();
    ScanTableReader reader(path, read);
    if (!reader.read(text)) {
        error = reader.error();
        return false;
    }
    satellite = std::move(read);
    return true;
}

} // namespace korvid
