// The kit's skinned dialog: moved by its top strip and nowhere else, closed by its close spot as a
// Cancel unless the dialog takes the spot itself, and cut to rounded corners.
#include "common/testing/qt_test_main.h"
#include "korvid/ui/skinned_dialog.h"

#include <QBitmap>
#include <QTest>

using namespace korvid;

namespace {

// A dialog that takes the close spot itself, as the DB Transfer dialog does for its Cancel.
class OwnCloseDialog : public CSkinnedDialog
{
public:
    OwnCloseDialog()
        : CSkinnedDialog(QStringLiteral("Own close"), QSize(300, 120))
    {}
    int closes = 0;

protected:
    void close_box_clicked() override { ++closes; }
};

void drag(QWidget* w, QPoint from, QPoint by)
{
    QTest::mousePress(w, Qt::LeftButton, {}, from);
    QTest::mouseMove(w, from + by);
    QTest::mouseRelease(w, Qt::LeftButton, {}, from + by);
}

} // namespace

class SkinnedDialogTest : public QObject
{
    Q_OBJECT
private slots:
    void the_top_strip_moves_the_dialog_and_nothing_else_does()
    {
        CSkinnedDialog dlg(QStringLiteral("Box"), QSize(490, 192));
        dlg.move(100, 100);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(dlg.size(), QSize(490, 192));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Box"));

        const QPoint start = dlg.pos();
        drag(&dlg, QPoint(200, 10), QPoint(25, 15));
        QCOMPARE(dlg.pos(), start + QPoint(25, 15));
        // Below the strip, and in the last 30 pixels of it, a press moves nothing.
        drag(&dlg, QPoint(200, 21), QPoint(40, 40));
        drag(&dlg, QPoint(490 - 30, 10), QPoint(40, 40));
        QCOMPARE(dlg.pos(), start + QPoint(25, 15));
        QVERIFY(dlg.isVisible());
    }

    void the_close_spot_cancels_unless_the_dialog_takes_it()
    {
        CSkinnedDialog plain(QStringLiteral("Plain"), QSize(300, 120));
        plain.show();
        QCOMPARE(plain.close_box(), QRect(300 - 25, 6, 16, 16));
        QTest::mouseClick(&plain, Qt::LeftButton, {}, plain.close_box().center());
        QCOMPARE(plain.result(), int(QDialog::Rejected));
        QVERIFY(!plain.isVisible());

        OwnCloseDialog own;
        own.show();
        QTest::mouseClick(&own, Qt::LeftButton, {}, own.close_box().center());
        QCOMPARE(own.closes, 1);
        QVERIFY(own.isVisible());
        // A right click on the spot is no click on it.
        QTest::mouseClick(&own, Qt::RightButton, {}, own.close_box().center());
        QCOMPARE(own.closes, 1);
    }

    void the_corners_are_cut_round()
    {
        CSkinnedDialog dlg(QStringLiteral("Round"), QSize(200, 100));
        const QRegion shape = dlg.mask();
        QVERIFY(!shape.contains(QPoint(0, 0)));
        QVERIFY(!shape.contains(QPoint(199, 99)));
        QVERIFY(shape.contains(QPoint(100, 0)));
        QVERIFY(shape.contains(QPoint(0, 50)));
    }
};

KD_QT_TEST_CLASS(SkinnedDialogTest)
#include "skinned_dialog_test.moc"
