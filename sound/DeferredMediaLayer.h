#pragma once

#include "MediaCommandTarget.h"

#include <QStringList>
#include <memory>

// The media-command layer as the program uses it: the layer itself, with its decoders and the
// audio output, lives in a module of its own that is loaded the first time a command needs it,
// so that the program starts without loading any sound library. Until then nothing can be
// open, so "close all" is answered here. When the module cannot be loaded, every command that
// needs it fails as a file that does not open would.
class DeferredMediaLayer : public MediaCommandTarget
{
public:
    // File name of the module, as built and installed.
    static const QString moduleFileName;

    DeferredMediaLayer();
    // Module files tried in order.
    explicit DeferredMediaLayer(QStringList moduleCandidates);
    ~DeferredMediaLayer() override;
    DeferredMediaLayer(const DeferredMediaLayer &) = delete;
    DeferredMediaLayer &operator=(const DeferredMediaLayer &) = delete;

    int sendString(const QString &command, QChar *reply, int capacity) override;
    // Kept until the layer is loaded, then passed on.
    void setRepeat(bool on) override;
    // The layer's own reason, or the missing module once loading it has failed.
    QString openProblem() const override;

    // Beside the program, then in the program's library folder of an installed copy.
    static QStringList defaultCandidates();
    bool loaded() const { return m_layer != nullptr; }

private:
    bool load();

    QStringList m_candidates;
    bool m_tried = false;
    bool m_repeat = false;
    std::unique_ptr<MediaCommandTarget> m_layer;
};
