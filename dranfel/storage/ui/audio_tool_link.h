#pragma once
// The audio tool from the storage manager's side: its control socket stands for its window (see
// dranfel/storage/audio_tool.h), and it is started by its program name from PATH.
#include <QStringList>

namespace dranfel {

class CAudioToolLink
{
public:
    // Brings a running tool to the front, or starts it with `arguments`; false when it is not
    // running and cannot be started.
    static bool raise_or_start(const QStringList& arguments);
    // Asks a running tool to minimise itself; nothing when none runs.
    static void minimise();

private:
    static bool send(const char* request);
};

} // namespace dranfel
