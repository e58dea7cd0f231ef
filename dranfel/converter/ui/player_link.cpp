#include "dranfel/converter/ui/player_link.h"

#include "common/prompts.h"
#include "dranfel/converter/player.h"
#include "dranfel/converter/run_summary.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>
#include <sys/wait.h>
#include <system_error>
#include <thread>

namespace dranfel {

void play_in_player(QWidget* parent, common::Prompts& prompts, const QString& source)
{
    PlayerChoice choice;
    std::string message;
    if (!find_player({}, choice, message)) {
        prompts.info(message);
        return;
    }
    QPointer<QWidget> window(parent);
    auto play = [window, &prompts, choice, path = source.toStdString()] {
        ConversionObserver quiet;
        std::atomic<bool> never{false};
        pid_t player = -1;
        RunReport report = play_recording(path, choice, quiet, never, player);
        if (report.status != RunStatus::Finished && report.status != RunStatus::Canceled) {
            std::string text = final_message(report);
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [window, &prompts, text] {
                    if (window)
                        prompts.info(text);
                },
                Qt::QueuedConnection);
        }
        if (player > 0)
            ::waitpid(player, nullptr, 0);
    };
    try {
        std::thread(std::move(play)).detach();
    } catch (const std::system_error&) {
        prompts.info("Convert failed\n\nNo worker thread could be started.");
    }
}

} // namespace dranfel
