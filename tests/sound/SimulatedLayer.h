#pragma once

#include "MediaCommandTarget.h"

#include <QHash>
#include <QString>
#include <QStringList>

// A media layer stand-in on a clock the test moves: files have fixed lengths, and a playing
// sound's position is the time since play, up to its length. Paths it does not know do not
// open, and every command on a closed alias fails, as on the real layer.
class SimulatedLayer : public MediaCommandTarget
{
public:
    QHash<QString, int> lengths; // path -> length in milliseconds
    QStringList log;             // every command received, in order
    int nowMs = 0;
    // Moves the clock on after each position read, so that the two reads of a tick differ.
    int msPerPositionRead = 0;
    // When set, every length or position reply is this text instead.
    QString lengthReply;
    QString positionReply;
    // Every command throws, as a layer with an internal fault might.
    bool throwing = false;

    // The repeat switch as the layer was last told it.
    bool repeat = false;

    int sendString(const QString &command, QChar *reply, int capacity) override;
    void setRepeat(bool on) override { repeat = on; }

    bool isOpen() const { return !m_open.isEmpty(); }
    QString openPath() const { return m_open; }
    bool playing() const { return isOpen() && m_playingSince >= 0; }

private:
    QString m_open;
    int m_playingSince = -1;
};
