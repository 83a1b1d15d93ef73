#include "MidiSynth.h"

#include "AudioOutput.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fluidsynth.h>
#include <utility>

namespace {

void silenceFluidLog()
{
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
        fluid_set_log_function(level, nullptr, nullptr);
}

// A SoundFont 2 file is a RIFF file of form "sfbk". Other files are passed over before
// FluidSynth sees them, which would hand them to its DLS loader.
bool isSoundFont(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(12);
    return head.size() == 12 && head.startsWith("RIFF") && head.mid(8, 4) == "sfbk";
}

} // namespace

MidiSynth::MidiSynth(QStringList soundFontCandidates) : m_candidates(std::move(soundFontCandidates))
{}

MidiSynth::~MidiSynth()
{
    if (m_synth)
        delete_fluid_synth(m_synth);
    if (m_settings)
        delete_fluid_settings(m_settings);
}

QStringList MidiSynth::defaultCandidates()
{
    const QByteArray fromEnvironment = qgetenv("QX_SOUNDFONT_PATH");
    if (qEnvironmentVariableIsSet("QX_SOUNDFONT_PATH"))
        return QString::fromLocal8Bit(fromEnvironment).split(u':', Qt::SkipEmptyParts);
    return {QStringLiteral("/usr/share/sounds/sf2/default-GM.sf2"),
            QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2")};
}

QString MidiSynth::findSoundFont(const QStringList &candidates)
{
    for (const QString &candidate : candidates) {
        const QFileInfo info(candidate);
        if (info.isFile() && isSoundFont(candidate))
            return info.absoluteFilePath();
        if (info.isDir()) {
            const QFileInfoList inside = QDir(candidate).entryInfoList(
                {QStringLiteral("*.sf2")}, QDir::Files | QDir::Readable,
                QDir::Name | QDir::IgnoreCase);
            for (const QFileInfo &file : inside) {
                if (isSoundFont(file.absoluteFilePath()))
                    return file.absoluteFilePath();
            }
        }
    }
    return {};
}

_fluid_synth_t *MidiSynth::synth()
{
    if (m_tried)
        return m_synth;
    m_tried = true;
    const QString path = findSoundFont(m_candidates);
    if (path.isEmpty())
        return nullptr;
    silenceFluidLog();
    m_settings = new_fluid_settings();
    if (!m_settings)
        return nullptr;
    fluid_settings_setnum(m_settings, "synth.sample-rate", AudioOutput::rate);
    fluid_settings_setnum(m_settings, "synth.gain", 1.0);
    fluid_settings_setint(m_settings, "synth.cpu-cores", 1);
    m_synth = new_fluid_synth(m_settings);
    if (!m_synth)
        return nullptr;
    if (fluid_synth_sfload(m_synth, QFile::encodeName(path).constData(), 1) == FLUID_FAILED) {
        delete_fluid_synth(m_synth);
        m_synth = nullptr;
        return nullptr;
    }
    m_soundFontPath = path;
    return m_synth;
}
