// The port dialog bound to its model, and the filter conversion of the Qt prompts its file dialogs
// share.
#include "common/qt/qt_prompts.h"
#include "common/testing/qt_test_main.h"
#include "korvid/link/ui/select_port_dlg.h"

#include <QComboBox>
#include <QLabel>
#include <QTest>

using namespace korvid;

class SelectPortDlgTest : public QObject
{
    Q_OBJECT
private slots:
    void port_dialog_jumps_back_when_a_port_does_not_open()
    {
        std::vector<int> tried;
        SelectPortModel model(
            3,
            [&](int n) {
                tried.push_back(n);
                return n != 5;
            },
            [](int n) { return n == 1 ? std::string("/dev/pts/7") : ""; });
        CSelectPortDlg dlg(std::move(model));
        QCOMPARE(dlg.list()->count(), 20);
        QCOMPARE(dlg.list()->currentIndex(), 2);
        QCOMPARE(dlg.list()->itemText(0), QStringLiteral("COM1  /dev/pts/7"));
        QCOMPARE(dlg.list()->itemText(19), QStringLiteral("COM20"));
        QVERIFY(dlg.port_label()->text().isEmpty());

        dlg.list()->setCurrentIndex(4);
        emit dlg.list()->activated(4); // COM5 does not open
        QCOMPARE(dlg.list()->currentIndex(), 2);
        dlg.list()->setCurrentIndex(5);
        emit dlg.list()->activated(5);
        QCOMPARE(dlg.list()->currentIndex(), 5);
        QCOMPARE(dlg.port_label()->text(), QStringLiteral("COM6"));
        QCOMPARE(tried, (std::vector<int>{5, 6}));

        int port = 3;
        dlg.reject();
        dlg.finish(port);
        QCOMPARE(port, 3);
        dlg.accept();
        dlg.finish(port);
        QCOMPARE(port, 6);
    }

    void classic_filters_become_qt_name_filters()
    {
        QCOMPARE(common::qt_name_filters("IRD Files (*.ird)|*.ird|All Files (*.*)|*.*||"),
                 (QStringList{QStringLiteral("IRD Files (*.ird)"), QStringLiteral("All Files (*)")}));
        QCOMPARE(common::qt_name_filters(
                     "CODE Files (*.mem)|*.mem|COMP Files (*.comp)|*.comp|All Files (*.*)|*.*||"),
                 (QStringList{QStringLiteral("CODE Files (*.mem)"), QStringLiteral("COMP Files (*.comp)"),
                              QStringLiteral("All Files (*)")}));
        // the name's own parentheses do not decide what is listed; the pattern does
        QCOMPARE(common::qt_name_filters("All Files (*.txt)|*.*||"),
                 QStringList{QStringLiteral("All Files (*)")});
        QCOMPARE(common::qt_name_filters("Code|*.mem;*.comp||"),
                 QStringList{QStringLiteral("Code (*.mem *.comp)")});
        QCOMPARE(common::qt_name_filters(""), QStringList{QStringLiteral("All Files (*)")});
    }
};

KD_QT_TEST_CLASS(SelectPortDlgTest)
#include "select_port_dlg_test.moc"
