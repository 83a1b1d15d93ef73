#include "SoundPanel.h"

#include "DeferredMediaLayer.h"
#include "DisplayName.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <exception>
#include <utility>

const QString SoundPanel::dialogTitle = QStringLiteral("Выбор звукового файла...");
const QString SoundPanel::dialogFilter = QStringLiteral("Файлы звука|*.mp3;*.mid;*.wav");
const QString SoundPanel::labelPrefix = QStringLiteral("Sound: ");

SoundPanel::SoundPanel(const Controls &controls, FileChooser chooseFile, const QString &programDir,
                       QObject *parent)
    : SoundPanel(controls, std::move(chooseFile), programDir,
                 std::make_unique<DeferredMediaLayer>(), nullptr, parent)
{}

SoundPanel::SoundPanel(const Controls &controls, FileChooser chooseFile, const QString &programDir,
                       MediaCommandTarget &layer, QObject *parent)
    : SoundPanel(controls, std::move(chooseFile), programDir, nullptr, &layer, parent)
{}

SoundPanel::SoundPanel(const Controls &controls, FileChooser chooseFile, const QString &programDir,
                       std::unique_ptr<MediaCommandTarget> ownLayer, MediaCommandTarget *layer,
                       QObject *parent)
    : QObject(parent), m_lblSnd(controls.lblSnd), m_im2(controls.im2), m_Sh3(controls.Sh3),
      m_Timer1(controls.Timer1), m_chooseFile(std::move(chooseFile)), m_programDir(programDir),
      m_ownLayer(std::move(ownLayer)), m_target(layer ? *layer : *m_ownLayer), m_sound(m_target),
      m_watch(m_sound)
{
    if (m_Timer1) {
        m_Timer1->setInterval(SoundWatch::tickIntervalMs);
        connect(m_Timer1, &QTimer::timeout, this, &SoundPanel::watchTick);
    }
}

SoundPanel::~SoundPanel() = default;

// Cuts the last four characters, counted as Unicode code points so that no character is cut
// in half.
std::optional<QString> SoundPanel::displayName(const QString &path)
{
    return DisplayName::ifAny(path);
}

QString SoundPanel::initialFolder() const
{
    return QDir(m_programDir).filePath(QStringLiteral("snd"));
}

// Asks for the file, lets pending events run once (a tick of the sound playing so far among
// them), then names the file and starts it under the watch. Anything that goes wrong ends the
// choice quietly; what was done before stays done.
void SoundPanel::chooseSound()
{
    try {
        if (!m_chooseFile)
            return;
        QString fileName;
        if (!m_chooseFile(initialFolder(), dialogTitle, dialogFilter, fileName))
            return;
        playSound(fileName);
    } catch (const std::exception &) {
    }
}

void SoundPanel::playSound(const QString &fileName)
{
    try {
        const QPointer<SoundPanel> alive(this);
        QCoreApplication::processEvents();
        if (!alive)
            return;
        const std::optional<QString> name = displayName(fileName);
        if (!name)
            return;
        if (m_lblSnd)
            m_lblSnd->setText(labelPrefix + *name);
        // A new choice starts the file from its beginning, even the same file just run on into
        // its next pass; the switch holds again for the new sound.
        m_target.setRepeat(false);
        m_watch.start(fileName);
        m_target.setRepeat(repeatOn());
        if (m_lblSnd) {
            const QString problem = m_target.openProblem();
            m_lblSnd->setToolTip(
                problem.isEmpty() ? QString() : QStringLiteral("Звук не открылся: ") + problem);
        }
        if (m_Timer1)
            m_Timer1->start();
    } catch (const std::exception &) {
    }
}

// The layer hears of the switch at each tick too, in case the dot was shown or hidden some
// other way than by its button.
void SoundPanel::watchTick()
{
    try {
        m_target.setRepeat(repeatOn());
        const SoundWatch::Tick tick = m_watch.tick(repeatOn());
        if (tick.markerLeft)
            placeMarker(*tick.markerLeft);
        if (tick.stopTimer && m_Timer1)
            m_Timer1->stop();
    } catch (const std::exception &) {
    }
}

void SoundPanel::toggleRepeat()
{
    if (m_Sh3)
        m_Sh3->setVisible(m_Sh3->isHidden());
    m_target.setRepeat(repeatOn());
}

// Stops the timer first, so that no tick can open the sound again before the program ends.
void SoundPanel::SoundCloseAll()
{
    if (m_Timer1)
        m_Timer1->stop();
    try {
        m_target.setRepeat(false);
        m_sound.SoundCloseAll();
    } catch (const std::exception &) {
    }
}

// The dot's own visibility flag, so that the switch keeps its state while the window is
// folded, minimised or not yet shown.
bool SoundPanel::repeatOn() const
{
    return m_Sh3 && !m_Sh3->isHidden();
}

// The marker stays on its groove even when the layer reports a position past the length.
void SoundPanel::placeMarker(double left)
{
    if (!m_im2)
        return;
    left =
        std::clamp(left, SoundWatch::markerRest, SoundWatch::markerRest + SoundWatch::markerTrack);
    m_im2->move(qRound(left), m_im2->y());
}
