#include "ImageControl.h"
#include "PictureBox.h"
#include "frmMain.h"

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>
#include <memory>

namespace {

void sendMouse(QWidget *widget, QEvent::Type type, QPoint local, Qt::MouseButton button,
               Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(local), QPointF(widget->mapToGlobal(local)), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

} // namespace

class tst_app_WindowHandling : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void drag_data();
    void drag();
    void grabbedPointStaysUnderThePointer();
    void onlyAPressOnTheSkinDrags();
    void fold_data();
    void fold();
    void minimise();
    void closeButtons();
    void aboutMessage();
    void passCountMenu();

private:
    std::unique_ptr<frmMain> form;
    QStringList calls;
};

void tst_app_WindowHandling::init()
{
    form = std::make_unique<frmMain>();
    calls.clear();
    form->endProgram = [this] { calls << "end"; };
    form->closeAllSounds = [this] { calls << "close all"; };
    form->showMessage = [this](const QString &title, const QString &text) {
        calls << "message" << title << text;
    };
    form->move(100, 80);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
}

void tst_app_WindowHandling::cleanup()
{
    form.reset();
}

void tst_app_WindowHandling::drag_data()
{
    QTest::addColumn<Qt::MouseButton>("pressed");
    QTest::addColumn<Qt::MouseButtons>("held");
    QTest::addColumn<QPoint>("moved");
    QTest::newRow("left") << Qt::LeftButton << Qt::MouseButtons(Qt::LeftButton) << QPoint(30, 10);
    QTest::newRow("right") << Qt::RightButton << Qt::MouseButtons(Qt::RightButton) << QPoint();
    QTest::newRow("left and right")
        << Qt::LeftButton << Qt::MouseButtons(Qt::LeftButton | Qt::RightButton) << QPoint();
    QTest::newRow("none") << Qt::LeftButton << Qt::MouseButtons() << QPoint();
    QTest::newRow("middle") << Qt::MiddleButton << Qt::MouseButtons(Qt::MiddleButton) << QPoint();
}

// Dragging the skin 30 pixels right and 10 down moves the window by as much, and only with the
// left button held alone.
void tst_app_WindowHandling::drag()
{
    QFETCH(Qt::MouseButton, pressed);
    QFETCH(Qt::MouseButtons, held);
    QFETCH(QPoint, moved);
    const QPoint start = form->pos();
    const QPoint grab(250, 395);
    sendMouse(form->pic, QEvent::MouseButtonPress, grab, pressed, pressed);
    sendMouse(form->pic, QEvent::MouseMove, grab + QPoint(30, 10), Qt::NoButton, held);
    QCOMPARE(form->pos(), start + moved);
}

// A right press resets the grab point; later left drags keep the grabbed point under the
// pointer, however many moves come.
void tst_app_WindowHandling::grabbedPointStaysUnderThePointer()
{
    const QPoint start = form->pos();
    sendMouse(form->pic, QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton, Qt::LeftButton);
    sendMouse(form->pic, QEvent::MouseButtonPress, {200, 390}, Qt::RightButton,
              Qt::LeftButton | Qt::RightButton);
    const QPoint grabbedOnScreen = form->pic->mapToGlobal(QPoint(200, 390));
    QPoint pointer = grabbedOnScreen;
    for (const QPoint step : {QPoint(5, 0), QPoint(7, 3), QPoint(-2, 11), QPoint(20, -4)}) {
        pointer += step;
        sendMouse(form->pic, QEvent::MouseMove, form->pic->mapFromGlobal(pointer), Qt::NoButton,
                  Qt::LeftButton);
        QCOMPARE(form->pic->mapToGlobal(QPoint(200, 390)), pointer);
    }
    QCOMPARE(form->pos(), start + (pointer - grabbedOnScreen));
}

// Moves that reach the skin with the left button held but no press on it under way (a transport
// button hides its picture under the pointer and hands them over) leave the window in place.
void tst_app_WindowHandling::onlyAPressOnTheSkinDrags()
{
    const QPoint start = form->pos();
    sendMouse(form->pic, QEvent::MouseMove, {260, 400}, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(form->pos(), start);
    sendMouse(form->pic, QEvent::MouseButtonPress, {250, 395}, Qt::LeftButton, Qt::LeftButton);
    sendMouse(form->pic, QEvent::MouseButtonRelease, {250, 395}, Qt::LeftButton, Qt::NoButton);
    sendMouse(form->pic, QEvent::MouseMove, {260, 400}, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(form->pos(), start);
}

void tst_app_WindowHandling::fold_data()
{
    QTest::addColumn<QString>("clicks");
    QTest::addColumn<QList<int>>("heights");
    QTest::newRow("18 folds, then unfolds") << "18 18" << QList<int>{406, 549};
    QTest::newRow("19 folds, then unfolds") << "19 19" << QList<int>{17, 549};
    QTest::newRow("19 from partly folded") << "18 19" << QList<int>{406, 17};
    QTest::newRow("18 on the strip unfolds in full") << "19 18" << QList<int>{17, 549};
    QTest::newRow("19 after unfolding") << "18 18 19 19" << QList<int>{406, 549, 17, 549};
}

// Each fold button compares with its own height, strictly greater; only the height changes.
void tst_app_WindowHandling::fold()
{
    QFETCH(QString, clicks);
    QFETCH(QList<int>, heights);
    QCOMPARE(form->height(), 568);
    const QPoint place = form->pos();
    const QStringList buttons = clicks.split(' ');
    for (int i = 0; i < buttons.size(); ++i) {
        ImageControl *button = buttons[i] == "18" ? form->Image18 : form->Image19;
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(form->height(), heights[i]);
        QCOMPARE(form->width(), 521);
        QCOMPARE(form->pos(), place);
    }
}

void tst_app_WindowHandling::minimise()
{
    QTest::mouseClick(form->Image16, Qt::LeftButton);
    QTRY_VERIFY(form->isMinimized());
    QCOMPARE(form->height(), 568);
}

void tst_app_WindowHandling::closeButtons()
{
    QTest::mouseClick(form->Image17, Qt::LeftButton);
    QCOMPARE(calls, QStringList{"end"});
    calls.clear();
    QTest::mouseClick(form->Image1, Qt::LeftButton);
    QCOMPARE(calls, (QStringList{"close all", "end"}));
    calls.clear();
    // A press that leaves the button before it is released is no click.
    QTest::mousePress(form->Image1, Qt::LeftButton);
    QTest::mouseRelease(form->Image1, Qt::LeftButton, {}, QPoint(40, 40));
    QVERIFY(calls.isEmpty());
}

// Either emblem shows the about message under the program's name.
void tst_app_WindowHandling::aboutMessage()
{
    for (ImageControl *emblem : form->Image20) {
        calls.clear();
        QTest::mouseClick(emblem, Qt::LeftButton);
        QCOMPARE(calls.size(), 3);
        QCOMPARE(calls[1], QStringLiteral("Quorbanex"));
        const QStringList lines = calls[2].split('\n');
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines[0], QStringLiteral("Сведения о разработке:"));
        QCOMPARE(lines[1], QString(27, '_'));
        QVERIFY(lines[2].isEmpty() && !lines[3].isEmpty() && lines[5].isEmpty());
        QCOMPARE(lines[4], QStringLiteral("Просмотр анимации в формате GIF с прослушиванием звуков "
                                          "в формате: WAV, MID, MP3"));
    }
}

void tst_app_WindowHandling::passCountMenu()
{
    QTest::mouseClick(form->Image21, Qt::LeftButton);
    QTRY_VERIFY(form->q->isVisible());
    form->q->close();
}

QTEST_MAIN(tst_app_WindowHandling)
#include "tst_app_WindowHandling.moc"
