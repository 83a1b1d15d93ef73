#include "OpenFailureNote.h"

#include <QFile>
#include <QFileInfo>

QString OpenFailureNote::forAnimation(const QString &path)
{
    const QString prefix = QStringLiteral("Анимация не открылась: ");
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return prefix + QStringLiteral("файл не найден");
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return prefix + QStringLiteral("файл не читается");
    const QByteArray head = file.read(6);
    if (head != "GIF87a" && head != "GIF89a")
        return prefix + QStringLiteral("это не файл GIF");
    return prefix + QStringLiteral("файл GIF повреждён");
}
