#include "dranfel/converter/player.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

extern char** environ;

namespace dranfel {

namespace {

const char* const MSG_NO_PLAYER =
    "No video player was found. Dranfel plays a recording through the default application for "
    "video/mpeg when it can read standard input, or through mpv or vlc: install one of them.";

std::vector<std::string> split(const std::string& text, char sep)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, sep))
        if (!part.empty())
            parts.push_back(part);
    return parts;
}

std::string on_path(const std::string& program, const std::string& path)
{
    if (program.find('/') != std::string::npos)
        return ::access(program.c_str(), X_OK) == 0 ? program : std::string();
    for (const std::string& dir : split(path, ':')) {
        std::string candidate = dir + "/" + program;
        struct stat st
        {
        };
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

// The words of a desktop entry's Exec line, with its quoting undone.
std::vector<std::string> exec_words(const std::string& line)
{
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, any = false;
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (quoted && c == '\\' && i + 1 < line.size()) {
            word += line[++i];
        } else if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (any || !word.empty())
                words.push_back(word);
            word.clear();
            any = false;
        } else {
            word += c;
        }
    }
    if (any || !word.empty())
        words.push_back(word);
    return words;
}

// The command of a desktop entry with "-" for the file it opens; empty when it names no file to
// open (then it cannot be given a stream) or its program is not there.
std::vector<std::string> desktop_command(const std::string& file, const std::string& path)
{
    std::ifstream in(file);
    std::string line;
    bool in_entry = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] == '[')
            in_entry = line == "[Desktop Entry]";
        else if (in_entry && line.rfind("Exec=", 0) == 0) {
            std::vector<std::string> argv;
            bool has_file = false;
            for (std::string& w : exec_words(line.substr(5))) {
                if (w == "%f" || w == "%F" || w == "%u" || w == "%U") {
                    argv.push_back("-");
                    has_file = true;
                } else if (w.size() == 2 && w[0] == '%') {
                    continue; // %i, %c, %k and the rest say nothing a stream needs
                } else {
                    argv.push_back(w);
                }
            }
            if (!has_file || argv.empty() || argv[0] == "-")
                return {};
            argv[0] = on_path(argv[0], path);
            return argv[0].empty() ? std::vector<std::string>{} : argv;
        }
    }
    return {};
}

std::string default_desktop_id(const std::string& path)
{
    std::string xdg_mime = on_path("xdg-mime", path);
    if (xdg_mime.empty())
        return {};
    std::string cmd = "PATH='" + path + "' '" + xdg_mime + "' query default video/mpeg 2>/dev/null";
    std::FILE* p = ::popen(cmd.c_str(), "r");
    if (!p)
        return {};
    char buf[512] = {};
    std::string id = std::fgets(buf, sizeof buf, p) ? buf : "";
    ::pclose(p);
    while (!id.empty() && (id.back() == '\n' || id.back() == ' '))
        id.pop_back();
    return id.find('/') == std::string::npos ? id : std::string();
}

} // namespace

bool find_player(const PlayerSearch& search, PlayerChoice& choice, std::string& message)
{
    std::string path = search.path;
    if (path.empty()) {
        const char* env = std::getenv("PATH");
        path = env ? env : "/usr/local/bin:/usr/bin:/bin";
    }
    std::vector<std::string> data_dirs = search.data_dirs;
    if (data_dirs.empty()) {
        const char* home = std::getenv("XDG_DATA_HOME");
        const char* user = std::getenv("HOME");
        if (home && *home)
            data_dirs.push_back(home);
        else if (user)
            data_dirs.push_back(std::string(user) + "/.local/share");
        const char* dirs = std::getenv("XDG_DATA_DIRS");
        for (const std::string& d : split(dirs && *dirs ? dirs : "/usr/local/share:/usr/share", ':'))
            data_dirs.push_back(d);
    }
    std::string id = default_desktop_id(path);
    if (!id.empty())
        for (const std::string& dir : data_dirs) {
            std::vector<std::string> argv = desktop_command(dir + "/applications/" + id, path);
            if (!argv.empty()) {
                choice.argv = std::move(argv);
                return true;
            }
        }
    for (const char* program : {"mpv", "vlc"}) {
        std::string found = on_path(program, path);
        if (!found.empty()) {
            choice.argv = {found, "-"};
            return true;
        }
    }
    message = MSG_NO_PLAYER;
    return false;
}

RunReport play_recording(const std::string& source,
                         const PlayerChoice& choice,
                         ConversionObserver& observer,
                         const std::atomic<bool>& cancel,
                         pid_t& player)
{
    player = -1;
    RunReport report;
    int fds[2];
    if (choice.argv.empty() || ::pipe2(fds, O_CLOEXEC) != 0) {
        report.status = RunStatus::TargetOpenFailed;
        report.message = "Can't open the target file";
        report.detail = "no pipe to a player";
        observer.finished(report);
        return report;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
    std::vector<char*> argv;
    for (const std::string& a : choice.argv)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int rc = ::posix_spawn(&player, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[0]);
    if (rc != 0) {
        ::close(fds[1]);
        player = -1;
        report.status = RunStatus::TargetOpenFailed;
        report.message = "Can't open the target file";
        report.detail = choice.argv[0] + ": " + std::strerror(rc);
        observer.finished(report);
        return report;
    }

    // A player that is closed early breaks the pipe: that must end the run, not the program.
    // The writer thread is made inside the run and takes this thread's mask with it.
    sigset_t pipe_signal, old_mask;
    sigemptyset(&pipe_signal);
    sigaddset(&pipe_signal, SIGPIPE);
    ::pthread_sigmask(SIG_BLOCK, &pipe_signal, &old_mask);

    ConversionRequest request;
    request.source = source;
    request.target = "/proc/self/fd/" + std::to_string(fds[1]);
    request.diagnostics = nullptr;
    struct Quiet : ConversionObserver
    {
        ConversionObserver& outer;
        explicit Quiet(ConversionObserver& o)
            : outer(o)
        {}
        void part_started(int part, int parts, int total, const std::string& path) override
        {
            outer.part_started(part, parts, total, path);
        }
        void current_progress(int percent) override { outer.current_progress(percent); }
    } relay(observer);
    report = run_conversion(request, relay, cancel);
    ::close(fds[1]);

    const timespec now{0, 0};
    while (::sigtimedwait(&pipe_signal, nullptr, &now) == SIGPIPE) {
    }
    ::pthread_sigmask(SIG_SETMASK, &old_mask, nullptr);

    if (report.status == RunStatus::WriteFailed &&
        report.detail.find(std::strerror(EPIPE)) != std::string::npos) {
        report.status = RunStatus::Canceled;
        report.message = "Convert Canceled";
        report.detail.clear();
    }
    observer.finished(report);
    return report;
}

} // namespace dranfel
