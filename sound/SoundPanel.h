#pragma once

#include "SoundWatch.h"
#include "mdlSound.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class MediaCommandTarget;
class QLabel;
class QTimer;
class QWidget;

// The window's sound controls: choosing a sound with the loudspeaker button, naming it in the
// sound label, the 100 ms watch that slides the sound marker and plays the sound again at its
// end while the sound repeat dot shows, and the button that toggles that dot.
//
// The window keeps its controls and hands them in as plain Qt widgets; the panel connects the
// timer itself. Nothing here shows a message: a sound that does not open is named and then
// quietly stopped by the watch, and faults of the sound layer never leave a handler.
class SoundPanel : public QObject
{
    Q_OBJECT
public:
    struct Controls
    {
        QLabel *lblSnd = nullptr; // the sound's name
        QWidget *im2 = nullptr;   // the sound marker; its left edge moves from 186 to 426
        QWidget *Sh3 = nullptr;   // the sound repeat switch: shown means repeat
        QTimer *Timer1 = nullptr; // the watch timer, off until a sound is chosen
    };

    // Shows the file-open dialog modally with the given initial folder, title and filter
    // ("Label|*.a;*.b"). Returns true with the chosen full path in `fileName`, or false when
    // the user cancels.
    using FileChooser = std::function<bool(const QString &initDir, const QString &title,
                                           const QString &filter, QString &fileName)>;

    static const QString dialogTitle;
    static const QString dialogFilter;
    static const QString labelPrefix;

    // Plays through a media layer of its own. `programDir` is the executable's folder; the
    // dialog starts in its "snd" folder.
    SoundPanel(const Controls &controls, FileChooser chooseFile, const QString &programDir,
               QObject *parent = nullptr);
    // Plays through `layer`, which must outlive the panel.
    SoundPanel(const Controls &controls, FileChooser chooseFile, const QString &programDir,
               MediaCommandTarget &layer, QObject *parent = nullptr);
    ~SoundPanel() override;

    // The name a sound is shown by: the text after the last '/', less its last four
    // characters (meant as the dot and the extension, cut whatever they are). Nothing when
    // fewer than four characters follow the last '/'.
    static std::optional<QString> displayName(const QString &path);

    QString initialFolder() const;
    // The full path of the sound chosen last; empty before the first choice.
    QString soundPath() const { return m_watch.soundPath(); }

public slots:
    // The loudspeaker button: asks for a sound file, names it, and plays it under the watch.
    // A cancelled dialog, or a name of fewer than four characters, changes nothing.
    void chooseSound();
    // What the loudspeaker button does once the dialog has given `fileName` (also for a sound
    // file dropped on the window). A sound that does not open is still named, as always; the
    // reason is left in the label's tooltip, which is empty again once a sound opens.
    void playSound(const QString &fileName);
    // One tick of the watch timer (connected by the panel itself).
    void watchTick();
    // The sound repeat button: shows the repeat dot when hidden, hides it when shown.
    void toggleRepeat();
    // For the close button that ends the program: stops the watch and closes all sound.
    void SoundCloseAll();

private:
    SoundPanel(const Controls &controls, FileChooser chooseFile, const QString &programDir,
               std::unique_ptr<MediaCommandTarget> ownLayer, MediaCommandTarget *layer,
               QObject *parent);
    bool repeatOn() const;
    void placeMarker(double left);

    QPointer<QLabel> m_lblSnd;
    QPointer<QWidget> m_im2;
    QPointer<QWidget> m_Sh3;
    QPointer<QTimer> m_Timer1;
    FileChooser m_chooseFile;
    QString m_programDir;
    std::unique_ptr<MediaCommandTarget> m_ownLayer;
    MediaCommandTarget &m_target;
    mdlSound m_sound;
    SoundWatch m_watch;
};
