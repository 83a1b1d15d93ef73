#include "AniGIF.h"
#include "CommonDialog.h"
#include "ImageControl.h"
#include "PictureBox.h"
#include "ShapeDot.h"
#include "SkinLabel.h"
#include "SkinResources.h"
#include "frmMain.h"
#include "mdlMain.h"
#include "mdlRegion.h"

#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <memory>

namespace {

// Each control on the skin: where it lies in skin pixels, its tooltip (null: none expected) and
// whether it shows the hand cursor.
struct Expected
{
    const char *name;
    QRect place;
    const char16_t *tooltip;
    bool hand;
};

const Expected imageControls[] = {
    {"Image20(0)", {6, 3, 10, 10}, u"", true},
    {"Image19", {468, 3, 10, 10}, u"Свернуть", true},
    {"Image1", {480, 3, 10, 10}, u"Закрыть", true},
    {"Image12", {6, 366, 40, 19}, u"Добавить в лист", true},
    {"Image13", {51, 366, 37, 19}, u"Удалить выделенное", true},
    {"Image14", {96, 369, 31, 16}, u"Выделить все", true},
    {"Image15", {132, 369, 40, 13}, u"Снять выделение", true},
    {"Image20(1)", {6, 393, 10, 10}, u"", true},
    {"Image16", {456, 393, 10, 10}, u"В значек", true},
    {"Image18", {468, 393, 10, 7}, u"Свернуть", true},
    {"Image17", {480, 393, 10, 7}, u"Закрыть", true},
    {"Image8", {456, 444, 19, 16}, u"Повторение", true},
    {"Image9", {456, 468, 19, 16}, u"Просмотр файл-листа", true},
    {"Image2", {411, 498, 16, 13}, u"Выбор анимации", true},
    {"Image11", {435, 498, 22, 13}, u"Файл-лист", true},
    {"Image21", {462, 495, 23, 17}, u"", true},
    {"Image22", {456, 525, 19, 16}, u"", true},
    {"Image10", {165, 528, 13, 13}, u"Выбор звука", true},
    {"Image6", {8, 517, 23, 23}, u"Предыдущий кадр", true},
    {"Image4", {36, 517, 25, 25}, u"Проигрывание", true},
    {"Image7", {67, 517, 23, 25}, u"Пауза", true},
    {"Image3", {95, 516, 27, 26}, u"Стоп", true},
    {"Image5", {127, 516, 22, 24}, u"Следующий кадр", true},
    {"im1", {9, 500, 17, 9}, u"", false},
    {"im2", {186, 534, 17, 10}, u"", false},
};

struct ExpectedLabel
{
    const char *name;
    QRect place;
    const char *caption;
    QColor colour;
    bool counter;
};

const ExpectedLabel labels[] = {
    {"lb1", {24, 441, 25, 19}, "00", {0, 128, 0}, true},
    {"Label1", {39, 438, 25, 19}, ":", {0, 128, 0}, true},
    {"lb2", {54, 441, 25, 19}, "00", {0, 128, 0}, true},
    {"Label2(0)", {84, 444, 76, 16}, "Frames / Frame", {128, 128, 255}, false},
    {"Label3", {165, 441, 25, 19}, "01", {0, 128, 0}, true},
    {"Label5", {180, 438, 25, 19}, ":", {0, 128, 0}, true},
    {"Label4", {195, 441, 25, 19}, "00", {0, 128, 0}, true},
    {"Label2(1)", {222, 444, 76, 16}, "Loops / Loop", {128, 128, 255}, false},
    {"lblSnd", {309, 441, 136, 16}, "Sound:", {128, 128, 255}, false},
    {"lblAnim", {316, 456, 127, 16}, "Anim:", {128, 128, 255}, false},
};

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
    void window();
    void imageControls_data();
    void imageControls();
    void labels_data();
    void labels();
    void dots();
    void frameListAndDisplay();
    void menuAndTimer();
    void pressesNeverFallThrough_data();
    void pressesNeverFallThrough();
    void startUpShapesAndCentres();

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

void tst_app_frmMain::window()
{
    QVERIFY(form->windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(form->isWindow());
    QCOMPARE(form->windowTitle(), QString());
    QCOMPARE(form->size(), QSize(521, 568));
    QCOMPARE(form->minimumSize(), form->maximumSize()); // not resizable
    QCOMPARE(form->pic->geometry(), QRect(-1, -1, 496, 549));
    QCOMPARE(form->pic->picture().size(), QSize(496, 549));
    const QList<QSize> iconSizes = form->windowIcon().availableSizes();
    QVERIFY(iconSizes.contains(QSize(32, 32)));
}

void tst_app_frmMain::imageControls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("place");
    QTest::addColumn<QString>("tooltip");
    QTest::addColumn<bool>("hand");
    for (const Expected &e : ::imageControls)
        QTest::newRow(e.name) << QString::fromLatin1(e.name) << e.place
                              << QString::fromUtf16(e.tooltip) << e.hand;
}

void tst_app_frmMain::imageControls()
{
    QFETCH(QString, name);
    QFETCH(QRect, place);
    QFETCH(QString, tooltip);
    QFETCH(bool, hand);
    auto *control = form->pic->findChild<ImageControl *>(name, Qt::FindDirectChildrenOnly);
    QVERIFY2(control, qPrintable(name));
    QCOMPARE(control->geometry(), place);
    QCOMPARE(control->toolTip(), tooltip);
    QVERIFY(!control->isHidden());
    QCOMPARE(control->testAttribute(Qt::WA_SetCursor), hand);
    if (hand) {
        QCOMPARE(control->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(control->cursor().hotSpot(), QPoint(12, 1));
        QCOMPARE(control->cursor().pixmap().toImage().convertToFormat(QImage::Format_ARGB32),
                 SkinResources::handCursorImage().convertToFormat(QImage::Format_ARGB32));
    }
    // Pictures, where a control has one, are exactly its size.
    if (!control->picture().isNull())
        QCOMPARE(control->picture().size(), place.size());
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
    QCOMPARE(label->geometry(), e.place);
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

void tst_app_frmMain::dots()
{
    const std::pair<const char *, QPoint> places[] = {
        {"Sh1", {481, 449}}, {"Sh2", {481, 472}}, {"Sh3", {481, 529}}};
    for (const auto &[name, place] : places) {
        auto *dot = form->pic->findChild<ShapeDot *>(QLatin1String(name));
        QVERIFY(dot);
        QCOMPARE(dot->geometry(), QRect(place, QSize(5, 5)));
        QCOMPARE(dot->fillColor(), QColor(0, 255, 0));
        QVERIFY(dot->isHidden());
        QVERIFY(dot->testAttribute(Qt::WA_TransparentForMouseEvents));
    }
}

void tst_app_frmMain::frameListAndDisplay()
{
    PictureBox *frame = form->Picture1;
    QCOMPARE(frame->geometry(), QRect(5, 39, 486, 324));
    QCOMPARE(frame->backColor(), QColor(45, 62, 132));
    QVERIFY(frame->hasFlatBorder());
    QCOMPARE(frame->innerRect(), QRect(1, 1, 484, 322));
    QVERIFY(!frame->isHidden());
    // The frame lies above the skin, and the list above the display.
    const QObjectList &top = form->children();
    QVERIFY(top.indexOf(frame) > top.indexOf(form->pic));
    QVERIFY(frame->children().indexOf(form->FileList) > frame->children().indexOf(form->AniGIF));

    QTreeWidget *list = form->FileList;
    QCOMPARE(list->parentWidget(), frame);
    QCOMPARE(list->geometry(), QRect(1, 1, 484, 322));
    QVERIFY(list->isHidden());
    QCOMPARE(list->columnCount(), 2);
    QCOMPARE(list->headerItem()->text(0), QStringLiteral("File Name"));
    QCOMPARE(list->headerItem()->text(1), QStringLiteral("Size"));
    QCOMPARE(list->columnWidth(0), 300);
    QCOMPARE(list->columnWidth(1), 180);
    QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    QVERIFY(!list->isSortingEnabled());
    QCOMPARE(list->palette().color(QPalette::Text), QColor(0, 255, 255));
    QCOMPARE(list->palette().color(QPalette::Base), QColor(45, 62, 132));
    QVERIFY(list->font().bold());
    QVERIFY(QFontInfo(list->font()).family().contains(QLatin1String("DejaVu")));
    QVERIFY(QFontMetrics(list->font()).inFont(QChar(0x0416))); // Cyrillic

    QWidget *display = form->AniGIF;
    QCOMPARE(display->parentWidget(), frame);
    QCOMPARE(display->geometry(), QRect(QPoint(130, 58), QSize(202, 202)));
    QVERIFY(display->isHidden());
    QCOMPARE(display->palette().color(QPalette::Window), QColor(45, 62, 132));
}

void tst_app_frmMain::menuAndTimer()
{
    QMenu *menu = form->q;
    QCOMPARE(menu->title(), QStringLiteral("Повторения"));
    QCOMPARE(menu->actions().size(), 6);
    const QStringList captions{"1", "2", "3", "4", "5", "10"};
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(form->q1[i]->text(), captions[i]);
        QVERIFY(form->q1[i]->isCheckable());
        QVERIFY(!form->q1[i]->isChecked());
    }
    QVERIFY(!menu->isVisible());
    QCOMPARE(form->Timer1->interval(), 100);
    QVERIFY(!form->Timer1->isActive());
    QVERIFY(form->CDialog);
}

void tst_app_frmMain::pressesNeverFallThrough_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QPoint>("skinPoint");
    QTest::addColumn<bool>("reachesSkin");
    for (const Expected &e : ::imageControls)
        QTest::newRow(e.name) << QString::fromLatin1(e.name) << e.place.center() << false;
    for (const ExpectedLabel &e : ::labels)
        QTest::newRow(e.name) << QString::fromLatin1(e.name) << e.place.center() << false;
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

void tst_app_frmMain::startUpShapesAndCentres()
{
    form.reset(mdlMain::Main());
    QVERIFY(form->isVisible());
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QCOMPARE(form->geometry().center(), screen.center());
    QCOMPARE(form->size(), QSize(521, 568));

    // The shape holds exactly the skin's pixels that are not of the colour at (1, 1), unshifted.
    const QImage skin = SkinResources::skin().convertToFormat(QImage::Format_RGB32);
    const QRgb key = skin.pixel(1, 1);
    const QRegion mask = form->mask();
    for (int y = 0; y < 568; ++y)
        for (int x = 0; x < 521; ++x) {
            const bool inside = x < skin.width() && y < skin.height() && skin.pixel(x, y) != key;
            if (mask.contains(QPoint(x, y)) != inside)
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2)").arg(x).arg(y)));
        }
}

QTEST_MAIN(tst_app_frmMain)
#include "tst_app_frmMain.moc"
