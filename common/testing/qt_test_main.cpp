// The main of a program of Qt test classes:
//   prog [Class] [QTest arguments...]
// With a class name it runs that class with the rest of the arguments. Without one (the first
// argument missing or an option) it runs every class in turn, each in a process of its own, and
// fails when any class failed. An unknown name fails before anything runs and lists the names
// there are.
#include "common/testing/qt_test_main.h"

#include <QApplication>
#include <QProcess>
#include <QStringList>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <cstring>

namespace common::testing {

std::vector<QtTestClass>& qt_test_classes()
{
    // A function's static, so that registrations from any unit find it made, whatever the order
    // in which the units' statics are initialised.
    static std::vector<QtTestClass> classes;
    return classes;
}

} // namespace common::testing

namespace {

using common::testing::QtTestClass;

// As QTEST_MAIN runs a widget test. The application takes its own options (-platform, say) out of
// argv; QTest reads the rest.
int run_class(const QtTestClass& c, int argc, char** argv)
{
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    QTest::setMainSourcePath(__FILE__, QT_TESTCASE_BUILDDIR);
    std::unique_ptr<QObject> test = c.make();
    return QTest::qExec(test.get(), argc, argv);
}

// Each class was written to have the process to itself (the application's settings, windows left
// behind, QTest's own state), and QTest ends the process for -functions or -help: a class per
// process keeps both as they were.
int run_each_apart(const std::vector<QtTestClass>& classes, int argc, char** argv)
{
    QStringList rest;
    for (int i = 1; i < argc; ++i)
        rest << QString::fromLocal8Bit(argv[i]);
    int failed = 0;
    for (const QtTestClass& c : classes) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QString::fromLocal8Bit(argv[0]), QStringList{QString::fromLatin1(c.name)} + rest);
        if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit ||
            child.exitCode() != 0) {
            std::fprintf(stderr, "%s: %s failed\n", argv[0], c.name);
            ++failed;
        }
    }
    return std::min(failed, 127);
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<QtTestClass> classes = common::testing::qt_test_classes();
    std::sort(classes.begin(), classes.end(),
              [](const QtTestClass& a, const QtTestClass& b) { return std::strcmp(a.name, b.name) < 0; });

    if (argc < 2 || argv[1][0] == '-')
        return run_each_apart(classes, argc, argv);

    const char* wanted = argv[1];
    auto it = std::find_if(classes.begin(), classes.end(),
                           [wanted](const QtTestClass& c) { return std::strcmp(c.name, wanted) == 0; });
    if (it == classes.end()) {
        std::fprintf(stderr, "%s: no test class \"%s\"; the classes are:", argv[0], wanted);
        for (const QtTestClass& c : classes)
            std::fprintf(stderr, " %s", c.name);
        std::fprintf(stderr, "\n");
        return 2;
    }
    // QTest reads its arguments after the program's name: the class name is not one of them.
    argv[1] = argv[0];
    return run_class(*it, argc - 1, argv + 1);
}
