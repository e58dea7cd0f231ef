#pragma once
// One program for the Qt test classes of a folder: each test file registers its class with
// KD_QT_TEST_CLASS instead of QTEST_MAIN, and the program's main (qt_test_main.cpp) runs the class
// named by its first argument, or every class in turn. Each class then costs its compile and no
// moc step, unit or link of its own.
#include <QObject>
#include <memory>
#include <vector>

namespace common::testing {

struct QtTestClass
{
    const char* name;
    std::unique_ptr<QObject> (*make)();
};

// Every class the program's files registered, in no particular order.
std::vector<QtTestClass>& qt_test_classes();

struct QtTestRegistration
{
    QtTestRegistration(const char* name, std::unique_ptr<QObject> (*make)())
    {
        qt_test_classes().push_back({name, make});
    }
};

} // namespace common::testing

// The class is made only when it runs, after the QApplication, as QTEST_MAIN makes it.
#define KD_QT_TEST_CLASS(Class)                                                                              \
    static const ::common::testing::QtTestRegistration kd_qt_test_registration_##Class(                      \
        #Class, []() -> std::unique_ptr<QObject> { return std::make_unique<Class>(); });
