#pragma once

#include <QString>
#include <cstdint>

class MediaCommandTarget;

// The program's sound operations: each is one or two media command strings under the alias
// "med", plus reading a number from the reply. Keeps no state beyond the target it talks to.
//
// Errors: no operation reports a failed command; a failed command reads as empty text, and an
// empty reply reads as 0. The one error that leaves SoundLength and SoundPosition is a reply
// number outside the signed 32-bit range, thrown as SoundOverflowError (an
// std::overflow_error); the caller decides what to do with it.
class mdlSound
{
public:
    // Capacity of the reply buffer, in characters, terminating zero included.
    static constexpr int replyCapacity = 255;

    explicit mdlSound(MediaCommandTarget &target) : m_target(target) {}

    // Sends `command` with a fresh buffer of 255 zero characters and returns the buffer with
    // every zero character removed (blanks are kept).
    QString SoundSend(const QString &command);

    void SoundCloseAll();
    // The path goes into the command verbatim, between double quotes.
    void SoundOpen(const QString &path);
    void SoundPlay();
    std::int32_t SoundLength();
    std::int32_t SoundPosition();

    static QString openCommand(const QString &path);

private:
    MediaCommandTarget &m_target;
};
