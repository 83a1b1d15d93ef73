#include "SimulatedLayer.h"

#include <algorithm>
#include <stdexcept>

int SimulatedLayer::sendString(const QString &command, QChar *reply, int capacity)
{
    log << command;
    if (throwing)
        throw std::runtime_error("simulated layer fault");
    QString text;
    const QString openHead = QStringLiteral("open \"");
    const QString openTail = QStringLiteral("\" alias med");
    if (command == u"close all") {
        m_open.clear();
    } else if (command.startsWith(openHead) && command.endsWith(openTail)) {
        const QString path =
            command.mid(openHead.size(), command.size() - openHead.size() - openTail.size());
        if (!m_open.isEmpty() || !lengths.contains(path))
            return 1;
        m_open = path;
        m_playingSince = -1;
        text = QStringLiteral("1");
    } else if (m_open.isEmpty()) {
        return 1;
    } else if (command == u"set med time format milliseconds") {
    } else if (command == u"play med") {
        if (m_playingSince < 0)
            m_playingSince = nowMs;
    } else if (command == u"status med length") {
        text = lengthReply.isEmpty() ? QString::number(lengths[m_open]) : lengthReply;
    } else if (command == u"status med position") {
        const int p = m_playingSince < 0 ? 0 : nowMs - m_playingSince;
        text =
            positionReply.isEmpty() ? QString::number(std::min(p, lengths[m_open])) : positionReply;
        nowMs += msPerPositionRead;
    } else {
        return 1;
    }
    const qsizetype n = std::min<qsizetype>(text.size(), capacity - 1);
    std::copy(text.begin(), text.begin() + n, reply);
    reply[n] = QChar(0);
    return 0;
}
