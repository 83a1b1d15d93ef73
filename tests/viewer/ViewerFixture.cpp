#include "ViewerFixture.h"

#include "TestGifs.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMouseEvent>

PressButton::PressButton(QWidget *parent, QRect place) : QWidget(parent)
{
    setGeometry(place);
}

void PressButton::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    emit mousePressed(event->button(), event->position().toPoint());
}

void PressButton::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    emit mouseReleased(event->button(), event->position().toPoint());
}

namespace {
QLabel *label(QWidget *pic, QRect place, const char *caption)
{
    auto *l = new QLabel(QString::fromLatin1(caption), pic);
    l->setGeometry(place);
    return l;
}
} // namespace

ViewerFixture::ViewerFixture(const QString &commandLine, std::function<void()> letMessagesRun)
{
    window = std::make_unique<QWidget>();
    window->setFixedSize(521, 568);
    pic = new QWidget(window.get());
    pic->setGeometry(-1, -1, 496, 549);

    lb1 = label(pic, {24, 441, 25, 19}, "00");
    lb2 = label(pic, {54, 441, 25, 19}, "00");
    Label3 = label(pic, {165, 441, 25, 19}, "01");
    Label4 = label(pic, {195, 441, 25, 19}, "00");
    lblAnim = label(pic, {316, 456, 127, 16}, "Anim:");
    im1 = new QWidget(pic);
    im1->setGeometry(9, 500, 17, 9);
    Sh1 = new QWidget(pic);
    Sh1->setGeometry(481, 449, 5, 5);
    Sh1->hide();
    Sh2 = new QWidget(pic);
    Sh2->setGeometry(481, 472, 5, 5);
    Sh2->hide();
    Image6 = new PressButton(pic, {8, 517, 23, 23});
    Image4 = new PressButton(pic, {36, 517, 25, 25});
    Image7 = new PressButton(pic, {67, 517, 23, 25});
    Image3 = new PressButton(pic, {95, 516, 27, 26});
    Image5 = new PressButton(pic, {127, 516, 22, 24});

    // The frame with its one-pixel border: the display first, the list over it.
    Picture1 = new QWidget(window.get());
    Picture1->setGeometry(5, 39, 486, 324);
    display = new AniGIF(Picture1);
    display->move(1 + 129, 1 + 57);
    FileList = new QTreeWidget(Picture1);
    FileList->setGeometry(1, 1, 484, 322);
    FileList->setColumnCount(2);
    FileList->setRootIsDecorated(false);
    FileList->hide();

    q = new QMenu(QStringLiteral("Повторения"), window.get());
    const char *counts[] = {"1", "2", "3", "4", "5", "10"};
    for (int i = 0; i < 6; ++i) {
        q1[size_t(i)] = q->addAction(QString::fromLatin1(counts[i]));
        q1[size_t(i)]->setCheckable(true);
    }

    AnimationViewer::Controls controls;
    controls.fileList = FileList;
    controls.frame = Picture1;
    controls.frameInnerOrigin = QPoint(1, 1);
    controls.display = display;
    controls.lb1 = lb1;
    controls.lb2 = lb2;
    controls.Label3 = Label3;
    controls.Label4 = Label4;
    controls.lblAnim = lblAnim;
    controls.im1 = im1;
    controls.Sh1 = Sh1;
    controls.Sh2 = Sh2;
    controls.q1 = q1;
    controls.executableDir = QStringLiteral("/opt/quorbanex");
    controls.commandLine = commandLine;
    controls.letMessagesRun = std::move(letMessagesRun);
    controls.chooseFile = [this](const QString &initDir, const QString &title,
                                 const QString &filter, QString &fileName) {
        asked = {initDir, title, filter, asked.calls + 1};
        if (chooserAccepts)
            fileName = chooserAnswer;
        return chooserAccepts;
    };
    viewer = new AnimationViewer(controls, window.get());

    TransportButtons::Controls buttons;
    buttons.display = display;
    buttons.im1 = im1;
    buttons.lb2 = lb2;
    buttons.Image3 = Image3;
    buttons.Image4 = Image4;
    buttons.Image5 = Image5;
    buttons.Image6 = Image6;
    buttons.Image7 = Image7;
    buttons.frameChanged = [v = viewer] { v->frameChanged(); };
    transport = new TransportButtons(buttons, window.get());

    // The main window's wiring.
    QObject::connect(display, &AniGIF::FrameChanged, viewer, &AnimationViewer::frameChanged);
    QObject::connect(FileList, &QTreeWidget::itemClicked, viewer, &AnimationViewer::setClickedItem);
    QObject::connect(FileList, &QTreeWidget::itemDoubleClicked, viewer,
                     &AnimationViewer::showClickedRow);
    for (int i = 0; i < 6; ++i)
        QObject::connect(q1[size_t(i)], &QAction::triggered, viewer,
                         [v = viewer, i] { v->choosePasses(i); });
    const std::pair<PressButton *,
                    std::pair<void (TransportButtons::*)(), void (TransportButtons::*)()>>
        presses[] = {
            {Image3, {&TransportButtons::stopPressed, &TransportButtons::stopReleased}},
            {Image4, {&TransportButtons::playPressed, &TransportButtons::playReleased}},
            {Image5, {&TransportButtons::nextPressed, &TransportButtons::nextReleased}},
            {Image6, {&TransportButtons::previousPressed, &TransportButtons::previousReleased}},
            {Image7, {&TransportButtons::pausePressed, &TransportButtons::pauseReleased}},
        };
    for (const auto &[button, handlers] : presses) {
        QObject::connect(button, &PressButton::mousePressed, transport, handlers.first);
        QObject::connect(button, &PressButton::mouseReleased, transport, handlers.second);
    }

    viewer->setStartValues();
    window->show();
}

ViewerFixture::~ViewerFixture() = default;

QString ViewerFixture::gif(const QString &name, QSize size, int frames, int delayCs)
{
    return TestGifs::writeFile(dir.filePath(name),
                               TestGifs::plainAnimation(size, frames, false, delayCs));
}

QString ViewerFixture::missing(const QString &name) const
{
    return dir.filePath(name);
}

QTreeWidgetItem *ViewerFixture::addRow(const QString &path)
{
    auto *row = new QTreeWidgetItem(FileList);
    row->setText(0, QFileInfo(path).completeBaseName());
    row->setText(1, QStringLiteral("1 kb"));
    row->setData(0, Qt::UserRole, path);
    return row;
}

void ViewerFixture::doubleClickRow(int number)
{
    viewer->setClickedItem(FileList->topLevelItem(number - 1));
    viewer->showClickedRow();
}

void ViewerFixture::showFrame(int frame)
{
    display->setFrame(qint16(frame));
    viewer->frameChanged();
}

void ViewerFixture::playPasses(int passes)
{
    for (int p = 0; p < passes; ++p) {
        const int count = display->FrameCount();
        for (int f = 0; f < count; ++f)
            showFrame(f);
    }
}
