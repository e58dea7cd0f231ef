#pragma once
// A small tmpfs mounted for one test, so that a full disk or a read-only disk is a real one: the
// tests run as root, and permission bits stop nothing for root. Unmounted and removed on
// destruction. When mounting is refused (no privilege, no mount namespace), ok() is false and the
// test is expected to GTEST_SKIP with the reason.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/mount.h>
#include <unistd.h>

namespace common::testing {

class TmpfsMount
{
public:
    explicit TmpfsMount(size_t size_bytes)
    {
        char tmpl[] = "/tmp/kd-tmpfs-XXXXXX";
        if (!::mkdtemp(tmpl)) {
            m_error = std::strerror(errno);
            return;
        }
        m_dir = tmpl;
        std::string opts = "size=" + std::to_string(size_bytes);
        if (::mount("tmpfs", m_dir.c_str(), "tmpfs", 0, opts.c_str()) != 0) {
            m_error = std::string("mount tmpfs: ") + std::strerror(errno);
            return;
        }
        m_mounted = true;
    }
    ~TmpfsMount()
    {
        if (m_mounted)
            ::umount2(m_dir.c_str(), MNT_DETACH);
        if (!m_dir.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(m_dir, ec);
        }
    }
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;

    bool ok() const { return m_mounted; }
    const std::string& error() const { return m_error; }
    const std::string& path() const { return m_dir; }

    // Unmounts now, leaving the empty mount point behind as a pulled disk does.
    bool unmount()
    {
        if (!m_mounted || ::umount2(m_dir.c_str(), MNT_DETACH) != 0)
            return false;
        m_mounted = false;
        return true;
    }

    bool remount_read_only()
    {
        return ::mount("tmpfs", m_dir.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

    // Fills the mount until a write fails, leaving `leave_free` bytes (rounded to the page) free.
    void fill(size_t leave_free = 0)
    {
        std::ofstream f(m_dir + "/filler", std::ios::binary);
        std::string block(4096, 'x');
        while (f.write(block.data(), block.size()))
            f.flush();
        f.close();
        if (leave_free) {
            auto size = std::filesystem::file_size(m_dir + "/filler");
            std::filesystem::resize_file(m_dir + "/filler", size > leave_free ? size - leave_free : 0);
        }
    }

private:
    std::string m_dir;
    std::string m_error;
    bool m_mounted = false;
};

} // namespace common::testing
