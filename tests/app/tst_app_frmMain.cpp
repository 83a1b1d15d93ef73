#include "AniGIF.h"
#include "CommonDialog.h"
#include "ImageControl.h"
#include "PictureBox.h"
#include "ShapeDot.h"
#include "SkinLabel.h"
#include "SkinResources.h"
#include "TestGifs.h"
#include "frmMain.h"
#include "mdlMain.h"

#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <memory>

namespace {

// Each control on the skin, its tooltip and whether it shows the hand cursor.
struct Expected
{
    const char *name;
    const char16_t *tooltip;
    bool hand;
};

const Expected imageControls[] = {
    {"Image20(0)", u"", true},
    {"Image19", u"Свернуть", true},
    {"Image1", u"Закрыть", true},
    {"Image12", u"Добавить в лист", true},
    {"Image13", u"Удалить выделенное", true},
    {"Image14", u"Выделить все", true},
    {"Image15", u"Снять выделение", true},
    {"Image20(1)", u"", true},
    {"Image16", u"В значек", true},
    {"Image18", u"Свернуть", true},
    {"Image17", u"Закрыть", true},
    {"Image8", u"Повторение", true},
    {"Image9", u"Просмотр файл-листа", true},
    {"Image2", u"Выбор анимации", true},
    {"Image11", u"Файл-лист", true},
    {"Image21", u"", true},
    {"Image22", u"", true},
    {"Image10", u"Выбор звука", true},
    {"Image6", u"Предыдущий кадр", true},
    {"Image4", u"Проигрывание", true},
    {"Image7", u"Пауза", true},
    {"Image3", u"Стоп", true},
    {"Image5", u"Следующий кадр", true},
    {"im1", u"", false},
    {"im2", u"", false},
};

struct ExpectedLabel
{
    const char *name;
    const char *caption;
    QColor colour;
    bool counter;
};

const ExpectedLabel labels[] = {
    {"lb1", "00", {0, 128, 0}, true},
    {"Label1", ":", {0, 128, 0}, true},
    {"lb2", "00", {0, 128, 0}, true},
    {"Label2(0)", "Frames / Frame", {128, 128, 255}, false},
    {"Label3", "01", {0, 128, 0}, true},
    {"Label5", ":", {0, 128, 0}, true},
    {"Label4", "00", {0, 128, 0}, true},
    {"Label2(1)", "Loops / Loop", {128, 128, 255}, false},
    {"lblSnd", "Sound:", {128, 128, 255}, false},
    {"lblAnim", "Anim:", {128, 128, 255}, false},
};

QImage skinPixels()
{
    return SkinResources::skin().convertToFormat(QImage::Format_RGB32);
}

// Whether `place` lies on the skin's shape and holds an element painted across it: both its
// top and bottom lines, or both its left and right lines (or all four), show a colour that the
// ring of pixels just outside the place lacks.
bool spansPaintedElement(const QImage &skin, const QRect &place, bool bothWays = false)
{
    const QRgb key = skin.pixel(1, 1);
    for (int y = place.top(); y <= place.bottom(); ++y)
        for (int x = place.left(); x <= place.right(); ++x)
            if (skin.pixel(x, y) == key)
                return false;
    const QRect outer = place.adjusted(-1, -1, 1, 1);
    QSet<QRgb> ring;
    for (int x = outer.left(); x <= outer.right(); ++x)
        ring << skin.pixel(x, outer.top()) << skin.pixel(x, outer.bottom());
    for (int y = outer.top(); y <= outer.bottom(); ++y)
        ring << skin.pixel(outer.left(), y) << skin.pixel(outer.right(), y);
    auto painted = [&](QPoint from, QPoint step, int n) {
        for (int i = 0; i < n; ++i)
            if (!ring.contains(skin.pixel(from + i * step)))
                return true;
        return false;
    };
    const bool across = painted(place.topLeft(), {0, 1}, place.height()) &&
                        painted(place.topRight(), {0, 1}, place.height());
    const bool down = painted(place.topLeft(), {1, 0}, place.width()) &&
                      painted(place.bottomLeft(), {1, 0}, place.width());
    return bothWays ? across && down : across || down;
}

// How many pixels of `picture` the skin repeats with the picture's corner at `at`.
int pixelsAlike(const QImage &picture, const QImage &skin, QPoint at)
{
    int n = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            n += picture.pixel(x, y) == skin.pixel(at + QPoint(x, y));
    return n;
}

// Skin pixel (x, y) lies at window pixel (x - 1, y - 1).
QPoint windowPoint(QPoint skinPoint)
{
    return skinPoint - QPoint(1, 1);
}

} // namespace

class tst_app_frmMain : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void imageControls_data();
    void imageControls();
    void labels_data();
    void labels();
    void dots();
    void windowFrameListAndMenu();
    void pressesNeverFallThrough_data();
    void pressesNeverFallThrough();
    void startUpShowsTheNamedAnimationAtOnce();

private:
    std::unique_ptr<frmMain> form;
};

void tst_app_frmMain::init()
{
    form = std::make_unique<frmMain>();
    QCoreApplication::sendPostedEvents(form.get()); // fonts and icon follow right after creation
    form->endProgram = [] {};
    form->showMessage = [](const QString &, const QString &) {};
    form->CDialog->setChooser([](const CommonDialog &) { return QString(); }); // cancels
}

void tst_app_frmMain::cleanup()
{
    form.reset();
}

void tst_app_frmMain::imageControls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("tooltip");
    QTest::addColumn<bool>("hand");
    for (const Expected &e : ::imageControls)
        QTest::newRow(e.name) << QString::fromLatin1(e.name) << QString::fromUtf16(e.tooltip)
                              << e.hand;
}

void tst_app_frmMain::imageControls()
{
    QFETCH(QString, name);
    QFETCH(QString, tooltip);
    QFETCH(bool, hand);
    auto *control = form->pic->findChild<ImageControl *>(name, Qt::FindDirectChildrenOnly);
    QVERIFY2(control, qPrintable(name));
    const QRect place = control->geometry();
    QCOMPARE(control->toolTip(), tooltip);
    QVERIFY(!control->isHidden());
    QVERIFY(!control->testAttribute(Qt::WA_SetCursor)); // cursors follow the window's showing
    form->show();
    QCoreApplication::sendPostedEvents(form.get());
    QCOMPARE(control->testAttribute(Qt::WA_SetCursor), hand);
    if (hand) {
        QCOMPARE(control->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(control->cursor().hotSpot(), QPoint(12, 1));
        QCOMPARE(control->cursor().pixmap().toImage().convertToFormat(QImage::Format_ARGB32),
                 SkinResources::handCursorImage().convertToFormat(QImage::Format_ARGB32));
    }
    // A picture, where a control has one, is exactly its size and was cut from the skin at that
    // place: its corners show the skin around the button, and nowhere near does the skin repeat
    // more of it. Without one, the control covers the element painted there.
    const QImage skin = skinPixels();
    if (!control->picture().isNull()) {
        const QImage picture = control->picture().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(picture.size(), place.size());
        const QPoint corners[] = {{0, 0},
                                  {place.width() - 1, 0},
                                  {0, place.height() - 1},
                                  {place.width() - 1, place.height() - 1}};
        for (QPoint c : corners)
            QCOMPARE(picture.pixel(c), skin.pixel(place.topLeft() + c));
        for (QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)})
            QVERIFY(pixelsAlike(picture, skin, place.topLeft()) >=
                    pixelsAlike(picture, skin, place.topLeft() + d));
    } else {
        QVERIFY(spansPaintedElement(skin, place));
    }
    const bool hasPicture =
        name.startsWith(QLatin1String("im")) ||
        QStringList{"Image3", "Image4", "Image5", "Image6", "Image7"}.contains(name);
    QCOMPARE(!control->picture().isNull(), hasPicture);
}

void tst_app_frmMain::labels_data()
{
    QTest::addColumn<int>("row");
    for (int i = 0; i < int(std::size(::labels)); ++i)
        QTest::newRow(::labels[i].name) << i;
}

void tst_app_frmMain::labels()
{
    QFETCH(int, row);
    const ExpectedLabel &e = ::labels[row];
    auto *label = form->pic->findChild<SkinLabel *>(QLatin1String(e.name));
    QVERIFY(label);
    // The label lies over the bare dot pattern of the lower display: every pixel under it
    // repeats two pixels to its right.
    const QImage skin = skinPixels();
    const QRect place = label->geometry();
    for (int y = place.top(); y <= place.bottom(); ++y)
        for (int x = place.left(); x <= place.right(); ++x)
            if (skin.pixel(x, y) != skin.pixel(x + 2, y))
                QFAIL(qPrintable(QStringLiteral("skin pixel (%1, %2)").arg(x).arg(y)));
    QCOMPARE(label->text(), QLatin1String(e.caption));
    QCOMPARE(label->foreColor(), e.colour);
    QVERIFY(!label->autoFillBackground());
    QVERIFY(!label->isHidden());
    QCOMPARE(label->focusPolicy(), Qt::NoFocus);
    QCOMPARE(label->font().bold(), e.counter);
    QCOMPARE(bool(label->alignment() & Qt::AlignHCenter), e.counter);
    QCOMPARE(bool(label->alignment() & Qt::AlignLeft), !e.counter);
    if (e.counter)
        QVERIFY(QFontInfo(label->font()).fixedPitch());
}

// The dots cover the sockets painted for them.
void tst_app_frmMain::dots()
{
    for (const char *name : {"Sh1", "Sh2", "Sh3"}) {
        auto *dot = form->pic->findChild<ShapeDot *>(QLatin1String(name));
        QVERIFY(dot);
        QVERIFY2(spansPaintedElement(skinPixels(), dot->geometry(), true), name);
        QVERIFY(dot->isHidden());
        QVERIFY(dot->testAttribute(Qt::WA_TransparentForMouseEvents));
    }
}

// A frameless window of fixed size with its icon; the list lies over the display in the frame,
// inside its border, both hidden; the pass-count menu offers its counts, none ticked yet.
void tst_app_frmMain::windowFrameListAndMenu()
{
    QVERIFY(form->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(form->minimumSize(), form->maximumSize());
    QVERIFY(form->windowIcon().availableSizes().contains(QSize(32, 32)));

    PictureBox *frame = form->Picture1;
    QVERIFY(frame->hasFlatBorder());
    QVERIFY(!frame->isHidden());
    const QObjectList &top = form->children();
    QVERIFY(top.indexOf(frame) > top.indexOf(form->pic));
    QVERIFY(frame->children().indexOf(form->FileList) > frame->children().indexOf(form->AniGIF));
    QTreeWidget *list = form->FileList;
    QCOMPARE(list->parentWidget(), frame);
    QCOMPARE(list->geometry(), frame->innerRect());
    QVERIFY(list->isHidden());
    QCOMPARE(list->headerItem()->text(0), QStringLiteral("File Name"));
    QCOMPARE(list->headerItem()->text(1), QStringLiteral("Size"));
    QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    QVERIFY(!list->isSortingEnabled());
    form->show();
    list->show(); // the list's font is set as it first shows
    QVERIFY(list->font().bold());
    QVERIFY(QFontInfo(list->font()).family().contains(QLatin1String("DejaVu")));
    QVERIFY(QFontMetrics(list->font()).inFont(QChar(0x0416))); // Cyrillic
    QCOMPARE(form->AniGIF->parentWidget(), frame);
    QVERIFY(form->AniGIF->isHidden());

    QCOMPARE(form->q->title(), QStringLiteral("Повторения"));
    QStringList captions;
    for (QAction *entry : form->q->actions()) {
        captions << entry->text();
        QVERIFY(entry->isCheckable() && !entry->isChecked());
    }
    QCOMPARE(captions, QStringList({"1", "2", "3", "4", "5", "10"}));
    QVERIFY(!form->Timer1->isActive());
}

void tst_app_frmMain::pressesNeverFallThrough_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QPoint>("skinPoint"); // none: the middle of the control
    QTest::addColumn<bool>("reachesSkin");
    for (const Expected &e : ::imageControls)
        QTest::newRow(e.name) << QString::fromLatin1(e.name) << QPoint() << false;
    for (const ExpectedLabel &e : ::labels)
        QTest::newRow(e.name) << QString::fromLatin1(e.name) << QPoint() << false;
    QTest::newRow("frame") << QStringLiteral("Picture1") << QPoint(250, 200) << false;
    QTest::newRow("dot") << QStringLiteral("Sh1") << QPoint(483, 451) << true;
    QTest::newRow("bare skin") << QStringLiteral("pic") << QPoint(250, 395) << true;
}

// Press, move a few pixels, release, through the window as the platform delivers them, so that
// the hit test decides: only a gesture begun on the bare skin reaches it and drags the window.
void tst_app_frmMain::pressesNeverFallThrough()
{
    QFETCH(QString, name);
    QFETCH(QPoint, skinPoint);
    QFETCH(bool, reachesSkin);
    form->Sh1->show();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QSignalSpy skinPresses(form->pic, &PictureBox::mousePressed);
    if (skinPoint.isNull()) {
        auto *control = form->pic->findChild<QWidget *>(name);
        QVERIFY(control);
        skinPoint = control->geometry().center();
    }
    const QPoint point = windowPoint(skinPoint);
    QWidget *target = form->childAt(point);
    QVERIFY(target);
    QCOMPARE(target->objectName(), reachesSkin ? QStringLiteral("pic") : name);
    std::unique_ptr<QSignalSpy> presses;
    if (auto *image = qobject_cast<ImageControl *>(target))
        presses = std::make_unique<QSignalSpy>(image, &ImageControl::mousePressed);
    const QPoint place = form->pos();
    QTest::mousePress(form->windowHandle(), Qt::LeftButton, {}, point);
    QTest::mouseMove(form->windowHandle(), point + QPoint(3, 2));
    QTest::mouseRelease(form->windowHandle(), Qt::LeftButton, {}, point + QPoint(3, 2));
    QCOMPARE(skinPresses.size(), reachesSkin ? 1 : 0);
    if (!reachesSkin)
        QCOMPARE(form->pos(), place);
    if (presses)
        QCOMPARE(presses->size(), 1);
}

// An animation named on the command line is in the window's first paint: when the window
// shows, it is loaded, shown and centred, and its name and frame total are written.
void tst_app_frmMain::startUpShowsTheNamedAnimationAtOnce()
{
    QTemporaryDir dir;
    const QString path = TestGifs::writeFile(dir.filePath(QStringLiteral("cat.gif")),
                                             TestGifs::plainAnimation(QSize(40, 30), 12, false));
    struct AtFirstShow : QObject
    {
        bool seen = false, displayShown = false;
        QPoint displayPlace;
        QString name, total;
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            auto *window = qobject_cast<frmMain *>(watched);
            if (window && event->type() == QEvent::Show && !seen) {
                seen = true;
                displayShown = window->AniGIF->isVisibleTo(window);
                displayPlace = window->AniGIF->pos();
                name = window->lblAnim->text();
                total = window->lb1->text();
            }
            return false;
        }
    } atFirstShow;
    qApp->installEventFilter(&atFirstShow);
    form.reset(mdlMain::Main(path));
    qApp->removeEventFilter(&atFirstShow);
    QVERIFY(atFirstShow.seen);
    QVERIFY(atFirstShow.displayShown);
    QCOMPARE(atFirstShow.displayPlace,
             QPoint(1 + (486 - 40) / 2, 1 + (324 - 30) / 2)); // inside the border
    QCOMPARE(atFirstShow.name, QStringLiteral("Anim: cat"));
    QCOMPARE(atFirstShow.total, QStringLiteral("12"));
}

QTEST_MAIN(tst_app_frmMain)
#include "tst_app_frmMain.moc"
