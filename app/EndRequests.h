#pragma once

#include <QObject>

class QSocketNotifier;

// The requests to end that come as signals: SIGTERM (the system stopping, `kill`), SIGINT (Ctrl+C
// in a terminal) and SIGHUP (the terminal closed). Each is handed to the event loop as
// requested(), so that the program ends the way its close buttons end it, instead of dying where
// it stands. A signal handler may do almost nothing; it writes one byte to a pipe whose other end
// the event loop watches.
class EndRequests : public QObject
{
    Q_OBJECT

public:
    explicit EndRequests(QObject *parent = nullptr);
    ~EndRequests() override;

signals:
    void requested(int signalNumber);

private:
    static void onSignal(int signalNumber);
    void readRequests();

    int m_pipe[2] = {-1, -1};
    QSocketNotifier *m_notifier = nullptr;
};
