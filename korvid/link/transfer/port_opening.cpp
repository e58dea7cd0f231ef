#include "korvid/link/transfer/port_opening.h"

#include "common/prompts.h"
#include "common/strfmt.h"

namespace korvid {

LineOpener com_port_opener(int n, common::Prompts* prompts)
{
    return [n, prompts]() -> std::unique_ptr<SerialLine> {
        auto port = std::make_unique<CComPort>(prompts);
        if (!port->Open(n))
            return nullptr;
        return port;
    };
}

PortChoice parse_port_argument(const std::string& arg)
{
    PortChoice c;
    if (arg.empty())
        return c;
    if (arg[0] == '/') {
        c.path = arg;
        c.number = port_number_for(arg);
        c.valid = true;
        return c;
    }
    c.number = port_number_for(arg);
    if (c.number > 0) {
        c.path = port_device(c.number);
        c.valid = true;
    }
    return c;
}

LineOpener port_choice_opener(const PortChoice& choice, common::Prompts* prompts)
{
    return [choice, prompts]() -> std::unique_ptr<SerialLine> {
        // A device outside the table has no COM number to name, so its path is named instead.
        std::string text = choice.number > 0 ? common::strfmt("Can not open COM%d", choice.number)
                                             : common::strfmt("Can not open %s", choice.path.c_str());
        auto port = std::make_unique<CComPort>();
        const bool opened =
            choice.path.empty() ? port->Open(choice.number) : port->OpenPath(choice.path, choice.number);
        if (!opened) {
            if (prompts)
                prompts->error(port->OpenFailureText(text));
            return nullptr;
        }
        return port;
    };
}

} // namespace korvid
