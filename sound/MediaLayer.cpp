#include "MediaLayer.h"

#include "AudioOutput.h"
#include "MediaCommand.h"
#include "MidiDecoder.h"
#include "MidiSynth.h"
#include "Mp3Decoder.h"
#include "Playback.h"
#include "SoundFileKind.h"
#include "WavDecoder.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <utility>
#include <vector>

MediaLayer::MediaLayer() : MediaLayer(Options{MidiSynth::defaultCandidates()}) {}

MediaLayer::MediaLayer(Options options)
    : m_synth(std::make_unique<MidiSynth>(std::move(options.soundFontCandidates))),
      m_output(std::make_unique<AudioOutput>())
{}

MediaLayer::~MediaLayer()
{
    // The playback, and with it any MIDI player, goes before the synth it renders.
    m_output->exchange(nullptr);
}

QString MediaLayer::send(const QString &command)
{
    const std::optional<MediaCommand> parsed = MediaCommand::parse(command);
    if (!parsed)
        return {};
    return execute(*parsed).value_or(QString());
}

int MediaLayer::sendString(const QString &command, QChar *reply, int capacity)
{
    const std::optional<MediaCommand> parsed = MediaCommand::parse(command);
    if (!parsed)
        return UnknownCommand;
    const std::optional<QString> text = execute(*parsed);
    if (!text)
        return CommandFailed;
    if (text->size() >= capacity)
        return ReplyTooLong;
    std::copy(text->begin(), text->end(), reply);
    reply[text->size()] = QChar(0);
    return NoError;
}

QString MediaLayer::audioDriver() const
{
    return m_output->driverName();
}

std::int64_t MediaLayer::framesHandedOut() const
{
    const Playback *current = m_output->current();
    return current ? current->framesHandedOut() : 0;
}

void MediaLayer::setRepeat(bool on)
{
    m_repeat = on;
    if (!on && m_closePending)
        closeCurrent();
    if (Playback *current = m_output->current())
        current->setRepeat(on);
}

// A sound taken away while it plays fades out first instead of stopping mid-wave with a click.
// The device stays open for the sound that usually follows at once, and for the replay of one
// that ended just as the repeat switch went on; a sound that had already fallen silent (it
// ended, or never played) with repeat off leaves it closed until a sound opens again.
void MediaLayer::closeCurrent()
{
    m_closePending = false;
    m_currentPath.clear();
    const Playback *current = m_output->current();
    const bool followed = m_repeat || (current && !current->silent());
    m_output->fadeOutCurrent();
    m_output->exchange(nullptr);
    if (!followed)
        m_output->release();
}

std::optional<QString> MediaLayer::execute(const MediaCommand &command)
{
    // The replay of a sound that runs on into its next pass: "close all" leaves it playing, and
    // the open of the same file that follows takes it up where it is, instead of opening the
    // file and the decoders afresh and waiting for the device. Anything else closes it first.
    if (m_closePending) {
        if (command.verb == MediaCommand::Verb::Open && command.path == m_currentPath) {
            m_closePending = false;
            m_openProblem.clear();
            m_output->current()->notePassEnds();
            return QStringLiteral("1");
        }
        closeCurrent();
    }
    Playback *current = m_output->current();
    switch (command.verb) {
    case MediaCommand::Verb::CloseAll:
        if (current && m_repeat && current->passEndPending() && !current->ended())
            m_closePending = true;
        else
            closeCurrent();
        return QString();
    case MediaCommand::Verb::Open:
        if (current)
            return std::nullopt;
        if (!open(command.path)) {
            m_output->release();
            return std::nullopt;
        }
        return QStringLiteral("1");
    case MediaCommand::Verb::SetTimeFormatMilliseconds:
        if (!current)
            return std::nullopt;
        return QString();
    case MediaCommand::Verb::Play:
        if (!current)
            return std::nullopt;
        current->play();
        return QString();
    case MediaCommand::Verb::StatusLength:
        if (!current)
            return std::nullopt;
        return QString::number(current->lengthMs());
    case MediaCommand::Verb::StatusPosition:
        if (!current)
            return std::nullopt;
        m_output->reopenIfLost(); // asked for several times a second while a sound is watched
        return QString::number(current->positionMs());
    }
    return std::nullopt;
}

// Picks the decoder by the file's first bytes where they name one of the three formats, else by
// its extension, and falls back to the extension's decoder; a file renamed from one of the
// formats to another thus plays as what it holds. Opens it here on the caller's thread, and
// only then puts the result in place under the audio lock. A failure leaves its reason behind.
bool MediaLayer::open(const QString &path)
{
    m_openProblem.clear();
    const QFileInfo file(path);
    if (!file.exists()) {
        m_openProblem = QStringLiteral("файл не найден");
        return false;
    }
    QFile head(path);
    if (!file.isFile() || !head.open(QIODevice::ReadOnly)) {
        m_openProblem = QStringLiteral("файл не читается");
        return false;
    }
    const std::vector<SoundFileKind::Kind> kinds =
        SoundFileKind::toTry(path, head.read(SoundFileKind::headBytes));
    head.close();
    if (kinds.empty()) {
        m_openProblem = QStringLiteral("формат не поддерживается (WAV, MID, MP3)");
        return false;
    }
    std::unique_ptr<AudioDecoder> decoder;
    bool midi = false;
    for (const SoundFileKind::Kind kind : kinds) {
        switch (kind) {
        case SoundFileKind::Kind::Wav:
            decoder = WavDecoder::open(path);
            break;
        case SoundFileKind::Kind::Mp3:
            decoder = Mp3Decoder::open(path);
            break;
        case SoundFileKind::Kind::Midi:
            midi = true;
            decoder = MidiDecoder::open(path, *m_synth);
            break;
        }
        if (decoder)
            break;
    }
    if (!decoder) {
        if (midi && !m_synth->loaded() && MidiSynth::findSoundFont(m_synth->candidates()).isEmpty())
            m_openProblem = QStringLiteral("нет звукового банка MIDI (SoundFont): ") +
                            m_synth->candidates().join(QStringLiteral(", "));
        else
            m_openProblem = QStringLiteral("файл повреждён или не поддерживается");
        return false;
    }
    if (!m_output->open()) {
        m_openProblem = QStringLiteral("нет звукового устройства");
        return false;
    }
    std::unique_ptr<Playback> playback = Playback::create(std::move(decoder));
    if (!playback) {
        m_openProblem = QStringLiteral("файл повреждён или не поддерживается");
        return false;
    }
    playback->setRepeat(m_repeat);
    m_output->exchange(std::move(playback));
    m_currentPath = path;
    return true;
}
