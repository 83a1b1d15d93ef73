#include "DeferredMediaLayer.h"

#include "MediaCommand.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QLoggingCategory>
#include <utility>

Q_LOGGING_CATEGORY(lcSoundModule, "qx.sound.module")

const QString DeferredMediaLayer::moduleFileName = QStringLiteral(QX_SOUND_MODULE_FILE);

DeferredMediaLayer::DeferredMediaLayer() : DeferredMediaLayer(defaultCandidates()) {}

DeferredMediaLayer::DeferredMediaLayer(QStringList moduleCandidates)
    : m_candidates(std::move(moduleCandidates))
{}

// The module stays loaded for the rest of the run: the layer's sound threads and the libraries
// under it are never unloaded while the program lives.
DeferredMediaLayer::~DeferredMediaLayer() = default;

QStringList DeferredMediaLayer::defaultCandidates()
{
    const QDir programDir(QCoreApplication::applicationDirPath());
    return {programDir.filePath(moduleFileName),
            QDir::cleanPath(
                programDir.filePath(QStringLiteral(QX_SOUND_MODULE_RELDIR "/") + moduleFileName))};
}

int DeferredMediaLayer::sendString(const QString &command, QChar *reply, int capacity)
{
    if (!m_layer) {
        const std::optional<MediaCommand> parsed = MediaCommand::parse(command);
        if (!parsed)
            return UnknownCommand;
        if (parsed->verb == MediaCommand::Verb::CloseAll) {
            if (capacity < 1)
                return ReplyTooLong;
            reply[0] = QChar(0);
            return NoError;
        }
        if (!load())
            return CommandFailed;
    }
    return m_layer->sendString(command, reply, capacity);
}

void DeferredMediaLayer::setRepeat(bool on)
{
    m_repeat = on;
    if (m_layer)
        m_layer->setRepeat(on);
}

QString DeferredMediaLayer::openProblem() const
{
    if (m_layer)
        return m_layer->openProblem();
    return m_tried ? QStringLiteral("нет звукового модуля ") + moduleFileName : QString();
}

bool DeferredMediaLayer::load()
{
    if (m_tried)
        return m_layer != nullptr;
    m_tried = true;
    using Factory = MediaCommandTarget *(*)();
    for (const QString &candidate : std::as_const(m_candidates)) {
        if (!QFileInfo::exists(candidate))
            continue;
        QLibrary module(candidate);
        const auto create = reinterpret_cast<Factory>(module.resolve("qx_create_media_layer"));
        if (!create) {
            qCWarning(lcSoundModule) << "cannot load" << candidate << module.errorString();
            continue;
        }
        m_layer.reset(create());
        if (m_layer)
            m_layer->setRepeat(m_repeat);
        return m_layer != nullptr;
    }
    qCWarning(lcSoundModule) << "no sound module among" << m_candidates;
    return false;
}
