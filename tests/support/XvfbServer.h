#pragma once

#include <QPoint>
#include <QProcess>
#include <QSize>
#include <QString>

// How long an end-to-end test waits for something on its server before it gives up: long, since
// it is a wait and not a limit on the program, and the machine may be busy. A QTRY_ wait that
// gives up goes on for twice as long to report when the condition came true, and all of that
// must end well within the five minutes QtTest gives a test function by default.
inline constexpr int e2eWaitMs = 60000;

// A private X server for one test: started on a free display of its own choosing, stopped (that
// exact process) when the object goes.
class XvfbServer
{
public:
    explicit XvfbServer(QSize screen = {1280, 1024});
    ~XvfbServer();
    XvfbServer(const XvfbServer &) = delete;
    XvfbServer &operator=(const XvfbServer &) = delete;

    bool isRunning() const { return !m_display.isEmpty(); }
    // ":N", or empty when the server did not start.
    QString display() const { return m_display; }
    QString errorText() const { return m_error; }
    // The environment of a program that should run on this server.
    QProcessEnvironment environment() const;
    // Starts the real program on this server, its output forwarded to the test's, with `extra`
    // added to its environment; false when it does not start.
    bool startProgram(QProcess &program, const QProcessEnvironment &extra = {}) const;
    // Runs xdotool with `arguments` on this server; false when it fails or is not installed.
    // Its errors go to the test's output.
    bool xdotool(const QStringList &arguments) const;
    static bool hasXdotool();
    // xdotool's arguments that move the pointer to `p`.
    static QStringList mouseMove(QPoint p);

private:
    QProcess m_process;
    QString m_display;
    QString m_error;
};
