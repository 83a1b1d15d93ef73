#include "SoundFileKind.h"

#include <cstdint>

std::optional<SoundFileKind::Kind> SoundFileKind::byName(const QString &path)
{
    if (path.endsWith(u".wav", Qt::CaseInsensitive))
        return Kind::Wav;
    if (path.endsWith(u".mp3", Qt::CaseInsensitive))
        return Kind::Mp3;
    if (path.endsWith(u".mid", Qt::CaseInsensitive))
        return Kind::Midi;
    return std::nullopt;
}

// RIFF (or big-endian RIFX, or RF64) of form WAVE; a standard MIDI file, bare or wrapped in
// RIFF form RMID; an MP3 with an ID3v2 tag or beginning with an MPEG audio frame header (sync,
// a layer, a bit rate and a sample rate that are not the reserved values).
std::optional<SoundFileKind::Kind> SoundFileKind::byContent(const QByteArray &head)
{
    const auto at = [&head](int i) { return i < head.size() ? std::uint8_t(head[i]) : 0u; };
    const QByteArray form = head.mid(8, 4);
    if ((head.startsWith("RIFF") || head.startsWith("RIFX") || head.startsWith("RF64")) &&
        form == "WAVE")
        return Kind::Wav;
    if (head.startsWith("MThd") || (head.startsWith("RIFF") && form == "RMID"))
        return Kind::Midi;
    if (head.startsWith("ID3"))
        return Kind::Mp3;
    if (at(0) == 0xff && (at(1) & 0xe0) == 0xe0 && (at(1) & 0x06) != 0 && (at(2) & 0xf0) != 0xf0 &&
        (at(2) & 0x0c) != 0x0c)
        return Kind::Mp3;
    return std::nullopt;
}

std::vector<SoundFileKind::Kind> SoundFileKind::toTry(const QString &path, const QByteArray &head)
{
    const std::optional<Kind> named = byName(path);
    if (!named)
        return {};
    const std::optional<Kind> held = byContent(head);
    if (held && *held != *named)
        return {*held, *named};
    return {*named};
}
