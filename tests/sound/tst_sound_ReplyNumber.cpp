#include "MediaCommandTarget.h"
#include "ReplyNumber.h"
#include "SoundOverflowError.h"
#include "mdlSound.h"

#include <QStringList>
#include <QTest>

namespace {

// Records every command and answers with canned raw buffer contents: `reply` is copied into
// the buffer as it stands (zero characters included), or the buffer is left alone on failure.
class FakeTarget : public MediaCommandTarget
{
public:
    QStringList commands;
    QString reply;
    bool fail = false;
    int seenCapacity = -1;
    bool bufferWasZeroed = false;

    int sendString(const QString &command, QChar *buffer, int capacity) override
    {
        commands << command;
        seenCapacity = capacity;
        bufferWasZeroed =
            std::all_of(buffer, buffer + capacity, [](QChar c) { return c.isNull(); });
        if (fail)
            return 1;
        for (qsizetype i = 0; i < reply.size() && i < capacity; ++i)
            buffer[i] = reply[i];
        return 0;
    }
};

} // namespace

class tst_sound_ReplyNumber : public QObject
{
    Q_OBJECT

private slots:
    void readNumber_data();
    void readNumber();
    void readNumberOverflow_data();
    void readNumberOverflow();
    void sendStripsEveryZeroCharacter_data();
    void sendStripsEveryZeroCharacter();
};

void tst_sound_ReplyNumber::readNumber_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("value");
    QTest::newRow("digits") << "12345" << 12345;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("blanks only") << "   " << 0;
    QTest::newRow("leading blanks") << "  42" << 42;
    QTest::newRow("blanks inside digits") << "1 2 3" << 123;
    QTest::newRow("tab and line feed") << "\t1\n0" << 10;
    QTest::newRow("trailing text") << "250ms" << 250;
    QTest::newRow("text only") << "playing" << 0;
    QTest::newRow("plus") << "+7" << 7;
    QTest::newRow("minus") << "-15" << -15;
    QTest::newRow("minus blank") << "- 15" << -15;
    QTest::newRow("sign alone") << "-" << 0;
    QTest::newRow("two signs") << "+-5" << 0;
    QTest::newRow("decimal") << "12.25" << 12;
    QTest::newRow("leading point") << ".75" << 1;
    QTest::newRow("trailing point") << "8." << 8;
    QTest::newRow("second point stops") << "1.2.9" << 1;
    QTest::newRow("half to even, down") << "2.5" << 2;
    QTest::newRow("half to even, up") << "3.5" << 4;
    QTest::newRow("half, zero") << "0.5" << 0;
    QTest::newRow("negative half") << "-2.5" << -2;
    QTest::newRow("negative one and a half") << "-1.5" << -2;
    QTest::newRow("just over half") << "2.5000001" << 3;
    QTest::newRow("exponent") << "1.5e3" << 1500;
    QTest::newRow("exponent D") << "2D2" << 200;
    QTest::newRow("exponent sign") << "25E-1" << 2;
    QTest::newRow("exponent without digits") << "7e" << 7;
    QTest::newRow("exponent sign without digits") << "7e+" << 7;
    QTest::newRow("point then exponent") << "3.e2" << 300;
    QTest::newRow("tiny") << "1e-400" << 0;
    QTest::newRow("zero with huge exponent") << "0e999" << 0;
    QTest::newRow("hex prefix is not a number") << "&H10" << 0;
    QTest::newRow("largest") << "2147483647" << 2147483647;
    QTest::newRow("smallest") << "-2147483648" << int(-2147483647 - 1);
    QTest::newRow("largest plus a fraction") << "2147483647.4" << 2147483647;
    QTest::newRow("smallest, half to even") << "-2147483648.5" << int(-2147483647 - 1);
    QTest::newRow("leading zeros") << "000123" << 123;
    QTest::newRow("full-width digits are not digits") << "１２" << 0;
}

void tst_sound_ReplyNumber::readNumber()
{
    QFETCH(QString, reply);
    QFETCH(int, value);
    QCOMPARE(ReplyNumber::read(reply), value);
}

void tst_sound_ReplyNumber::readNumberOverflow_data()
{
    QTest::addColumn<QString>("reply");
    QTest::newRow("2^31") << "2147483648";
    QTest::newRow("below -2^31") << "-2147483649";
    QTest::newRow("rounds up past the top") << "2147483647.5";
    QTest::newRow("long digits") << "99999999999999999999";
    QTest::newRow("exponent") << "3e10";
    QTest::newRow("beyond double") << "1e400";
    QTest::newRow("negative beyond double") << "-1e400";
}

void tst_sound_ReplyNumber::readNumberOverflow()
{
    QFETCH(QString, reply);
    QVERIFY_THROWS_EXCEPTION(SoundOverflowError, ReplyNumber::read(reply));
    // It is an overflow_error to callers that do not know the sound module's own type.
    QVERIFY_THROWS_EXCEPTION(std::overflow_error, ReplyNumber::read(reply));
}

void tst_sound_ReplyNumber::sendStripsEveryZeroCharacter_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "1500"
                           << "1500";
    QTest::newRow("zeros inside too") << QString::fromUtf16(u"12\0\0003", 5) << "123";
    QTest::newRow("blanks kept") << QString::fromUtf16(u" 1 \0 2 ", 7) << " 1  2 ";
    QTest::newRow("only zeros") << QString(10, QChar(0)) << "";
    QTest::newRow("full buffer") << QString(255, u'7') << QString(255, u'7');
}

void tst_sound_ReplyNumber::sendStripsEveryZeroCharacter()
{
    QFETCH(QString, raw);
    QFETCH(QString, expected);
    FakeTarget target;
    target.reply = raw;
    mdlSound sound(target);
    QCOMPARE(sound.SoundSend(QStringLiteral("status med length")), expected);
    QCOMPARE(target.seenCapacity, 255);
    QVERIFY(target.bufferWasZeroed);
}

QTEST_GUILESS_MAIN(tst_sound_ReplyNumber)
#include "tst_sound_ReplyNumber.moc"
