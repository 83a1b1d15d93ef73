// qx-iconsizes: the program's 32-pixel icon enlarged to whole multiples for the icon theme,
// every pixel repeated (nearest neighbour), so the larger icons show exactly the same picture.
//
//   qx-iconsizes ICON.png OUTPUT_FOLDER FACTOR...   writes OUTPUT_FOLDER/<size>.png

#include <QDir>
#include <QImage>
#include <QStringList>
#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: qx-iconsizes ICON.png OUTPUT_FOLDER FACTOR...\n");
        return 2;
    }
    const QImage icon =
        QImage(QString::fromLocal8Bit(argv[1])).convertToFormat(QImage::Format_ARGB32);
    if (icon.isNull()) {
        std::fprintf(stderr, "qx-iconsizes: cannot read %s\n", argv[1]);
        return 1;
    }
    const QDir folder(QString::fromLocal8Bit(argv[2]));
    if (!folder.mkpath(QStringLiteral(".")))
        return 1;
    for (int i = 3; i < argc; ++i) {
        const int factor = QString::fromLatin1(argv[i]).toInt();
        if (factor < 1)
            return 2;
        const QImage large =
            icon.scaled(icon.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        const QString name = folder.filePath(QStringLiteral("%1.png").arg(large.width()));
        if (!large.save(name)) {
            std::fprintf(stderr, "qx-iconsizes: cannot write %s\n", qPrintable(name));
            return 1;
        }
    }
    return 0;
}
