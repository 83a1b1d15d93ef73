#pragma once

#include <QChar>
#include <QString>

// Whatever answers media command strings: the sound layer, or a stand-in in tests.
class MediaCommandTarget
{
public:
    enum Error
    {
        NoError = 0,
        UnknownCommand = 1,
        CommandFailed = 2,
        ReplyTooLong = 3,
    };

    virtual ~MediaCommandTarget() = default;

    // Runs one command. On success the reply and a terminating zero character are written to
    // `reply` (at most `capacity` characters in all) and 0 is returned; on failure, or when the
    // reply would not fit, `reply` is left untouched and a non-zero error code is returned.
    virtual int sendString(const QString &command, QChar *reply, int capacity) = 0;

    // The sound repeat switch. While it is on, the open sound, and any opened later, may go
    // straight on into its next pass at its end, so that the replay that follows ("close all",
    // then the same file opened and played again) carries on without a gap. Targets that cannot
    // do that ignore it.
    virtual void setRepeat(bool on) { (void)on; }

    // Why the last open command failed, in a few Russian words for the user; empty when it
    // worked or when the target cannot tell.
    virtual QString openProblem() const { return {}; }
};
