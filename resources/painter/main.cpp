// qx-skin-painter: paints every built-in picture of Quorbanex into a folder.
//
//   qx-skin-painter FOLDER          paint, check, write, read back and check again
//   qx-skin-painter --check FOLDER  only check the pictures already in FOLDER

#include "FontBook.h"
#include "PictureChecker.h"
#include "PictureSet.h"

#include <QGuiApplication>
#include <QStringList>
#include <cstdio>

namespace {

int report(const QString &stage, const QStringList &problems)
{
    for (const QString &p : problems)
        std::fprintf(stderr, "qx-skin-painter: %s: %s\n", qPrintable(stage), qPrintable(p));
    return problems.isEmpty() ? 0 : 1;
}

bool samePixels(const QImage &a, const QImage &b)
{
    return a.convertToFormat(QImage::Format_ARGB32) == b.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool checkOnly = args.removeAll(QStringLiteral("--check")) > 0;
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: qx-skin-painter [--check] FOLDER\n");
        return 2;
    }
    const QString folder = args.first();

    if (checkOnly) {
        if (report("check", PictureChecker::check(PictureSet::load(folder))) != 0)
            return 1;
        std::printf("qx-skin-painter: the pictures in %s are sound\n", qPrintable(folder));
        return 0;
    }

    if (!FontBook::load())
        return 1;
    PictureSet set;
    set.paint();
    if (report("painted", PictureChecker::check(set.pictures())) != 0)
        return 1;
    QStringList problems;
    if (!set.save(folder, problems))
        return report("write", problems);

    const QMap<QString, QImage> written = PictureSet::load(folder);
    problems = PictureChecker::check(written);
    for (auto it = set.pictures().constBegin(); it != set.pictures().constEnd(); ++it) {
        if (!samePixels(it.value(), written.value(it.key())))
            problems << it.key() + QStringLiteral(": reads back different from what was painted");
    }
    if (report("written", problems) != 0)
        return 1;
    std::printf("qx-skin-painter: wrote %lld pictures into %s\n", qlonglong(written.size()),
                qPrintable(folder));
    return 0;
}
