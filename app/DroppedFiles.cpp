#include "DroppedFiles.h"

#include "ListFileCodec.h"
#include "NaturalOrder.h"

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

int DroppedFiles::naturalCompare(QStringView a, QStringView b)
{
    return NaturalOrder::compare(a, b);
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
// list, compared by their full paths, so that the files of one folder stay together. Paths the
// list file cannot keep are left out.
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
    contents.animations.removeIf([](const QString &p) { return !ListFileCodec::canKeep(p); });
    NaturalOrder::sort(contents.animations);
    contents.animations.removeDuplicates();
    return contents;
}
