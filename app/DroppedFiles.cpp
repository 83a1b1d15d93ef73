#include "DroppedFiles.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace {

QStringList localPaths(const QList<QUrl> &urls)
{
    QStringList paths;
    for (const QUrl &url : urls)
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            paths.append(url.toLocalFile());
    return paths;
}

} // namespace

// Splits both names into runs of digits and runs of other characters; digit runs compare by
// their value (leading zeros ignored), the others without regard to letter case, and only a
// tie looks at case and leading zeros. This does not depend on the locale's collation.
int DroppedFiles::naturalCompare(QStringView a, QStringView b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const bool digitA = a[i].isDigit(), digitB = b[j].isDigit();
        if (digitA != digitB)
            return digitA ? -1 : 1;
        qsizetype endA = i, endB = j;
        while (endA < a.size() && a[endA].isDigit() == digitA)
            ++endA;
        while (endB < b.size() && b[endB].isDigit() == digitB)
            ++endB;
        QStringView runA = a.sliced(i, endA - i), runB = b.sliced(j, endB - j);
        int order = 0;
        if (digitA) {
            while (runA.size() > 1 && runA.front() == u'0')
                runA = runA.sliced(1);
            while (runB.size() > 1 && runB.front() == u'0')
                runB = runB.sliced(1);
            order = runA.size() != runB.size() ? (runA.size() < runB.size() ? -1 : 1)
                                               : runA.compare(runB);
        } else {
            order = runA.compare(runB, Qt::CaseInsensitive);
        }
        if (order != 0)
            return order < 0 ? -1 : 1;
        i = endA;
        j = endB;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    const int exact = a.compare(b);
    return exact < 0 ? -1 : (exact > 0 ? 1 : 0);
}

bool DroppedFiles::isSoundFile(const QString &path)
{
    static const char *const suffixes[] = {".mp3", ".mid", ".wav"};
    return std::any_of(std::begin(suffixes), std::end(suffixes), [&](const char *suffix) {
        return path.endsWith(QLatin1StringView(suffix), Qt::CaseInsensitive);
    });
}

bool DroppedFiles::isAnimationFile(const QString &path)
{
    return path.endsWith(QLatin1StringView(".gif"), Qt::CaseInsensitive);
}

bool DroppedFiles::mayAccept(const QList<QUrl> &urls)
{
    const QStringList paths = localPaths(urls);
    if (paths.size() == 1 && isSoundFile(paths.first()) && QFileInfo(paths.first()).isFile())
        return true;
    return std::any_of(paths.begin(), paths.end(), [](const QString &path) {
        const QFileInfo info(path);
        return info.isDir() || (info.isFile() && isAnimationFile(path));
    });
}

// Files and the GIFs of folders are gathered first and then put in natural order as one
// list, compared by their full paths, so that the files of one folder stay together.
DroppedFiles::Contents DroppedFiles::sort(const QList<QUrl> &urls)
{
    Contents contents;
    const QStringList paths = localPaths(urls);
    if (paths.size() == 1 && isSoundFile(paths.first()) && QFileInfo(paths.first()).isFile()) {
        contents.sound = paths.first();
        return contents;
    }
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (info.isFile() && isAnimationFile(path)) {
            contents.animations.append(path);
        } else if (info.isDir()) {
            const QDir folder(path);
            for (const QString &name : folder.entryList({QStringLiteral("*.gif")}, QDir::Files))
                if (isAnimationFile(name))
                    contents.animations.append(folder.filePath(name));
        }
    }
    std::stable_sort(contents.animations.begin(), contents.animations.end(),
                     [](const QString &a, const QString &b) { return naturalCompare(a, b) < 0; });
    contents.animations.removeDuplicates();
    return contents;
}
