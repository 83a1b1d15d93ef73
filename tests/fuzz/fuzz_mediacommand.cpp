// The media-command layer: any text through the parser and through MediaLayer::send on SDL's
// dummy audio driver, the layer closed again after each input.
#include "MediaCommand.h"
#include "MediaLayer.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static MediaLayer layer;
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<MediaCommand> command = MediaCommand::parse(text);
    if (command && command->verb == MediaCommand::Verb::Open && command->path.isEmpty())
        std::abort();
    (void)layer.send(text);
    QChar reply[8];
    (void)layer.sendString(text, reply, 8);
    (void)layer.send(QStringLiteral("close all"));
    return 0;
}
