#include "CommandLine.h"

#include <QtTest>

// The information requests are recognised only as the single word they are spelled as; every
// other command line is the name of an animation, spaces and all.
class tst_app_CommandLine : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void answers();
};

void tst_app_CommandLine::parse_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<int>("request");
    QTest::addColumn<QString>("animation");
    const int show = int(CommandLine::Request::Show);
    const int help = int(CommandLine::Request::Help);
    const int version = int(CommandLine::Request::Version);
    QTest::newRow("nothing") << QStringList{} << show << QString();
    QTest::newRow("one file") << QStringList{"a.gif"} << show << "a.gif";
    QTest::newRow("words joined") << QStringList{"my", "cat.gif"} << show << "my cat.gif";
    QTest::newRow("spaces kept") << QStringList{"a  b.gif"} << show << "a  b.gif";
    QTest::newRow("--help") << QStringList{"--help"} << help << QString();
    QTest::newRow("-h") << QStringList{"-h"} << help << QString();
    QTest::newRow("--version") << QStringList{"--version"} << version << QString();
    QTest::newRow("-v") << QStringList{"-v"} << version << QString();
    QTest::newRow("help not alone") << QStringList{"--help", "a.gif"} << show << "--help a.gif";
    QTest::newRow("both") << QStringList{"--help", "--version"} << show << "--help --version";
    QTest::newRow("compacted") << QStringList{"-hv"} << show << "-hv";
    QTest::newRow("long short") << QStringList{"--h"} << show << "--h";
    QTest::newRow("short long") << QStringList{"-help"} << show << "-help";
    QTest::newRow("with value") << QStringList{"--help=1"} << show << "--help=1";
    QTest::newRow("unknown") << QStringList{"-x"} << show << "-x";
    QTest::newRow("dashes") << QStringList{"--"} << show << "--";
}

void tst_app_CommandLine::parse()
{
    QFETCH(QStringList, words);
    QFETCH(int, request);
    QFETCH(QString, animation);
    const CommandLine line = CommandLine::parse(QStringList{"quorbanex"} + words);
    QCOMPARE(int(line.request()), request);
    QCOMPARE(line.animation(), animation);
    QCOMPARE(line.answer().isEmpty(), request == int(CommandLine::Request::Show));
}

void tst_app_CommandLine::answers()
{
    const QString help = CommandLine::parse({"/usr/bin/quorbanex", "-h"}).answer();
    QVERIFY2(help.startsWith("Usage: /usr/bin/quorbanex [FILE.gif]\n"), qPrintable(help));
    QVERIFY(help.contains("--help") && help.contains("--version"));
    QCOMPARE(CommandLine::parse({"quorbanex", "--version"}).answer(), "Quorbanex 1.00\n");
}

QTEST_APPLESS_MAIN(tst_app_CommandLine)
#include "tst_app_CommandLine.moc"
