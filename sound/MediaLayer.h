#pragma once

#include "MediaCommandTarget.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>

class AudioOutput;
class MediaCommand;
class MidiSynth;

// The media-command layer: plays one sound file at a time under the alias "med", driven by
// command strings.
//
//   close all                          closes the open sound, if any            reply ""
//   open "<path>" alias med            opens a .wav, .mid or .mp3 file (the     reply "1"
//                                      extension in any letter case) as what
//                                      its first bytes say it holds
//   set med time format milliseconds   (times are always milliseconds)          reply ""
//   play med                           starts playing and returns at once       reply ""
//   status med length                  length in milliseconds                   reply digits
//   status med position                position in milliseconds                 reply digits
//
// With the repeat switch on (setRepeat), a sound runs on into its next pass at its end, and
// reports its position as its length until the replay comes: "close all" then leaves it
// playing, and an open of the same path right after takes it up again (reply "1", position
// within the new pass). Any other command after such a "close all" closes it first.
//
// Keywords may be in any letter case and separated by several blanks. Any other text, and any
// command that fails (nothing open, alias already open, a file that does not open), answers
// with an error and empty text. Paths are Unicode; they reach the file system in the locale's
// encoding, so names in any language open.
class MediaLayer : public MediaCommandTarget
{
public:
    struct Options
    {
        // Where to look for the General MIDI soundfont; see MidiSynth::defaultCandidates().
        QStringList soundFontCandidates;
    };

    MediaLayer();
    explicit MediaLayer(Options options);
    ~MediaLayer() override;

    // Runs one command and returns its reply; empty text when it fails.
    QString send(const QString &command);
    int sendString(const QString &command, QChar *reply, int capacity) override;
    QString openProblem() const override { return m_openProblem; }
    void setRepeat(bool on) override;

    // For diagnostics and benchmarks.
    QString audioDriver() const;
    MidiSynth &midiSynth() { return *m_synth; }
    // Frames of the open sound handed to the audio device so far; 0 with nothing open.
    std::int64_t framesHandedOut() const;

private:
    std::optional<QString> execute(const MediaCommand &command);
    bool open(const QString &path);
    void closeCurrent();

    std::unique_ptr<MidiSynth> m_synth;
    std::unique_ptr<AudioOutput> m_output;
    QString m_openProblem;
    QString m_currentPath;
    bool m_repeat = false;
    // "close all" found the sound already in its next pass; it plays on until the next command.
    bool m_closePending = false;
};
