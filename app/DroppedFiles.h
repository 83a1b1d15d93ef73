#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QUrl>

// What files dropped on the window mean: either one sound to play, or animations to append to
// the list. Folders stand for the GIF files directly inside them, as the folder import takes
// them; everything that is neither a GIF file, a folder nor a lone sound file is passed over.
class DroppedFiles
{
public:
    struct Contents
    {
        // Full paths of the GIF files, in natural order ("2" before "10").
        QStringList animations;
        // The full path of a sound file when that is all that was dropped.
        QString sound;

        bool isEmpty() const { return animations.isEmpty() && sound.isEmpty(); }
    };

    // Looks only at names and file kinds, not into folders: whether a drop might give anything.
    static bool mayAccept(const QList<QUrl> &urls);
    static Contents sort(const QList<QUrl> &urls);

    // The kinds the sound choice offers: .mp3, .mid and .wav in any letter case.
    static bool isSoundFile(const QString &path);
    static bool isAnimationFile(const QString &path);

    // Natural order of names: "2" before "10"; -1, 0 or 1.
    static int naturalCompare(QStringView a, QStringView b);
};
