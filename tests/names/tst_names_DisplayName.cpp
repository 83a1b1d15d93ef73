#include "DisplayName.h"

#include <QTest>

class tst_names_DisplayName : public QObject
{
    Q_OBJECT

private slots:
    void of_data();
    void of();
};

void tst_names_DisplayName::of_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("caption");

    QTest::newRow("full path") << "/home/ann/gif/cat.gif"
                               << "cat";
    QTest::newRow("no folder") << "cat.gif"
                               << "cat";
    QTest::newRow("upper-case extension") << "/g/DOG.GIF"
                                          << "DOG";
    QTest::newRow("other extension") << "/g/clip.png"
                                     << "clip";
    QTest::newRow("long extension keeps its dot") << "/g/clip.jpeg"
                                                  << "clip.";
    QTest::newRow("no extension loses letters") << "/g/animation"
                                                << "anima";
    QTest::newRow("dots in folder names") << "/g.old/v1.2/x.y.gif"
                                          << "x.y";
    QTest::newRow("double separator at the root") << "//cat.gif"
                                                  << "cat";
    QTest::newRow("backslash is a plain character") << "C:\\gif\\cat.gif"
                                                    << "C:\\gif\\cat";
    QTest::newRow("exactly four characters") << "/g/.gif"
                                             << "";
    QTest::newRow("shorter name") << "/g/abc"
                                  << "";
    QTest::newRow("folder path") << "/g/"
                                 << "";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("Cyrillic") << "/г/Кошка.gif"
                              << "Кошка";
    QTest::newRow("pairs count as one character") << "/g/ab\U0001F600\U0001F600\U0001F600"
                                                  << "a";
    QTest::newRow("only pairs") << "/g/\U0001F600\U0001F600\U0001F600"
                                << "";
    QTest::newRow("line feed in the name") << "/g/y.gif\n"
                                           << "y.";
}

void tst_names_DisplayName::of()
{
    QFETCH(QString, path);
    QFETCH(QString, caption);
    QCOMPARE(DisplayName::of(path), caption);
}

QTEST_GUILESS_MAIN(tst_names_DisplayName)
#include "tst_names_DisplayName.moc"
