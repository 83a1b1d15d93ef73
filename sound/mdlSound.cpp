#include "mdlSound.h"

#include "MediaCommandTarget.h"
#include "ReplyNumber.h"

QString mdlSound::SoundSend(const QString &command)
{
    QString buffer(replyCapacity, QChar(0));
    m_target.sendString(command, buffer.data(), replyCapacity);
    buffer.remove(QChar(0));
    return buffer;
}

QString mdlSound::openCommand(const QString &path)
{
    return QStringLiteral("open \"") + path + QStringLiteral("\" alias med");
}

void mdlSound::SoundCloseAll()
{
    SoundSend(QStringLiteral("close all"));
}

void mdlSound::SoundOpen(const QString &path)
{
    SoundSend(openCommand(path));
    SoundSend(QStringLiteral("set med time format milliseconds"));
}

void mdlSound::SoundPlay()
{
    SoundSend(QStringLiteral("play med"));
}

std::int32_t mdlSound::SoundLength()
{
    return ReplyNumber::read(SoundSend(QStringLiteral("status med length")));
}

std::int32_t mdlSound::SoundPosition()
{
    return ReplyNumber::read(SoundSend(QStringLiteral("status med position")));
}
