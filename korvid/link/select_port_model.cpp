#include "korvid/link/select_port_model.h"

#include "common/strfmt.h"

namespace korvid {

SelectPortModel::SelectPortModel(int com_port,
                                 std::function<bool(int)> test,
                                 std::function<std::string(int)> device)
    : m_index(com_port >= 1 && com_port <= PORT_COUNT ? com_port - 1 : 0)
    , m_test(std::move(test))
    , m_device(std::move(device))
{}

std::vector<std::string> SelectPortModel::entries() const
{
    std::vector<std::string> out;
    for (int n = 1; n <= PORT_COUNT; ++n) {
        std::string e = common::strfmt("COM%d", n);
        std::string dev = m_device ? m_device(n) : std::string();
        if (!dev.empty())
            e += "  " + dev;
        out.push_back(std::move(e));
    }
    return out;
}

int SelectPortModel::select(int index)
{
    if (index < 0 || index >= PORT_COUNT || index == m_index)
        return m_index;
    if (m_test && m_test(index + 1)) {
        m_index = index;
        m_text = common::strfmt("COM%d", index + 1);
    }
    return m_index;
}

void SelectPortModel::finish(bool accepted, int& com_port) const
{
    if (accepted)
        com_port = m_index + 1;
}

int port_to_restore(const std::string& device, int number, const std::vector<std::string>& table)
{
    if (!device.empty())
        for (size_t i = 0; i < table.size() && int(i) < SelectPortModel::PORT_COUNT; ++i)
            if (table[i] == device)
                return int(i + 1);
    return number >= 1 && number <= SelectPortModel::PORT_COUNT ? number : 0;
}

} // namespace korvid
