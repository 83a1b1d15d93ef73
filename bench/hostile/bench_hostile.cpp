// Opens every hostile file the way the program does, each in a child process of its own, and
// prints the time to show or refuse it, the child's whole run time and its peak resident memory,
// against the targets (shown or refused within 1 s, 256 MB):
//   GIF    load, play every frame, then seek back and forth as the transport buttons do
//   sound  open through the media-command layer, ask the length, play a moment, close
//   list   read the file into the list view, then save it back
// The first line is a child that opens nothing: the process's own start-up cost.
//
//   bench_hostile [--keep FOLDER]        (the files are written to a temporary folder)
#include "AnimationList.h"
#include "FileListRows.h"
#include "GifDecoder.h"
#include "HostileFiles.h"
#include "ListFile.h"
#include "MediaLayer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeWidget>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// What the child found, as its exit code.
enum Outcome
{
    Shown = 0,
    Refused = 1,
    Failed = 2
};

// Milliseconds since the child began its work: the first figure a child prints is the time to
// show or refuse the file, the second the time of the rest.
QElapsedTimer g_work;

double g_openMs = 0;

QString openedAfter()
{
    g_openMs = g_work.nsecsElapsed() / 1e6;
    return QStringLiteral("open %1 ms").arg(g_openMs, 0, 'f', 1);
}

int openGif(const QString &path, QString &what)
{
    GifDecoder gif;
    if (!gif.loadFile(path))
        return Refused;
    const QString opened = openedAfter();
    const int count = gif.frameCount();
    for (int f = 1; f < count; ++f)
        gif.showFrame(f);
    for (const int f : {0, count / 2, count - 2, count - 1})
        gif.showFrame(f);
    what = QStringLiteral("%1, %2 frames, played and seeks after %3 ms")
               .arg(opened)
               .arg(count)
               .arg(g_work.elapsed());
    return Shown;
}

int openSound(const QString &path, QString &what)
{
    MediaLayer layer;
    if (layer.send(QStringLiteral("open \"") + path + QStringLiteral("\" alias med")) !=
        QLatin1String("1"))
        return Refused;
    const QString length = layer.send(QStringLiteral("status med length"));
    const QString opened = openedAfter();
    layer.send(QStringLiteral("play med"));
    QThread::msleep(50);
    layer.send(QStringLiteral("close all"));
    what = opened + QStringLiteral(", ") + length + QStringLiteral(" ms long");
    return Shown;
}

int openList(const QString &path, QString &what)
{
    QTreeWidget view;
    FileListRows::applyLook(&view);
    const ListFile::Contents contents = ListFile::read(path);
    if (contents.status != ListFile::Status::Read)
        return Refused;
    FileListRows::addFileLines(&view, contents.lines);
    const QString opened = openedAfter();
    QFile original(path);
    const QByteArray before =
        original.open(QIODevice::ReadOnly) ? original.readAll() : QByteArray();
    original.close();
    const QString copy = path + QStringLiteral(".saved");
    if (!ListFile::write(copy, FileListRows::fileLines(&view)))
        return Failed;
    QFile saved(copy);
    const bool same = saved.open(QIODevice::ReadOnly) && saved.readAll() == before;
    what = QStringLiteral("%1, %2 rows, saved back %3 after %4 ms")
               .arg(opened)
               .arg(FileListRows::rowCount(&view))
               .arg(same ? QStringLiteral("unchanged") : QStringLiteral("CHANGED"))
               .arg(g_work.elapsed());
    return same ? Shown : Failed;
}

int child(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString path = QString::fromLocal8Bit(argv[2]);
    QString what;
    int outcome = Shown;
    g_work.start();
    if (path.endsWith(u".gif"))
        outcome = openGif(path, what);
    else if (path.endsWith(u".inf"))
        outcome = openList(path, what);
    else if (!path.isEmpty())
        outcome = openSound(path, what);
    if (outcome == Refused)
        what = QStringLiteral("refused, ") + openedAfter();
    std::printf("%.1f\t%s", g_openMs, qPrintable(what));
    std::fflush(stdout);
    return outcome;
}

struct Run
{
    double ms = 0;
    double openMs = 0;
    long peakKb = 0;
    int outcome = Failed;
    QString what;
};

Run runChild(const char *self, const QString &path)
{
    int out[2];
    Run run;
    if (pipe(out) != 0)
        return run;
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        const QByteArray file = QFile::encodeName(path);
        execl(self, self, "--child", file.constData(), static_cast<char *>(nullptr));
        _exit(127);
    }
    close(out[1]);
    QByteArray text;
    char buffer[256];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, n);
    close(out[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.ms = double(timer.nsecsElapsed()) / 1e6;
    run.peakKb = usage.ru_maxrss;
    run.outcome = WIFEXITED(status) ? WEXITSTATUS(status) : Failed;
    const qsizetype tab = text.indexOf('\t');
    run.openMs = text.left(tab).toDouble();
    run.what = WIFSIGNALED(status) ? QStringLiteral("killed by signal %1").arg(WTERMSIG(status))
                                   : QString::fromUtf8(text.mid(tab + 1));
    return run;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 3 && qstrcmp(argv[1], "--child") == 0)
        return child(argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER"))
        qputenv("SDL_AUDIODRIVER", "dummy");
    QTemporaryDir temp;
    QString folder = temp.path();
    if (argc >= 3 && qstrcmp(argv[1], "--keep") == 0)
        folder = QString::fromLocal8Bit(argv[2]);
    QCoreApplication app(argc, argv); // for the MP3 encoder's process

    std::printf("%-34s %9s %8s %9s %8s  %-7s %s\n", "file", "bytes", "open ms", "child ms",
                "peak MB", "outcome", "what");
    const Run base = runChild(argv[0], QString());
    std::printf("%-34s %9s %8s %9.1f %8.1f  %-7s\n", "(start-up only)", "-", "-", base.ms,
                base.peakKb / 1024.0, "-");
    bool withinTargets = true;
    for (const HostileFiles::Case &c : HostileFiles::all(folder)) {
        const QString path = folder + QLatin1Char('/') + c.fileName;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(c.bytes) != c.bytes.size())
            return 2;
        file.close();
        const Run run = runChild(argv[0], path);
        const char *outcome = run.outcome == Shown     ? "shown"
                              : run.outcome == Refused ? "refused"
                                                       : "FAILED";
        std::printf("%-34s %9lld %8.1f %9.1f %8.1f  %-7s %s\n", qPrintable(c.name),
                    qint64(c.bytes.size()), run.openMs, run.ms, run.peakKb / 1024.0, outcome,
                    qPrintable(run.what));
        std::fflush(stdout);
        withinTargets &= run.outcome != Failed && run.openMs <= 1000 && run.peakKb <= 256 * 1024;
    }
    std::printf("targets: each shown or refused within 1000 ms, peak within 256 MB, no failure: "
                "%s\n",
                withinTargets ? "met" : "NOT met");
    return withinTargets ? 0 : 1;
}
