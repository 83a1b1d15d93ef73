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
    void markerLeft_data();
    void markerLeft();
    void markerNeedsFrames();
    void centring_data();
    void centring();
    void commandLineText_data();
    void commandLineText();
};

void tst_viewer_ViewerFormulas::counterText_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0 << "00";
    QTest::newRow("7") << 7 << "07";
    QTest::newRow("10") << 10 << "10";
    QTest::newRow("123") << 123 << "123";
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

// The in-range placements are checked on the window (tst_AnimationViewer::markerAndCounters).
void tst_viewer_ViewerFormulas::markerLeft_data()
{
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("frame");
    QTest::addColumn<float>("left");
    QTest::addColumn<int>("pixel");
    QTest::newRow("1 frame") << 1 << 0 << 9.0f << 9;
    QTest::newRow("past the end") << 4 << 4 << 389.0f << 389;
    QTest::newRow("before the start") << 4 << -1 << -86.0f << -86;
}

void tst_viewer_ViewerFormulas::markerLeft()
{
    QFETCH(int, frames);
    QFETCH(int, frame);
    QFETCH(float, left);
    QFETCH(int, pixel);
    const std::optional<float> got = ViewerFormulas::markerLeft(qint16(frames), qint16(frame));
    QVERIFY(got.has_value());
    QCOMPARE(*got, left);
    QCOMPARE(ViewerFormulas::toPixel(*got), pixel);
}

void tst_viewer_ViewerFormulas::markerNeedsFrames()
{
    QVERIFY(!ViewerFormulas::markerLeft(0, 0).has_value());
    QVERIFY(!ViewerFormulas::markerLeft(0, 3).has_value());
}

// Sizes the window shows are checked there (tst_AnimationViewer::centreDisplay); these are the
// half-pixel cases.
void tst_viewer_ViewerFormulas::centring_data()
{
    QTest::addColumn<int>("outer");
    QTest::addColumn<int>("inner");
    QTest::addColumn<float>("edge");
    QTest::addColumn<int>("pixel");
    QTest::newRow("486 and 202") << 486 << 202 << 142.0f << 142;
    QTest::newRow("larger, odd") << 324 << 325 << -0.5f << 0;
    QTest::newRow("larger by three") << 324 << 327 << -1.5f << -1;
}

void tst_viewer_ViewerFormulas::centring()
{
    QFETCH(int, outer);
    QFETCH(int, inner);
    QFETCH(float, edge);
    QFETCH(int, pixel);
    QCOMPARE(ViewerFormulas::centredEdge(outer, inner), edge);
    QCOMPARE(ViewerFormulas::toPixel(edge), pixel);
}

void tst_viewer_ViewerFormulas::commandLineText_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("text");
    QTest::newRow("none") << QStringList{"quorbanex"} << "";
    QTest::newRow("one") << QStringList{"quorbanex", "/a/cat.gif"} << "/a/cat.gif";
    QTest::newRow("split at a blank")
        << QStringList{"quorbanex", "/a/my", "cat.gif"} << "/a/my cat.gif";
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
