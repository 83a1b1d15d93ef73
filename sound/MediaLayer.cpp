#include "MediaLayer.h"

#include "AudioOutput.h"
#include "MediaCommand.h"
#include "MidiDecoder.h"
#include "MidiSynth.h"
#include "Mp3Decoder.h"
#include "Playback.h"
#include "WavDecoder.h"

#include <algorithm>
#include <utility>

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

std::optional<QString> MediaLayer::execute(const MediaCommand &command)
{
    Playback *current = m_output->current();
    switch (command.verb) {
    case MediaCommand::Verb::CloseAll:
        m_output->exchange(nullptr);
        return QString();
    case MediaCommand::Verb::Open:
        if (current || !open(command.path))
            return std::nullopt;
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
        return QString::number(current->positionMs());
    }
    return std::nullopt;
}

// Picks the decoder by the file's extension, opens it here on the caller's thread, and only
// then puts the result in place under the audio lock.
bool MediaLayer::open(const QString &path)
{
    std::unique_ptr<AudioDecoder> decoder;
    if (path.endsWith(u".wav", Qt::CaseInsensitive))
        decoder = WavDecoder::open(path);
    else if (path.endsWith(u".mp3", Qt::CaseInsensitive))
        decoder = Mp3Decoder::open(path);
    else if (path.endsWith(u".mid", Qt::CaseInsensitive))
        decoder = MidiDecoder::open(path, *m_synth);
    if (!decoder || !m_output->open())
        return false;
    std::unique_ptr<Playback> playback = Playback::create(std::move(decoder));
    if (!playback)
        return false;
    m_output->exchange(std::move(playback));
    return true;
}
