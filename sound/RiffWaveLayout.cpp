#include "RiffWaveLayout.h"

#include <QIODevice>
#include <QtEndian>
#include <algorithm>

namespace {

std::uint32_t le32(const QByteArray &b, int at)
{
    return qFromLittleEndian<quint32>(b.constData() + at);
}

void appendLe32(QByteArray &b, std::uint32_t v)
{
    const quint32 stored = qToLittleEndian(quint32(v));
    b.append(reinterpret_cast<const char *>(&stored), 4);
}

// Whether a well-formed chunk header starts at `at`: an identifier of four printable characters
// and a size that fits in the file. A data chunk of size 0 followed by one is truly empty.
bool chunkFollows(QIODevice &file, std::int64_t at, std::int64_t fileSize)
{
    if (!file.seek(at))
        return false;
    const QByteArray header = file.read(8);
    if (header.size() < 8)
        return false;
    for (int i = 0; i < 4; ++i)
        if (header[i] < 0x20 || header[i] > 0x7e)
            return false;
    return at + 8 + std::int64_t(le32(header, 4)) <= fileSize;
}

} // namespace

// Walks the chunk headers from the start, skipping each body. A data chunk of size 0 runs to the
// end of the file, so the walk ends there; after a data chunk of a true size it goes on, to find
// a format chunk that follows the sound.
std::optional<RiffWaveLayout> RiffWaveLayout::read(QIODevice &file)
{
    if (!file.seek(0))
        return std::nullopt;
    const QByteArray head = file.read(12);
    if (head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WAVE")
        return std::nullopt;
    const std::int64_t fileSize = file.size();
    RiffWaveLayout layout;
    for (int chunks = 0; chunks < 256; ++chunks) {
        const std::int64_t at = file.pos();
        const QByteArray header = file.read(8);
        if (header.size() < 8)
            break;
        const std::int64_t size = le32(header, 4);
        const std::int64_t body = at + 8;
        if (header.startsWith("fmt ") && layout.format.isEmpty()) {
            if (size < 16 || size > maxFormatBytes)
                return std::nullopt;
            layout.format = file.read(size);
            if (layout.format.size() != size)
                return std::nullopt;
            if (layout.dataOffset >= 0)
                layout.needsRepair = true;
        } else if (header.startsWith("fact") && size >= 4) {
            const QByteArray count = file.read(4);
            if (count.size() == 4)
                layout.factSamples = le32(count, 0);
        } else if (header.startsWith("data") && layout.dataOffset < 0) {
            layout.dataOffset = body;
            if (size == 0 && !chunkFollows(file, body, fileSize)) {
                layout.dataBytes = fileSize - body;
                layout.needsRepair = layout.dataBytes > 0;
                break;
            }
            layout.dataBytes = std::min(size, fileSize - body);
        }
        if (!file.seek(body + size + (size & 1)))
            break;
    }
    if (layout.dataOffset < 0)
        return std::nullopt;
    return layout;
}

std::int64_t RiffWaveLayout::repairedDataBytes() const
{
    const std::int64_t formatChunk = 8 + format.size() + (format.size() & 1);
    return std::clamp<std::int64_t>(dataBytes, 0, 0xffffffffLL - 4 - formatChunk - 8);
}

QByteArray RiffWaveLayout::repairedHeader() const
{
    if (format.isEmpty() || dataBytes <= 0)
        return {};
    const std::int64_t formatChunk = 8 + format.size() + (format.size() & 1);
    const auto data = std::uint32_t(repairedDataBytes());
    QByteArray header("RIFF");
    appendLe32(header, std::uint32_t(4 + formatChunk + 8 + data));
    header += "WAVEfmt ";
    appendLe32(header, std::uint32_t(format.size()));
    header += format;
    if (format.size() & 1)
        header += '\0';
    header += "data";
    appendLe32(header, data);
    return header;
}
