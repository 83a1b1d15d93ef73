#include "ViewerFixture.h"

#include "DisplayName.h"
#include "FileListRows.h"
#include "SkinLayout.h"
#include "TestGifs.h"
#include "ViewerWiring.h"

#include <QCoreApplication>
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
    if (rect().contains(event->position().toPoint()))
        emit clicked();
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

    lb1 = label(pic, SkinLayout::frameTotal, "00");
    lb2 = label(pic, SkinLayout::frameShown, "00");
    Label3 = label(pic, SkinLayout::passesChosen, "01");
    Label4 = label(pic, SkinLayout::passShown, "00");
    lblAnim = label(pic, SkinLayout::animationName, "Anim:");
    im1 = new QWidget(pic);
    im1->setGeometry(SkinLayout::progressKnob);
    Sh1 = new QWidget(pic);
    Sh1->setGeometry(SkinLayout::repeatSocket);
    Sh1->hide();
    Sh2 = new QWidget(pic);
    Sh2->setGeometry(SkinLayout::listSocket);
    Sh2->hide();
    Image6 = new PressButton(pic, SkinLayout::previousButton);
    Image4 = new PressButton(pic, SkinLayout::playButton);
    Image7 = new PressButton(pic, SkinLayout::pauseButton);
    Image3 = new PressButton(pic, SkinLayout::stopButton);
    Image5 = new PressButton(pic, SkinLayout::nextButton);

    // The frame with its one-pixel border: the display first, the list over it.
    Picture1 = new QWidget(window.get());
    Picture1->setGeometry(5, 39, 486, 324);
    display = new AniGIF(Picture1);
    display->move(1 + 129, 1 + 57);
    FileList = new QTreeWidget(Picture1);
    FileList->setGeometry(1, 1, 484, 322);
    FileListRows::applyLook(FileList);
    FileList->hide();

    q = new QMenu(QStringLiteral("Повторения"), window.get());
    const char *counts[] = {"1", "2", "3", "4", "5", "10"};
    for (int i = 0; i < 6; ++i) {
        q1[size_t(i)] = q->addAction(QString::fromLatin1(counts[i]));
        q1[size_t(i)]->setCheckable(true);
    }

    playList = new PlayList(FileList, window.get());
    AnimationViewer::Controls controls;
    controls.playList = playList;
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
    const ViewerWiring::Made made = ViewerWiring::make<PressButton>(
        controls, {nullptr, nullptr, nullptr, Image3, Image4, Image5, Image6, Image7},
        window.get());
    viewer = made.viewer;
    transport = made.transport;

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
    FileListRows::addListRow(FileList, DisplayName::of(path), path);
    return FileListRows::row(FileList, FileListRows::rowCount(FileList));
}

void ViewerFixture::doubleClickRow(int number)
{
    playList->setClickedRow(FileListRows::row(FileList, number));
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
