#pragma once
// A small tmpfs mounted for one test, so that a full disk or a read-only disk is a real one: the
// tests run as root, and permission bits stop nothing for root. Unmounted and removed on
// destruction. When mounting is refused (no privilege, no mount namespace), ok() is false and the
// test is expected to GTEST_SKIP with the reason.
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace common::testing {

class TmpfsMount
{
public:
    explicit TmpfsMount(size_t size_bytes)
    {
        char tmpl[] = "/tmp/kd-tmpfs-XXXXXX";
        if (!::mkdtemp(tmpl)) {
            error_ = std::strerror(errno);
            return;
        }
        dir_ = tmpl;
        std::string opts = "size=" + std::to_string(size_bytes);
        if (::mount("tmpfs", dir_.c_str(), "tmpfs", 0, opts.c_str()) != 0) {
            error_ = std::string("mount tmpfs: ") + std::strerror(errno);
            return;
        }
        mounted_ = true;
    }
    ~TmpfsMount()
    {
        if (mounted_)
            ::umount2(dir_.c_str(), MNT_DETACH);
        if (!dir_.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(dir_, ec);
        }
    }
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;

    bool ok() const { return mounted_; }
    const std::string& error() const { return error_; }
    const std::string& path() const { return dir_; }

    bool remount_read_only()
    {
        return ::mount("tmpfs", dir_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

    // Fills the mount until a write fails, leaving `leave_free` bytes (rounded to the page) free.
    void fill(size_t leave_free = 0)
    {
        std::ofstream f(dir_ + "/filler", std::ios::binary);
        std::string block(4096, 'x');
        while (f.write(block.data(), block.size()))
            f.flush();
        f.close();
        if (leave_free) {
            auto size = std::filesystem::file_size(dir_ + "/filler");
            std::filesystem::resize_file(dir_ + "/filler", size > leave_free ? size - leave_free : 0);
        }
    }

private:
    std::string dir_;
    std::string error_;
    bool mounted_ = false;
};

} // namespace common::testing
