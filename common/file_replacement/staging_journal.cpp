#include "common/file_replacement/staging_journal.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace common::staging {

namespace {

// Names may hold any byte but '/' and NUL; a line feed or a space in one must not split a step.
std::string escape(const std::string& s)
{
    std::string out;
    for (unsigned char c : s) {
        if (c <= 0x20 || c == '%' || c == 0x7f) {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", c);
            out += buf;
        } else {
            out += char(c);
        }
    }
    return out;
}

int hex_value(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool unescape(const std::string& s, std::string& out)
{
    out.clear();
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') {
            out += s[i];
            continue;
        }
        if (i + 2 >= s.size())
            return false;
        int hi = hex_value(s[i + 1]), lo = hex_value(s[i + 2]);
        if (hi < 0 || lo < 0)
            return false;
        out += char(hi * 16 + lo);
        i += 2;
    }
    return true;
}

// A target must be a plain name of the folder: a journal never moves anything out of it.
bool plain_name(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

std::vector<std::string> words_of(const std::string& line)
{
    std::vector<std::string> words;
    size_t i = 0;
    while (i <= line.size()) {
        size_t sp = line.find(' ', i);
        if (sp == std::string::npos)
            sp = line.size();
        words.push_back(line.substr(i, sp - i));
        i = sp + 1;
    }
    return words;
}

bool parse_number(const std::string& w, unsigned long long& v)
{
    if (w.empty() || w.size() > 19)
        return false;
    v = 0;
    for (char c : w) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + unsigned(c - '0');
    }
    return true;
}

bool parse_step(const std::string& line, Step& step)
{
    std::vector<std::string> w = words_of(line);
    if (w.empty() || w[0].size() != 1)
        return false;
    step = Step{};
    step.op = Op(w[0][0]);
    unsigned long long n = 0;
    switch (step.op) {
    case Op::Commit:
        return w.size() == 1;
    case Op::Staged:
        if (w.size() != 2 || !parse_number(w[1], n) || n == 0 || n > 0xFFFFFFFFu)
            return false;
        step.n = unsigned(n);
        return true;
    case Op::Aside:
    case Op::Place:
        if (w.size() != 4 || !parse_number(w[1], n) || n == 0 || n > 0xFFFFFFFFu ||
            !parse_number(w[2], step.ino) || !unescape(w[3], step.target))
            return false;
        step.n = unsigned(n);
        return plain_name(step.target);
    case Op::MoveIn:
        if (w.size() != 4 || !parse_number(w[1], step.ino) || !unescape(w[2], step.source) ||
            !unescape(w[3], step.target))
            return false;
        return !step.source.empty() && step.source[0] == '/' && plain_name(step.target);
    }
    return false;
}

bool exists(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

bool holds(const std::string& path, unsigned long long ino)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && (unsigned long long)st.st_ino == ino;
}

std::string staged_name(const std::string& lock_path, unsigned n)
{
    return lock_path + "." + std::to_string(n);
}

} // namespace

std::string join(const std::string& folder, const std::string& name)
{
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string current_boot_id()
{
    std::string id;
    if (FILE* f = std::fopen("/proc/sys/kernel/random/boot_id", "re")) {
        char buf[64] = {};
        if (std::fgets(buf, sizeof buf, f))
            id = buf;
        std::fclose(f);
    }
    while (!id.empty() && (id.back() == '\n' || id.back() == ' '))
        id.pop_back();
    return id.empty() ? std::string("unknown") : escape(id);
}

std::string encode_signature(const Signature& sig)
{
    return std::string(MAGIC) + "\npid " + std::to_string(sig.pid) + "\nboot " + sig.boot_id + "\n";
}

std::string encode_step(const Step& step)
{
    std::string line(1, char(step.op));
    switch (step.op) {
    case Op::Commit:
        break;
    case Op::Staged:
        line += " " + std::to_string(step.n);
        break;
    case Op::Aside:
    case Op::Place:
        line += " " + std::to_string(step.n) + " " + std::to_string(step.ino) + " " + escape(step.target);
        break;
    case Op::MoveIn:
        line += " " + std::to_string(step.ino) + " " + escape(step.source) + " " + escape(step.target);
        break;
    }
    return line + "\n";
}

bool parse_journal(const std::string& text, Signature& sig, std::vector<Step>& steps)
{
    steps.clear();
    std::vector<std::string> lines;
    size_t i = 0;
    while (i < text.size()) {
        size_t nl = text.find('\n', i);
        if (nl == std::string::npos)
            break; // cut short by a kill: not a step
        lines.push_back(text.substr(i, nl - i));
        i = nl + 1;
    }
    if (lines.size() < 3 || lines[0] != MAGIC || lines[1].rfind("pid ", 0) != 0 ||
        lines[2].rfind("boot ", 0) != 0)
        return false;
    unsigned long long pid = 0;
    if (!parse_number(lines[1].substr(4), pid) || pid == 0)
        return false;
    sig.pid = long(pid);
    sig.boot_id = lines[2].substr(5);
    for (size_t k = 3; k < lines.size(); ++k) {
        Step s;
        if (!parse_step(lines[k], s))
            break;
        steps.push_back(s);
    }
    return true;
}

size_t committed_end(const std::vector<Step>& steps)
{
    for (size_t i = steps.size(); i > 0; --i)
        if (steps[i - 1].op == Op::Commit)
            return i;
    return 0;
}

bool undo_steps(const std::string& folder,
                const std::string& lock_path,
                const std::vector<Step>& steps,
                size_t begin,
                size_t end,
                std::string& error)
{
    bool ok = true;
    auto failed = [&](const std::string& text) {
        if (ok)
            error = text;
        ok = false;
    };
    for (size_t i = end; i > begin; --i) {
        const Step& s = steps[i - 1];
        const std::string target = s.target.empty() ? std::string() : join(folder, s.target);
        switch (s.op) {
        case Op::Place: {
            // Placed when its staged name is gone and the target is there: back to the staged name.
            std::string staged = staged_name(lock_path, s.n);
            if (!exists(staged) && holds(target, s.ino) && ::rename(target.c_str(), staged.c_str()) != 0)
                failed("could not take back " + target + ": " + std::strerror(errno));
            break;
        }
        case Op::MoveIn:
            if (!exists(s.source) && holds(target, s.ino) && ::rename(target.c_str(), s.source.c_str()) != 0)
                failed("could not move " + target + " back to " + s.source + ": " + std::strerror(errno));
            break;
        case Op::Aside: {
            std::string staged = staged_name(lock_path, s.n);
            if (!holds(staged, s.ino))
                break;
            if (exists(target))
                failed("the old " + target + " could not be put back: it is kept as " + staged);
            else if (::rename(staged.c_str(), target.c_str()) != 0)
                failed("the old " + target + " could not be put back (" + std::strerror(errno) +
                       "): it is kept as " + staged);
            break;
        }
        case Op::Staged:
        case Op::Commit:
            break;
        }
    }
    return ok;
}

void remove_staged_files(const std::string& lock_path, const std::vector<Step>& steps)
{
    for (const Step& s : steps)
        if (s.op == Op::Staged || (s.op == Op::Aside && holds(staged_name(lock_path, s.n), s.ino)))
            ::unlink(staged_name(lock_path, s.n).c_str());
}

} // namespace common::staging
