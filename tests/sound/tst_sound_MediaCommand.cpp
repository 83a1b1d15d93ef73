#include "MediaCommand.h"
#include "MediaLayer.h"

#include <QTest>

Q_DECLARE_METATYPE(MediaCommand::Verb)

class tst_sound_MediaCommand : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void failingCommandsGiveEmptyReply_data();
    void failingCommandsGiveEmptyReply();
};

void tst_sound_MediaCommand::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<MediaCommand::Verb>("verb");
    QTest::addColumn<QString>("path");
    using V = MediaCommand::Verb;

    QTest::newRow("close all") << "close all" << true << V::CloseAll << "";
    QTest::newRow("close all, case and blanks") << "  CLOSE   All " << true << V::CloseAll << "";
    QTest::newRow("time format") << "set med time format milliseconds" << true
                                 << V::SetTimeFormatMilliseconds << "";
    QTest::newRow("time format ms")
        << "set MED time format ms" << true << V::SetTimeFormatMilliseconds << "";
    QTest::newRow("play") << "play med" << true << V::Play << "";
    QTest::newRow("status length") << "status med length" << true << V::StatusLength << "";
    QTest::newRow("status position") << "Status Med Position" << true << V::StatusPosition << "";
    QTest::newRow("status, tab") << "status\tmed\tposition" << true << V::StatusPosition << "";
    QTest::newRow("open") << "open \"/snd/rain.mp3\" alias med" << true << V::Open
                          << "/snd/rain.mp3";
    QTest::newRow("open, blanks in path kept")
        << "open \" /a b/c .wav \" alias med" << true << V::Open << " /a b/c .wav ";
    QTest::newRow("open, quote in path")
        << "open \"/a\"b.wav\" alias med" << true << V::Open << "/a\"b.wav";
    QTest::newRow("open, non-ASCII path")
        << "open \"/звук/音.mid\" ALIAS Med" << true << V::Open << "/звук/音.mid";
    QTest::newRow("open, backslashes verbatim")
        << "open \"C:\\snd\\x.wav\" alias med" << true << V::Open << "C:\\snd\\x.wav";

    // Anything else is no command of the layer's.
    for (const char *text :
         {"", "   ", "close", "close med", "close all now", "play snd", "play", "stop med",
          "set med time format seconds", "status med mode", "open \"/a.wav\"",
          "open \"/a.wav\" alias snd", "open /a.wav alias med", "open \"/a.wav alias med",
          "open \"\" alias med", "open \"/a.wav\"alias med",
          "open \"/a.wav\" type waveaudio alias med", "please open \"/a.wav\" alias med"})
        QTest::addRow("not a command: [%s]", text) << text << false << V::CloseAll << "";
}

void tst_sound_MediaCommand::parse()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(MediaCommand::Verb, verb);
    QFETCH(QString, path);
    const std::optional<MediaCommand> cmd = MediaCommand::parse(text);
    QCOMPARE(cmd.has_value(), valid);
    if (valid) {
        QCOMPARE(cmd->verb, verb);
        QCOMPARE(cmd->path, path);
    }
}

void tst_sound_MediaCommand::failingCommandsGiveEmptyReply_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("unknown") << "stop med";
    QTest::newRow("garbage") << "\x01\x02 ??";
    QTest::newRow("play, nothing open") << "play med";
    QTest::newRow("length, nothing open") << "status med length";
    QTest::newRow("position, nothing open") << "status med position";
    QTest::newRow("time format, nothing open") << "set med time format milliseconds";
    QTest::newRow("missing file") << "open \"/nonexistent/qx/none.wav\" alias med";
    QTest::newRow("unsupported extension") << "open \"/etc/hostname\" alias med";
    QTest::newRow("folder") << "open \"/tmp\" alias med";
}

void tst_sound_MediaCommand::failingCommandsGiveEmptyReply()
{
    QFETCH(QString, command);
    MediaLayer layer(MediaLayer::Options{});
    QCOMPARE(layer.send(command), QString());
    QChar buffer[8] = {u'x', u'x', u'x', u'x', u'x', u'x', u'x', u'x'};
    QVERIFY(layer.sendString(command, buffer, 8) != MediaLayer::NoError);
    QCOMPARE(QString(buffer, 8), QStringLiteral("xxxxxxxx"));
    // A failure leaves nothing open.
    QCOMPARE(layer.send(QStringLiteral("status med length")), QString());
}

QTEST_GUILESS_MAIN(tst_sound_MediaCommand)
#include "tst_sound_MediaCommand.moc"
