// dranfel [TOP_FOLDER [BOTTOM_FOLDER]]: the storage manager's window, with the two halves on the
// folders named, or on the folders of the last run.
#include "common/qt/qt_prompts.h"
#include "dranfel/converter/ui/player_link.h"
#include "dranfel/converter/ui/ts2pes_dlg.h"
#include "dranfel/storage/frame_rules.h"
#include "dranfel/storage/ui/main_frame.h"

#include <QApplication>
#include <QFileInfo>
#include <QSettings>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QString::fromLatin1(dranfel::SETTINGS_ORGANISATION));
    QApplication::setApplicationName(QString::fromLatin1(dranfel::SETTINGS_APPLICATION));
    QSettings settings;
    common::QtPrompts prompts(nullptr, QString::fromLatin1(dranfel::APP_TITLE));
    dranfel::CMainFrame frame(prompts, &settings);
    prompts.set_parent(&frame);
    frame.set_converter([&prompts](QWidget* parent, const QString& source, const QString& target) {
        dranfel::CTs2PesDlg dlg(parent, source, target);
        dlg.set_prompts(&prompts);
        dlg.exec();
    });
    frame.set_player([&prompts](QWidget* parent, const QString& source) {
        dranfel::play_in_player(parent, prompts, source);
    });
    const QStringList args = QApplication::arguments();
    frame.set_own_arguments(args);
    // Folders as a shell gives them, relative to where Dranfel was started.
    auto folder_argument = [&](int i) {
        return args.size() > i ? QFileInfo(args.at(i)).absoluteFilePath().toLocal8Bit().toStdString()
                               : std::string();
    };
    frame.select_folders(folder_argument(1), folder_argument(2));
    frame.show();
    return app.exec();
}
