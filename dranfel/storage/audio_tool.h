#pragma once
// The separate audio tool on Linux. Its "top-level window titled Melvane" is the tool's control
// socket: a local (AF_UNIX) socket named after that title in the user's runtime folder, on which a
// running tool takes one-line requests to come to the front or to minimise itself. A socket works
// the same under X11 and Wayland, where no program may raise another's window by its title.
// The tool is started by its program name, looked up on PATH as the shell would.
#include <string>
#include <vector>

namespace dranfel {

// Looked up on PATH; Linux program names are lower case.
constexpr const char* AUDIO_TOOL_PROGRAM = "melvane";
constexpr const char* AUDIO_TOOL_RAISE = "raise\n";
constexpr const char* AUDIO_TOOL_MINIMISE = "minimize\n";

// "$XDG_RUNTIME_DIR/Melvane", or "/tmp/Melvane-<uid>" when there is no runtime folder.
std::string audio_tool_socket_path();

// The tool's arguments: the storage manager's own command line after its program name, as the
// tool was always started with the rest of the caller's command line.
std::vector<std::string> audio_tool_arguments(const std::vector<std::string>& own_arguments);

} // namespace dranfel
