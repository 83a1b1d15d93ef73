#include "ViewerFixture.h"

#include <QSignalSpy>
#include <QtTest>

// The transport buttons pressed with the mouse on stand-in controls wired as in the main window.
class tst_viewer_TransportButtons : public QObject
{
    Q_OBJECT

private slots:
    void pressActsAndLooksPressed_data();
    void pressActsAndLooksPressed();
    void releaseElsewhereRestoresTheButton();
    void stopWhilePlayingRewinds();
    void stepsNeitherWrapNorClamp_data();
    void stepsNeitherWrapNorClamp();
    void buttonsWithoutAnAnimation();

private:
    static QPoint centreOf(const ViewerFixture &f, QWidget *button)
    {
        return button->mapTo(f.window.get(), button->rect().center());
    }
};

void tst_viewer_TransportButtons::pressActsAndLooksPressed_data()
{
    QTest::addColumn<int>("button"); // 0 .. 4: Image3 .. Image7
    QTest::addColumn<Qt::MouseButton>("mouse");
    QTest::addColumn<int>("frame");
    QTest::addColumn<int>("marker");
    QTest::addColumn<QString>("frameText");
    const std::pair<Qt::MouseButton, const char *> mice[] = {
        {Qt::LeftButton, "left"}, {Qt::RightButton, "right"}, {Qt::MiddleButton, "middle"}};
    // Four frames, halted on frame 2 (marker 199, "02").
    for (const auto &[mouse, name] : mice) {
        QTest::addRow("stop, %s", name) << 0 << mouse << 0 << 9 << "00";
        QTest::addRow("play, %s", name) << 1 << mouse << 2 << 199 << "02";
        QTest::addRow("next, %s", name) << 2 << mouse << 3 << 294 << "03";
        QTest::addRow("previous, %s", name) << 3 << mouse << 1 << 104 << "01";
        QTest::addRow("pause, %s", name) << 4 << mouse << 2 << 199 << "02";
    }
}

void tst_viewer_TransportButtons::pressActsAndLooksPressed()
{
    QFETCH(int, button);
    QFETCH(Qt::MouseButton, mouse);
    QFETCH(int, frame);
    QFETCH(int, marker);
    QFETCH(QString, frameText);
    ViewerFixture f;
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    f.chooserAnswer = f.gif("four.gif", {20, 20}, 4);
    f.viewer->chooseAnimation();
    f.display->Stop();
    f.showFrame(2);

    const std::array<QWidget *, 5> buttons{f.Image3, f.Image4, f.Image5, f.Image6, f.Image7};
    QWidget *image = buttons[size_t(button)];
    const QPoint at = centreOf(f, image);
    QTest::mousePress(f.window->windowHandle(), mouse, {}, at);
    QVERIFY(image->isHidden());
    QCOMPARE(f.display->Frame(), qint16(frame));
    QCOMPARE(f.im1->pos(), QPoint(marker, 500));
    QCOMPARE(f.lb2->text(), frameText);
    QTest::qWait(20);
    QVERIFY(image->isHidden());
    QTest::mouseRelease(f.window->windowHandle(), mouse, {}, at);
    QTRY_VERIFY(!image->isHidden());
    for (QWidget *other : buttons)
        QVERIFY(!other->isHidden());
}

void tst_viewer_TransportButtons::releaseElsewhereRestoresTheButton()
{
    ViewerFixture f;
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    QTest::mousePress(f.window->windowHandle(), Qt::LeftButton, {}, centreOf(f, f.Image5));
    QVERIFY(f.Image5->isHidden());
    QTest::mouseMove(f.window->windowHandle(), QPoint(300, 450));
    QVERIFY(f.Image5->isHidden());
    QTest::mouseRelease(f.window->windowHandle(), Qt::LeftButton, {}, QPoint(300, 450));
    QTRY_VERIFY(!f.Image5->isHidden());

    // The release slot alone does it too, and a second release is harmless.
    f.transport->pausePressed();
    QVERIFY(f.Image7->isHidden());
    f.transport->pauseReleased();
    f.transport->pauseReleased();
    QVERIFY(!f.Image7->isHidden());
}

void tst_viewer_TransportButtons::stopWhilePlayingRewinds()
{
    ViewerFixture f;
    f.chooserAnswer = f.gif("four.gif", {20, 20}, 4, 2);
    f.viewer->toggleRepeat(); // endless
    QSignalSpy reports(f.display, &AniGIF::FrameChanged);
    f.viewer->chooseAnimation();
    QTRY_VERIFY(reports.count() >= 3);
    f.transport->stopPressed();
    f.transport->stopReleased();
    QCOMPARE(f.display->Frame(), qint16(0));
    QCOMPARE(f.im1->pos(), QPoint(9, 500));
    QCOMPARE(f.lb2->text(), QStringLiteral("00"));
    const auto seen = reports.count();
    QTest::qWait(200);
    QCOMPARE(reports.count(), seen);
    QCOMPARE(f.display->Frame(), qint16(0));
}

void tst_viewer_TransportButtons::stepsNeitherWrapNorClamp_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("delta");
    QTest::addColumn<int>("frame");
    QTest::addColumn<int>("marker");
    QTest::addColumn<int>("loopCounter");
    QTest::newRow("previous from the first") << 0 << -1 << 0 << 9 << 0;
    QTest::newRow("previous") << 3 << -1 << 2 << 199 << 0;
    QTest::newRow("next onto the last") << 2 << +1 << 3 << 294 << 1;
    QTest::newRow("next from the last") << 3 << +1 << 3 << 294 << 1;
}

// The display keeps the written number within its frames; the frame-change routine runs after
// every step, and a step that lands on the last frame counts a pass as playback does.
void tst_viewer_TransportButtons::stepsNeitherWrapNorClamp()
{
    QFETCH(int, from);
    QFETCH(int, delta);
    QFETCH(int, frame);
    QFETCH(int, marker);
    QFETCH(int, loopCounter);
    ViewerFixture f;
    f.chooserAnswer = f.gif("four.gif", {20, 20}, 4);
    f.viewer->chooseAnimation();
    f.viewer->choosePasses(1);
    f.display->Stop();
    f.display->setFrame(qint16(from));
    f.lb2->setText("xx");
    if (delta > 0)
        f.transport->nextPressed();
    else
        f.transport->previousPressed();
    QCOMPARE(int(f.display->Frame()), frame);
    QCOMPARE(f.im1->pos(), QPoint(marker, 500));
    QCOMPARE(f.lb2->text(), ViewerFormulas::counterText(frame));
    QCOMPARE(int(f.viewer->loopCounter()), loopCounter);
}

void tst_viewer_TransportButtons::buttonsWithoutAnAnimation()
{
    ViewerFixture f;
    f.im1->move(50, 500);
    f.transport->nextPressed();
    f.transport->previousPressed();
    f.transport->playPressed();
    f.transport->pausePressed();
    QCOMPARE(f.im1->pos(), QPoint(50, 500)); // no frames: the routine changes nothing
    QCOMPARE(f.lb2->text(), QStringLiteral("00"));
    f.transport->stopPressed();
    QCOMPARE(f.im1->pos(), QPoint(9, 500));
    QCOMPARE(f.display->Frame(), qint16(0));
    f.transport->stopReleased();
    QVERIFY(!f.Image3->isHidden());
}

QTEST_MAIN(tst_viewer_TransportButtons)
#include "tst_viewer_TransportButtons.moc"
