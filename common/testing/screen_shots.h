#pragma once
// What the screenshot programs share: waiting on the event loop until something shows (or a
// moment passes, for animations and the window manager), and saving a part of the screen.
// Programs, not tests: the waits here are for pictures, never for results.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QString>
#include <QThread>
#include <QWidget>
#include <cstdio>
#include <functional>

namespace common::testing {

// The folder the shots are written to (the program's first argument, or ".").
inline QString& shot_folder()
{
    static QString folder = QStringLiteral(".");
    return folder;
}

// Runs the event loop until `done` or `ms` have passed; false when it timed out.
inline bool wait_until(const std::function<bool()>& done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
    return true;
}

// Lets painting, animations and the window manager finish.
inline void settle(int ms = 300)
{
    wait_until([] { return false; }, ms);
}

// Saves `area` of the screen as NAME in the shot folder and says so; false when it failed.
inline bool shot(const char* name, QRect area)
{
    settle();
    QPixmap pm =
        QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    const QString file = shot_folder() + QLatin1Char('/') + QLatin1String(name);
    const bool ok = pm.save(file);
    std::printf("%s %s (%dx%d at %d,%d)\n", ok ? "wrote" : "FAILED", qPrintable(file), area.width(),
                area.height(), area.x(), area.y());
    return ok;
}

// A window with its frame and a margin around it.
inline QRect around(const QWidget* w, int margin = 0)
{
    return w->frameGeometry().adjusted(-margin, -margin, margin, margin);
}

// The same once the window manager has put its frame around the window.
inline QRect decorated(QWidget* w, int margin)
{
    wait_until([w] { return w->frameGeometry() != w->geometry(); }, 2000);
    return around(w, margin);
}

} // namespace common::testing
