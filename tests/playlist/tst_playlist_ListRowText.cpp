#include "ListRowText.h"

#include <QTest>
#include <limits>

class tst_playlist_ListRowText : public QObject
{
    Q_OBJECT

private slots:
    void sizeText_data();
    void sizeText();
    void sizeTextFollowsDefaultLocale();
};

void tst_playlist_ListRowText::sizeText_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("withPoint"); // and with a comma where a locale writes one

    QTest::newRow("fraction") << qint64(12345) << "12.345 kb";
    QTest::newRow("whole") << qint64(12000) << "12 kb";
    QTest::newRow("below one") << qint64(500) << "0.5 kb";
    QTest::newRow("thousandths") << qint64(7) << "0.007 kb";
    QTest::newRow("one byte") << qint64(1) << "0.001 kb";
    QTest::newRow("empty file") << qint64(0) << "0 kb";
    QTest::newRow("no grouping") << qint64(1536000) << "1536 kb";
    QTest::newRow("a.gif of 1024 bytes") << qint64(1024) << "1.024 kb";
    QTest::newRow("no grouping in fraction") << qint64(1234567890) << "1234567.89 kb";
    QTest::newRow("2 GiB") << qint64(2147483648) << "2147483.648 kb";
    QTest::newRow("over 4 GB") << qint64(5000000001) << "5000000.001 kb";
    QTest::newRow("16 digits rounded to 15") << qint64(1234567890123456) << "1234567890123.46 kb";
    QTest::newRow("rounding carries into a new digit")
        << qint64(999999999999999999) << "1000000000000000 kb";
    QTest::newRow("largest length, no exponent")
        << std::numeric_limits<qint64>::max() << "9223372036854780 kb";
}

void tst_playlist_ListRowText::sizeText()
{
    QFETCH(qint64, bytes);
    QFETCH(QString, withPoint);
    const QString withComma = QString(withPoint).replace(u'.', u',');

    QCOMPARE(ListRowText::sizeText(bytes, QLocale(QLocale::English, QLocale::UnitedStates)),
             withPoint);
    QCOMPARE(ListRowText::sizeText(bytes, QLocale(QLocale::Russian, QLocale::Russia)), withComma);
    QCOMPARE(ListRowText::sizeText(bytes, QLocale(QLocale::German, QLocale::Germany)), withComma);
    QCOMPARE(ListRowText::sizeText(bytes, QLocale::c()), withPoint);
}

void tst_playlist_ListRowText::sizeTextFollowsDefaultLocale()
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const QString comma = ListRowText::sizeText(500);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    const QString point = ListRowText::sizeText(500);
    QLocale::setDefault(before);

    QCOMPARE(comma, QStringLiteral("0,5 kb"));
    QCOMPARE(point, QStringLiteral("0.5 kb"));
}

QTEST_GUILESS_MAIN(tst_playlist_ListRowText)
#include "tst_playlist_ListRowText.moc"
