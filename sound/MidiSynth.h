#pragma once

#include <QString>
#include <QStringList>

struct _fluid_hashtable_t;
struct _fluid_synth_t;

// The FluidSynth synthesizer with its General MIDI soundfont, rendering float stereo at the
// output rate. The soundfont is looked for and loaded on first use and then kept; when none is
// found the synth stays unavailable and MIDI files do not open.
class MidiSynth
{
public:
    // Candidates tried in order: files, or folders searched for *.sf2 files in name order; only
    // files that start as SoundFont 2 files count.
    explicit MidiSynth(QStringList soundFontCandidates);
    ~MidiSynth();
    MidiSynth(const MidiSynth &) = delete;
    MidiSynth &operator=(const MidiSynth &) = delete;

    // The candidates from QX_SOUNDFONT_PATH (colon-separated) when that is set, else the
    // system's General MIDI soundfont and then TimGM6mb.
    static QStringList defaultCandidates();
    static QString findSoundFont(const QStringList &candidates);

    // Loads the soundfont the first time; null when there is none that loads.
    _fluid_synth_t *synth();
    QString soundFontPath() const { return m_soundFontPath; }
    const QStringList &candidates() const { return m_candidates; }
    bool loaded() const { return m_synth != nullptr; }

private:
    QStringList m_candidates;
    bool m_tried = false;
    _fluid_hashtable_t *m_settings = nullptr;
    _fluid_synth_t *m_synth = nullptr;
    QString m_soundFontPath;
};
