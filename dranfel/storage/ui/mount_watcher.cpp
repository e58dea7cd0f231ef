#include "dranfel/storage/ui/mount_watcher.h"

#include <QSocketNotifier>
#include <fcntl.h>
#include <unistd.h>

namespace dranfel {

CMountWatcher::CMountWatcher(QObject* parent)
    : QObject(parent)
{
    m_fd = ::open("/proc/self/mounts", O_RDONLY | O_CLOEXEC);
    if (m_fd < 0)
        return;
    read_all();
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Exception, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        // Reading the table to its end is what clears the mark until the next change.
        read_all();
        emit mounts_changed();
    });
}

CMountWatcher::~CMountWatcher()
{
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
}

void CMountWatcher::read_all()
{
    char buf[4096];
    ::lseek(m_fd, 0, SEEK_SET);
    while (::read(m_fd, buf, sizeof buf) > 0) {
    }
}

} // namespace dranfel
