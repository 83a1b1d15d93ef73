#include "DeferredMediaLayer.h"
#include "TestMedia.h"

#include <QTemporaryDir>
#include <QTest>
#include <array>
#include <sndfile.h>

namespace {

struct Reply
{
    int code;
    QString text;
};

Reply send(DeferredMediaLayer &layer, const QString &command, int capacity = 255)
{
    std::array<QChar, 255> buffer;
    buffer.fill(QChar(u'#'));
    const int code = layer.sendString(command, buffer.data(), capacity);
    return {code, code == MediaCommandTarget::NoError ? QString(buffer.data()) : QString()};
}

} // namespace

class tst_sound_DeferredMediaLayer : public QObject
{
    Q_OBJECT

private slots:
    void answersWithoutLoading_data();
    void answersWithoutLoading();
    void missingOrBrokenModuleFailsQuietly();
    void loadsTheModuleOnFirstNeed();
};

void tst_sound_DeferredMediaLayer::answersWithoutLoading_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("capacity");
    QTest::addColumn<int>("code");
    QTest::newRow("close all") << "close all" << 255 << int(MediaCommandTarget::NoError);
    QTest::newRow("close all, loose case and blanks")
        << "  CLOSE   all " << 255 << int(MediaCommandTarget::NoError);
    QTest::newRow("close all, no room for the zero")
        << "close all" << 0 << int(MediaCommandTarget::ReplyTooLong);
    QTest::newRow("not a command") << "fly med" << 255 << int(MediaCommandTarget::UnknownCommand);
    QTest::newRow("empty") << "" << 255 << int(MediaCommandTarget::UnknownCommand);
}

// Start-up sends "close all" before any sound is chosen; that must not load the sound
// libraries.
void tst_sound_DeferredMediaLayer::answersWithoutLoading()
{
    QFETCH(QString, command);
    QFETCH(int, capacity);
    QFETCH(int, code);
    DeferredMediaLayer layer({QStringLiteral(QX_SOUND_MODULE_PATH)});
    const Reply reply = send(layer, command, capacity);
    QCOMPARE(reply.code, code);
    QCOMPARE(reply.text, QString());
    QVERIFY(!layer.loaded());
}

void tst_sound_DeferredMediaLayer::missingOrBrokenModuleFailsQuietly()
{
    QTemporaryDir dir;
    const QString notAModule = dir.filePath(QStringLiteral("quorbanex-sound.so"));
    QFile file(notAModule);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a shared object\n");
    file.close();
    DeferredMediaLayer layer({dir.filePath(QStringLiteral("missing.so")), notAModule});
    const QString wav = dir.filePath(QStringLiteral("tone.wav"));
    QVERIFY(TestMedia::writeTone(wav, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, 4410));
    for (const QString &command : {QStringLiteral("open \"%1\" alias med").arg(wav),
                                   QStringLiteral("play med"), QStringLiteral("status med length")})
        QCOMPARE(send(layer, command).code, int(MediaCommandTarget::CommandFailed));
    QCOMPARE(send(layer, QStringLiteral("close all")).code, int(MediaCommandTarget::NoError));
    QVERIFY(!layer.loaded());
}

// A broken candidate is passed over for the next one, and the loaded layer answers everything
// from then on.
void tst_sound_DeferredMediaLayer::loadsTheModuleOnFirstNeed()
{
    QTemporaryDir dir;
    const QString notAModule = dir.filePath(QStringLiteral("broken.so"));
    QFile file(notAModule);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("\x7f"
               "ELF but no more");
    file.close();
    DeferredMediaLayer layer({notAModule, QStringLiteral(QX_SOUND_MODULE_PATH)});
    const QString wav = dir.filePath(QStringLiteral("tone.wav"));
    QVERIFY(TestMedia::writeTone(wav, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, 22050));

    QCOMPARE(send(layer, QStringLiteral("status med length")).code,
             int(MediaCommandTarget::CommandFailed));
    QVERIFY(layer.loaded());
    const Reply opened = send(layer, QStringLiteral("open \"%1\" alias med").arg(wav));
    QCOMPARE(opened.code, int(MediaCommandTarget::NoError));
    QCOMPARE(opened.text, QStringLiteral("1"));
    QCOMPARE(send(layer, QStringLiteral("status med length")).text, QStringLiteral("500"));
    QCOMPARE(send(layer, QStringLiteral("close all")).code, int(MediaCommandTarget::NoError));
    QCOMPARE(send(layer, QStringLiteral("status med length")).code,
             int(MediaCommandTarget::CommandFailed));
}

QTEST_GUILESS_MAIN(tst_sound_DeferredMediaLayer)
#include "tst_sound_DeferredMediaLayer.moc"
