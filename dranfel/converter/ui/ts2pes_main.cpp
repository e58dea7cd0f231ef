// dranfel-ts2pes [SOURCE [TARGET]]: the converter dialog on its own, for a recording outside the
// storage manager. Without TARGET the target is SOURCE with the extension ".mpg".
#include "dranfel/converter/conversion_run.h"
#include "dranfel/converter/ui/ts2pes_dlg.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dranfel"));
    QStringList args = QApplication::arguments().mid(1);
    QString source = args.value(0);
    QString target = args.value(1);
    if (!source.isEmpty() && target.isEmpty())
        target = QString::fromStdString(dranfel::default_target(source.toStdString()));
    dranfel::CTs2PesDlg dlg(nullptr, source, target);
    dlg.show();
    dlg.exec();
    return 0;
}
