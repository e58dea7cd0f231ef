#pragma once
// Device arrival and removal: the kernel marks /proc/self/mounts with POLLPRI when a file system
// is mounted or unmounted; a QSocketNotifier of the Exception kind sees that mark in the event loop.
#include <QObject>

class QSocketNotifier;

namespace dranfel {

class CMountWatcher : public QObject
{
    Q_OBJECT
public:
    explicit CMountWatcher(QObject* parent = nullptr);
    ~CMountWatcher() override;

signals:
    void mounts_changed();

private:
    void read_all();

    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace dranfel
