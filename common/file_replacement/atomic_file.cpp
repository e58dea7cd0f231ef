#include "common/file_replacement/atomic_file.h"

#include "common/fd_io.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace common {

bool AtomicFile::open()
{
    abandon();
    m_failed = false;
    m_refusal = TargetRefusal::None;
    if (!resolve_write_target(m_target, m_target_info, m_error, &m_refusal, m_options))
        return false;
    if (direct()) {
        m_fd = m_target_info.fd;
        m_target_info.fd = -1;
        return true;
    }
    m_area = std::make_unique<StagingArea>(m_target_info.folder);
    if (!m_area->open()) {
        m_error = m_area->error();
        m_area.reset();
        return false;
    }
    m_fd = m_area->create(m_temp);
    if (m_fd < 0) {
        m_error = m_area->error();
        m_area.reset();
        return false;
    }
    if (replaces())
        take_over_attributes(m_fd, m_target_info.st);
    return true;
}

bool AtomicFile::write(const void* data, size_t len)
{
    if (m_fd < 0 || m_failed)
        return false;
    if (!write_all(m_fd, data, len))
        fail(errno);
    return !m_failed;
}

void AtomicFile::fail(int err)
{
    m_error = std::strerror(err);
    m_failed = true;
}

bool AtomicFile::commit(bool sync)
{
    if (m_fd < 0 || m_failed) {
        abandon();
        return false;
    }
    bool ok = direct() || !sync || ::fsync(m_fd) == 0;
    if (!ok)
        m_error = std::strerror(errno);
    if (::close(m_fd) != 0 && ok) {
        ok = false;
        m_error = std::strerror(errno);
    }
    m_fd = -1;
    if (ok && !direct()) {
        if (!m_area->replace(m_temp, m_target_info.path)) {
            ok = false;
            m_error = m_area->error();
        } else if (sync && !sync_folder(m_target_info.folder)) {
            // The new file is in place; only its name may not survive a power cut yet.
            ok = false;
            m_error = "could not flush the folder " + m_target_info.folder + ": " + std::strerror(errno);
        }
    }
    abandon();
    return ok;
}

void AtomicFile::abandon()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_area.reset(); // removes the staged file unless it was put in place
    m_temp.clear();
}

bool write_file_atomically(const std::string& path,
                           const void* data,
                           size_t len,
                           std::string* error,
                           const WriteTargetOptions& options,
                           TargetRefusal* refusal)
{
    AtomicFile f(path, options);
    bool ok = f.open() && f.write(data, len) && f.commit();
    if (!ok && error)
        *error = f.error();
    if (refusal)
        *refusal = ok ? TargetRefusal::None : f.refusal();
    return ok;
}

} // namespace common
