#pragma once
// Playing a recording: the whole recording is converted into a pipe on the standard input of the
// desktop's video player, which plays it as it comes. Nothing is written to disk.
#include "dranfel/converter/conversion_run.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace dranfel {

// Where to look for a player; empty fields are taken from the environment (PATH, XDG_DATA_HOME,
// XDG_DATA_DIRS).
struct PlayerSearch
{
    std::string path;
    std::vector<std::string> data_dirs; // each holding applications/*.desktop
};

struct PlayerChoice
{
    std::vector<std::string> argv; // argv[0] a full path; "-" where the stream goes
};

// The default application for video/mpeg (xdg-mime), when its command can take "-" for a file;
// else mpv or vlc from PATH. False with `message` set when there is none.
bool find_player(const PlayerSearch& search, PlayerChoice& choice, std::string& message);

// Starts the player with a pipe on its standard input and converts every part of the recording
// into it; returns when the conversion ends, the player going on alone (`player` is its process,
// for the caller to wait for). A player closed before the end is no failure: the run ends as
// cancelled, with no detail.
RunReport play_recording(const std::string& source,
                         const PlayerChoice& choice,
                         ConversionObserver& observer,
                         const std::atomic<bool>& cancel,
                         pid_t& player);

} // namespace dranfel
