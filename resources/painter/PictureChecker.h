#pragma once

#include <QImage>
#include <QMap>
#include <QString>
#include <QStringList>

// Verifies what the program relies on in the built-in pictures: sizes, formats, colour counts,
// the exact key pixels of the skin, the plain display under the labels, the cursor's hot spot.
class PictureChecker
{
public:
    // Pictures by file name ("skin.png", "play.png", ...). Returns the problems found.
    static QStringList check(const QMap<QString, QImage> &pictures);

private:
    static void checkSkin(const QImage &skin, QStringList &problems);
    static void checkOpaque(const QString &name, const QImage &image, const QImage &skin,
                            const QRect &place, QStringList &problems);
    static void checkCursor(const QImage &hand, QStringList &problems);
    static void checkIcon(const QString &name, const QImage &icon, int colours,
                          QStringList &problems);
};
