// The percentage bar's drawing rules.
#include "common/testing/qt_test_main.h"
#include "korvid/ui/percent_progress.h"

#include <QTest>

using namespace korvid;

namespace {

class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

bool near(QRgb p, QRgb c, int tolerance)
{
    return std::abs(qRed(p) - qRed(c)) <= tolerance && std::abs(qGreen(p) - qGreen(c)) <= tolerance &&
           std::abs(qBlue(p) - qBlue(c)) <= tolerance;
}

// Colours of the pixels of a grabbed bar. Text is antialiased, so its pixels count when they come
// close to a text colour; the fill's lightest shade stays further from white than the tolerance.
struct Census
{
    int rest = 0, filled_text = 0, rest_text = 0, other = 0;
};

Census census(CPercentProgress& bar)
{
    QImage img = bar.grab().toImage().convertToFormat(QImage::Format_RGB32);
    Census c;
    const QRgb rest = CPercentProgress::rest_colour().rgb();
    const QRgb ft = bar.filled_text_colour().rgb();
    const QRgb rt = bar.rest_text_colour().rgb();
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y) | 0xFF000000u;
            if (p == rest)
                ++c.rest;
            else if (near(p, ft, 40))
                ++c.filled_text;
            else if (near(p, rt, 16))
                ++c.rest_text;
            else
                ++c.other;
        }
    return c;
}

} // namespace

class PercentProgressTest : public QObject
{
    Q_OBJECT
private slots:
    void lower_bound_draws_no_fill_and_no_text()
    {
        CPercentProgress bar;
        bar.resize(380, 24);
        bar.SetRange(0, 100);
        Census c = census(bar);
        QCOMPARE(c.rest, 380 * 24);
    }

    void upper_bound_is_all_fill_with_text_in_the_filled_colour_only()
    {
        CPercentProgress bar;
        bar.resize(380, 24);
        bar.show();
        bar.SetRange(0, 100);
        bar.SetPos(100);
        QCOMPARE(bar.fill_width(), 380);
        Census c = census(bar);
        QCOMPARE(c.rest, 0);
        QCOMPARE(c.rest_text, 0);
        QVERIFY2(c.filled_text > 20, "the percentage is drawn over the fill");
    }

    void half_way_splits_fill_and_rest_and_draws_both_text_colours()
    {
        CPercentProgress bar;
        bar.resize(200, 24);
        bar.show();
        bar.SetRange(0, 100);
        bar.SetPos(50);
        QCOMPARE(bar.fill_width(), 100);
        Census c = census(bar);
        QVERIFY(c.rest > 90 * 24 && c.rest < 100 * 24);
        QVERIFY(c.filled_text > 0);
        QVERIFY(c.rest_text > 0);
    }

    void no_repaint_when_the_fill_width_stays()
    {
        CPercentProgress bar;
        bar.resize(50, 20); // two percent per pixel
        bar.SetRange(0, 100);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        PaintCounter counter;
        bar.installEventFilter(&counter);

        QCOMPARE(bar.SetPos(10), 0); // 5 pixels
        QCOMPARE(counter.paints, 1);
        QCOMPARE(bar.SetPos(11), 10); // still 5 pixels: no repaint although 10% became 11%
        QCOMPARE(counter.paints, 1);
        QCOMPARE(bar.SetPos(11), 11); // same position: returned as is
        QCOMPARE(bar.SetPos(12), 11); // 6 pixels
        QCOMPARE(counter.paints, 2);
        QCOMPARE(bar.fill_width(), 6);
    }

    void text_replaces_the_percentage_and_steps_move_the_position()
    {
        CPercentProgress bar;
        bar.resize(100, 20);
        bar.SetRange(0, 200);
        bar.SetStep(20);
        bar.StepIt();
        bar.OffsetPos(30);
        QCOMPARE(bar.GetPos(), 50);
        QCOMPARE(bar.fill_width(), 25);
        bar.SetText(QStringLiteral("Busy"));
        QCOMPARE(bar.GetText(), QStringLiteral("Busy"));
        // an empty range draws nothing and divides by nothing
        bar.SetRange(5, 5);
        bar.SetPos(7);
        QCOMPARE(census(bar).rest, 100 * 20);
    }
};

KD_QT_TEST_CLASS(PercentProgressTest)
#include "percent_progress_test.moc"
