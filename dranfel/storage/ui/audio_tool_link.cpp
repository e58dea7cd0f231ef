#include "dranfel/storage/ui/audio_tool_link.h"

#include "dranfel/storage/audio_tool.h"

#include <QLocalSocket>
#include <QProcess>
#include <QStandardPaths>

namespace dranfel {

bool CAudioToolLink::send(const char* request)
{
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(audio_tool_socket_path()));
    if (!socket.waitForConnected(500))
        return false;
    socket.write(request);
    socket.waitForBytesWritten(500);
    socket.disconnectFromServer();
    return true;
}

bool CAudioToolLink::raise_or_start(const QStringList& arguments)
{
    if (send(AUDIO_TOOL_RAISE))
        return true;
    const QString program = QStandardPaths::findExecutable(QString::fromLatin1(AUDIO_TOOL_PROGRAM));
    if (program.isEmpty())
        return false;
    return QProcess::startDetached(program, arguments);
}

void CAudioToolLink::minimise()
{
    send(AUDIO_TOOL_MINIMISE);
}

} // namespace dranfel
