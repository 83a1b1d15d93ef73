#include "ViewerFormulas.h"

#include <QtTest>

class tst_viewer_ViewerFormulas : public QObject
{
    Q_OBJECT

private slots:
    void counterText_data();
    void counterText();
    void addChecked_data();
    void addChecked();
    void commandLineText_data();
    void commandLineText();
};

void tst_viewer_ViewerFormulas::counterText_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("text");
    // Counters of one, two and three digits are checked on the window (tst_AnimationViewer).
    QTest::newRow("32767") << 32767 << "32767";
    QTest::newRow("-5") << -5 << "-05";
    QTest::newRow("-32768") << -32768 << "-32768";
}

void tst_viewer_ViewerFormulas::counterText()
{
    QFETCH(int, value);
    QFETCH(QString, text);
    QCOMPARE(ViewerFormulas::counterText(value), text);
}

void tst_viewer_ViewerFormulas::addChecked_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("delta");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<int>("result");
    QTest::newRow("up") << 5 << 1 << true << 6;
    QTest::newRow("down to -1") << 0 << -1 << true << -1;
    QTest::newRow("to the top") << 32766 << 1 << true << 32767;
    QTest::newRow("past the top") << 32767 << 1 << false << 32767;
    QTest::newRow("to the bottom") << -32767 << -1 << true << -32768;
    QTest::newRow("past the bottom") << -32768 << -1 << false << -32768;
}

void tst_viewer_ViewerFormulas::addChecked()
{
    QFETCH(int, value);
    QFETCH(int, delta);
    QFETCH(bool, fits);
    QFETCH(int, result);
    qint16 out = qint16(value);
    QCOMPARE(ViewerFormulas::addChecked(qint16(value), delta, out), fits);
    QCOMPARE(int(out), result);
}

void tst_viewer_ViewerFormulas::commandLineText_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("text");
    // No path, one path and a path split at its blank are shown on the window
    // (tst_AnimationViewer::commandLine).
    QTest::newRow("quotes kept") << QStringList{"quorbanex", "\"x\""} << "\"x\"";
    QTest::newRow("empty list") << QStringList{} << "";
}

void tst_viewer_ViewerFormulas::commandLineText()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, text);
    QCOMPARE(ViewerFormulas::commandLineText(arguments), text);
}

QTEST_APPLESS_MAIN(tst_viewer_ViewerFormulas)
#include "tst_viewer_ViewerFormulas.moc"
