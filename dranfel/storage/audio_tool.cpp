#include "dranfel/storage/audio_tool.h"

#include "dranfel/storage/commands.h"

#include <cstdlib>
#include <unistd.h>

namespace dranfel {

std::string audio_tool_socket_path()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime)
        return std::string(runtime) + "/" + AUDIO_TOOL_WINDOW_TITLE;
    return std::string("/tmp/") + AUDIO_TOOL_WINDOW_TITLE + "-" + std::to_string(::getuid());
}

std::vector<std::string> audio_tool_arguments(const std::vector<std::string>& own_arguments)
{
    if (own_arguments.size() <= 1)
        return {};
    return std::vector<std::string>(own_arguments.begin() + 1, own_arguments.end());
}

} // namespace dranfel
