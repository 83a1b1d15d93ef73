// Soak: the main window plays a list of generated animations with the play-list switch on while
// a short sound repeats, for QX_SOAK_SECONDS (default 150) after a warm-up. Resident memory and
// open file descriptors, sampled as it runs, must stay flat after the warm-up: less than 5 MB of
// growth and not one descriptor more at the end. The figures are printed.
#include "AniGIF.h"
#include "AnimationViewer.h"
#include "CommonDialog.h"
#include "FileListRows.h"
#include "ImageControl.h"
#include "ShapeDot.h"
#include "SkinLabel.h"
#include "SoundPanel.h"
#include "TestGifs.h"
#include "TestMedia.h"
#include "frmMain.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <memory>
#include <sndfile.h>

namespace {

qint64 residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                   .size());
}

int soakSeconds()
{
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("QX_SOAK_SECONDS", &ok);
    return ok && seconds > 0 ? seconds : 150;
}

} // namespace

class tst_hardening_Soak : public QObject
{
    Q_OBJECT

private slots:
    void playListAndRepeatingSoundStayFlat();
};

void tst_hardening_Soak::playListAndRepeatingSoundStayFlat()
{
    QTemporaryDir dir;
    QStringList gifs;
    const QSize sizes[] = {{64, 48}, {160, 120}, {33, 200}, {240, 180}, {90, 90}};
    for (int i = 0; i < int(std::size(sizes)); ++i) {
        const QString path = dir.filePath(QStringLiteral("anim-%1.gif").arg(i));
        QFile file(path);
        const QByteArray bytes = i % 2 ? TestGifs::mixedAnimation(sizes[i], 12, quint32(i))
                                       : TestGifs::plainAnimation(sizes[i], 10, i == 2, 2);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        gifs << path;
    }
    const QString sound = dir.filePath(QStringLiteral("chime.wav"));
    QVERIFY(TestMedia::writeTone(sound, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050, 2, 22050 / 2));

    frmMain form;
    form.endProgram = [] {};
    form.showMessage = [](const QString &, const QString &) {};
    QString chosen;
    form.CDialog->setChooser([&chosen](const CommonDialog &) { return chosen; });
    form.viewer->setStartValues();
    for (const QString &path : gifs)
        FileListRows::addListRow(form.FileList, QFileInfo(path).completeBaseName(), path);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    chosen = gifs.first();
    form.viewer->chooseAnimation();
    form.viewer->togglePlayList(); // play-list switch on
    QVERIFY(!form.Sh2->isHidden());
    chosen = sound;
    form.soundPanel->chooseSound();
    if (form.Sh3->isHidden())
        form.soundPanel->toggleRepeat(); // sound repeat on
    QVERIFY(!form.Sh3->isHidden());

    int frames = 0;
    connect(form.AniGIF, &AniGIF::FrameChanged, this, [&frames] { ++frames; });
    // Each animation has a size of its own, which the display takes on when it loads it.
    QList<QSize> shown;
    int soundRestarts = 0;
    int lastMarker = form.im2->x();
    const auto watch = [&] {
        const QSize size = form.AniGIF->size();
        if (shown.isEmpty() || shown.last() != size)
            shown << size;
        if (form.im2->x() < lastMarker)
            ++soundRestarts;
        lastMarker = form.im2->x();
    };
    const auto run = [&](int seconds) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < seconds * 1000LL) {
            QTest::qWait(50);
            watch();
        }
    };

    run(20); // warm-up: every animation shown, caches and the audio device settled
    const qint64 baseKb = residentKb();
    const int baseFds = openDescriptors();
    qint64 peakKb = baseKb;
    int peakFds = baseFds;
    const int seconds = soakSeconds();
    for (int elapsed = 0; elapsed < seconds; elapsed += 10) {
        run(std::min(10, seconds - elapsed));
        peakKb = std::max(peakKb, residentKb());
        peakFds = std::max(peakFds, openDescriptors());
        qInfo("%3d s: RSS %lld kB, %d descriptors, %d frames, %d animations, %d sound restarts",
              elapsed + 10, residentKb(), openDescriptors(), frames, int(shown.size()),
              soundRestarts);
    }
    const qint64 endKb = residentKb();
    const int endFds = openDescriptors();
    qInfo("after warm-up: RSS %lld kB, at the end %lld kB (growth %lld kB, peak %lld kB); "
          "descriptors %d, at the end %d (peak %d)",
          baseKb, endKb, endKb - baseKb, peakKb, baseFds, endFds, peakFds);

    // It really played: the list went round, and the sound started over and over.
    QVERIFY(shown.size() > 2 * gifs.size());
    QVERIFY(soundRestarts >= 3);
    QVERIFY2(endKb - baseKb < 5 * 1024, qPrintable(QString::number(endKb - baseKb)));
    QVERIFY(endFds <= baseFds);
    form.soundPanel->SoundCloseAll();
}

// QtTest stops a test function after 5 minutes; a long soak needs longer.
int main(int argc, char **argv)
{
    qputenv("QTEST_FUNCTION_TIMEOUT", QByteArray::number((soakSeconds() + 600) * 1000LL));
    QApplication app(argc, argv);
    tst_hardening_Soak test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hardening_Soak.moc"
