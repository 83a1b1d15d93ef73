#include "frmMain.h"

#include "AniGIF.h"
#include "AnimationList.h"
#include "AnimationViewer.h"
#include "CommonDialog.h"
#include "DisplayName.h"
#include "DroppedFiles.h"
#include "FileListRows.h"
#include "ImageControl.h"
#include "OpenFailureNote.h"
#include "PictureBox.h"
#include "PlayList.h"
#include "ShapeDot.h"
#include "SkinFonts.h"
#include "SkinLabel.h"
#include "SkinLayout.h"
#include "SkinResources.h"
#include "SoundPanel.h"
#include "TransportButtons.h"
#include "ViewerWiring.h"
#include "WholePixelInput.h"

#include <QApplication>
#include <QBackingStore>
#include <QDropEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QShortcut>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// Where each control lies on the skin, in skin pixels.
struct HotSpotPlace
{
    ImageControl *frmMain::*member;
    int index; // element of the Image20 array, or -1
    const char *name;
    QRect place;
    const char16_t *tooltip;
};

const HotSpotPlace hotSpots[] = {
    {nullptr, 0, "Image20", SkinLayout::upperEmblem, u""},
    {&frmMain::Image19, -1, "Image19", SkinLayout::upperFold, u"Свернуть"},
    {&frmMain::Image1, -1, "Image1", SkinLayout::upperClose, u"Закрыть"},
    {&frmMain::Image12, -1, "Image12", SkinLayout::addButton, u"Добавить в лист"},
    {&frmMain::Image13, -1, "Image13", SkinLayout::removeButton, u"Удалить выделенное"},
    {&frmMain::Image14, -1, "Image14", SkinLayout::selectButton, u"Выделить все"},
    {&frmMain::Image15, -1, "Image15", SkinLayout::miscButton, u"Снять выделение"},
    {nullptr, 1, "Image20", SkinLayout::lowerEmblem, u""},
    {&frmMain::Image16, -1, "Image16", SkinLayout::lowerMinimise, u"В значек"},
    {&frmMain::Image18, -1, "Image18", SkinLayout::lowerFold, u"Свернуть"},
    {&frmMain::Image17, -1, "Image17", SkinLayout::lowerClose, u"Закрыть"},
    {&frmMain::Image8, -1, "Image8", SkinLayout::repeatSwitch, u"Повторение"},
    {&frmMain::Image9, -1, "Image9", SkinLayout::listSwitch, u"Просмотр файл-листа"},
    {&frmMain::Image2, -1, "Image2", SkinLayout::ejectButton, u"Выбор анимации"},
    {&frmMain::Image11, -1, "Image11", SkinLayout::listViewButton, u"Файл-лист"},
    {&frmMain::Image21, -1, "Image21", SkinLayout::loopMenuButton, u""},
    {&frmMain::Image22, -1, "Image22", SkinLayout::soundSwitch, u""},
    {&frmMain::Image10, -1, "Image10", SkinLayout::loudspeaker, u"Выбор звука"},
};

struct TransportPlace
{
    ImageControl *frmMain::*member;
    const char *name;
    QRect place; // the picture is as large
    SkinResources::Transport picture;
    const char16_t *tooltip;
};

const TransportPlace transportButtons[] = {
    {&frmMain::Image6, "Image6", SkinLayout::previousButton, SkinResources::Transport::Previous,
     u"Предыдущий кадр"},
    {&frmMain::Image4, "Image4", SkinLayout::playButton, SkinResources::Transport::Play,
     u"Проигрывание"},
    {&frmMain::Image7, "Image7", SkinLayout::pauseButton, SkinResources::Transport::Pause,
     u"Пауза"},
    {&frmMain::Image3, "Image3", SkinLayout::stopButton, SkinResources::Transport::Stop, u"Стоп"},
    {&frmMain::Image5, "Image5", SkinLayout::nextButton, SkinResources::Transport::Next,
     u"Следующий кадр"},
};

enum class LabelStyle
{
    Counter,
    Caption
};

struct LabelPlace
{
    SkinLabel *frmMain::*member;
    int index; // element of the Label2 array, or -1
    const char *name;
    QRect place;
    const char *caption;
    LabelStyle style;
};

const LabelPlace labels[] = {
    {&frmMain::lb1, -1, "lb1", SkinLayout::frameTotal, "00", LabelStyle::Counter},
    {&frmMain::Label1, -1, "Label1", SkinLayout::frameColon, ":", LabelStyle::Counter},
    {&frmMain::lb2, -1, "lb2", SkinLayout::frameShown, "00", LabelStyle::Counter},
    {nullptr, 0, "Label2", SkinLayout::framesCaption, "Frames / Frame", LabelStyle::Caption},
    {&frmMain::Label3, -1, "Label3", SkinLayout::passesChosen, "01", LabelStyle::Counter},
    {&frmMain::Label5, -1, "Label5", SkinLayout::passColon, ":", LabelStyle::Counter},
    {&frmMain::Label4, -1, "Label4", SkinLayout::passShown, "00", LabelStyle::Counter},
    {nullptr, 1, "Label2", SkinLayout::passesCaption, "Loops / Loop", LabelStyle::Caption},
    {&frmMain::lblSnd, -1, "lblSnd", SkinLayout::soundName, "Sound:", LabelStyle::Caption},
    {&frmMain::lblAnim, -1, "lblAnim", SkinLayout::animationName, "Anim:", LabelStyle::Caption},
};

constexpr char CounterProperty[] = "counter";
constexpr char HandProperty[] = "hand";
constexpr QColor CounterColour{0, 128, 0};
constexpr QColor CaptionColour{128, 128, 255};
constexpr QColor DotColour{0, 255, 0};

QString arrayName(const char *name, int index)
{
    return index < 0 ? QString::fromLatin1(name)
                     : QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

} // namespace

frmMain::frmMain(const QString &animation, GifPrefetch *prefetch, const ListFileLocation &listFile,
                 QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString());
    setFixedSize(FirstSize);
    // Along the right and bottom edges the shape reaches one pixel past the skin; the window's
    // own background shows there. X11 cuts the window to its shape; where the window system
    // takes the shape for input only (Wayland), the window is painted transparent outside it.
    // A window with an alpha channel costs several milliseconds more to show and is blended on
    // every frame by a compositor, so X11 gets an opaque one.
    QPalette background = palette();
    background.setColor(QPalette::Window, palette().color(QPalette::Button));
    setPalette(background);
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        setAttribute(Qt::WA_TranslucentBackground);
    else
        setAttribute(Qt::WA_OpaquePaintEvent); // the skin and paintEvent cover all that shows
    setAcceptDrops(true);

    CDialog = new CommonDialog(this);
    CDialog->setObjectName(QStringLiteral("CDialog"));

    pic = new PictureBox(this);
    pic->setObjectName(QStringLiteral("pic"));
    pic->setPicture(SkinResources::skin());
    pic->move(-1, -1);

    Timer1 = new QTimer(pic);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);

    createMarkersAndDots();
    createLabels();
    createHotSpots();
    createTransport();
    createFrame();
    createMenu();

    // The labels' fonts and the icon are not needed to build the window; they are set as soon as
    // messages run, before the first paint. The cursors wait until the window has shown.
    QMetaObject::invokeMethod(this, &frmMain::applyFontsAndIcon, Qt::QueuedConnection);

    endProgram = [] { QCoreApplication::exit(0); };
    showMessage = [this](const QString &title, const QString &text) {
        QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, this);
        box.exec();
    };
    connectWindowHandling();
    connectList(listFile);
    connectSound();
    connectViewer(animation, prefetch);

    setTabOrder(Picture1, AniGIF);
    setTabOrder(AniGIF, pic);
    setTabOrder(pic, FileList);
    createShortcuts();
}

frmMain::~frmMain() = default;

void frmMain::Form_Load()
{
    animationList->loadList();
    viewer->setStartValues();
}

void frmMain::Form_Activate()
{
    viewer->showCommandLineAnimation();
}

bool frmMain::chooseFile(const QString &initDir, const QString &title, const QString &filter,
                         QString &fileName)
{
    CDialog->InitDir = initDir;
    CDialog->DialogTitle = title;
    CDialog->Filter = filter;
    if (!CDialog->ShowOpen())
        return false;
    fileName = CDialog->FileName;
    return true;
}

void frmMain::connectList(const ListFileLocation &listFile)
{
    animationList = new AnimationList(
        {playList, lblAnim, [this](bool visible) { AniGIF->setVisible(visible); }, {}}, listFile,
        this);
    connect(Image11, &ImageControl::clicked, animationList, &AnimationList::toggleList);
    connect(Image12, &ImageControl::clicked, animationList, &AnimationList::addFolder);
    connect(Image13, &ImageControl::clicked, animationList, &AnimationList::removeSelected);
    connect(Image14, &ImageControl::clicked, animationList, &AnimationList::selectAll);
    connect(Image15, &ImageControl::clicked, animationList, &AnimationList::unselectAll);
    connect(FileList, &QTreeWidget::itemClicked, animationList, &AnimationList::rowClicked);
}

void frmMain::connectViewer(const QString &animation, GifPrefetch *prefetch)
{
    AnimationViewer::Controls c;
    c.playList = playList;
    c.frame = Picture1;
    c.frameInnerOrigin = Picture1->innerRect().topLeft();
    c.display = AniGIF;
    c.lb1 = lb1;
    c.lb2 = lb2;
    c.Label3 = Label3;
    c.Label4 = Label4;
    c.lblAnim = lblAnim;
    c.im1 = im1;
    c.Sh1 = Sh1;
    c.Sh2 = Sh2;
    c.q1 = q1;
    c.chooseFile = [this](const QString &initDir, const QString &title, const QString &filter,
                          QString &fileName) {
        return chooseFile(initDir, title, filter, fileName);
    };
    c.loadReport = [this](const QString &path, bool loaded) {
        lblAnim->setToolTip(loaded ? QString() : OpenFailureNote::forAnimation(path));
    };
    c.executableDir = QCoreApplication::applicationDirPath();
    c.commandLine = animation;
    c.prefetch = prefetch;
    const ViewerWiring::Made made = ViewerWiring::make<ImageControl>(
        c, {Image2, Image8, Image9, Image3, Image4, Image5, Image6, Image7}, this);
    viewer = made.viewer;
    transport = made.transport;
    connect(animationList, &AnimationList::folderDialogClosed, this, &frmMain::Form_Activate);
}

void frmMain::connectSound()
{
    auto chooser = [this](const QString &initDir, const QString &title, const QString &filter,
                          QString &fileName) {
        return chooseFile(initDir, title, filter, fileName);
    };
    soundPanel = new SoundPanel({lblSnd, im2, Sh3, Timer1}, chooser,
                                QCoreApplication::applicationDirPath(), this);
    connect(Image10, &ImageControl::clicked, soundPanel, &SoundPanel::chooseSound);
    connect(Image22, &ImageControl::clicked, soundPanel, &SoundPanel::toggleRepeat);
    closeAllSounds = [this] { soundPanel->SoundCloseAll(); };
}

// The list's font is set the first time the list shows: set on the hidden list, it would have
// the list measure its header with a font of its own before the window's first paint.
void frmMain::applyFontsAndIcon()
{
    const QIcon icon = SkinResources::windowIcon();
    QApplication::setWindowIcon(icon); // for the dialogs and message boxes too
    setWindowIcon(icon);
    if (FileList->isHidden())
        FileList->installEventFilter(this);
    else
        FileList->setFont(SkinFonts::list());
    const QFont counterFont = SkinFonts::terminal();
    const QFont captionFont = SkinFonts::windowDefault();
    for (SkinLabel *label : pic->findChildren<SkinLabel *>())
        label->setFont(label->property(CounterProperty).toBool() ? counterFont : captionFont);
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == FileList && event->type() == QEvent::Show) {
        FileList->removeEventFilter(this);
        FileList->setFont(SkinFonts::list());
    }
    return QWidget::eventFilter(watched, event);
}

// A cursor set on a control before the window is shown makes showing it load the desktop's
// cursor theme; set afterwards, nothing is loaded until the pointer first comes over the window.
void frmMain::applyCursors()
{
    const QCursor hand = SkinResources::handCursor();
    for (ImageControl *control : pic->findChildren<ImageControl *>())
        if (control->property(HandProperty).toBool())
            control->setCursor(hand);
}

void frmMain::connectWindowHandling()
{
    connect(pic, &PictureBox::mousePressed, this,
            [this](Qt::MouseButton button, QPoint position) { pic_MouseDown(button, position); });
    connect(pic, &PictureBox::mouseMoved, this,
            [this](Qt::MouseButtons buttons, QPoint position, QPointF global) {
                pic_MouseMove(buttons, position, global);
            });
    connect(pic, &PictureBox::mouseReleased, this,
            [this](Qt::MouseButton, Qt::MouseButtons held, QPoint) { pic_MouseUp(held); });
    connect(Image16, &ImageControl::clicked, this, &frmMain::Image16_Click);
    connect(Image18, &ImageControl::clicked, this, &frmMain::Image18_Click);
    connect(Image19, &ImageControl::clicked, this, &frmMain::Image19_Click);
    connect(Image1, &ImageControl::clicked, this, &frmMain::Image1_Click);
    connect(Image17, &ImageControl::clicked, this, &frmMain::Image17_Click);
    for (int i = 0; i < 2; ++i)
        connect(Image20[i], &ImageControl::clicked, this, [this, i] { Image20_Click(i); });
    connect(Image21, &ImageControl::clicked, this, &frmMain::Image21_Click);
}

// Any press notes the grab point. Where the platform moves windows itself (Wayland), a left
// press hands the drag over to it.
void frmMain::pic_MouseDown(Qt::MouseButton button, QPointF position)
{
    m_grab = position;
    if (button == Qt::LeftButton && QGuiApplication::platformName() == QLatin1String("wayland") &&
        windowHandle())
        windowHandle()->startSystemMove();
}

// With the left button alone held, the window follows the pointer so that the grabbed point
// of the skin stays under it: the window moves by the pointer's displacement from the grab
// point. The new place is reckoned from the pointer's screen position, which stays true while
// an earlier move is still on its way to the window system. Only a gesture that began with a
// press on the skin itself drags: moves that reach the skin from a gesture begun elsewhere (a
// transport button hides its picture under the pointer) leave the window where it is.
void frmMain::pic_MouseMove(Qt::MouseButtons buttons, QPointF, QPointF globalPosition)
{
    if (buttons != Qt::LeftButton || !m_grab)
        return;
    const QPointF grabbedInWindow = *m_grab + QPointF(pic->pos());
    move((globalPosition - grabbedInWindow).toPoint());
}

// The gesture ends with the release of its last button.
void frmMain::pic_MouseUp(Qt::MouseButtons held)
{
    if (held == Qt::NoButton)
        m_grab.reset();
}

void frmMain::Image16_Click()
{
    showMinimized();
}

void frmMain::Image18_Click()
{
    setFixedHeight(height() > PartlyFoldedHeight ? PartlyFoldedHeight : UnfoldedHeight);
}

void frmMain::Image19_Click()
{
    setFixedHeight(height() > StripHeight ? StripHeight : UnfoldedHeight);
}

void frmMain::Image1_Click()
{
    if (closeAllSounds)
        closeAllSounds();
    keepTheList();
    endProgram();
}

void frmMain::Image17_Click()
{
    keepTheList();
    endProgram();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    keepTheList();
    QWidget::closeEvent(event);
}

void frmMain::keepTheList()
{
    if (animationList)
        animationList->saveChangedList();
}

QStringList frmMain::aboutLines()
{
    return {QStringLiteral("Сведения о разработке:"),
            QString(27, QLatin1Char('_')),
            QString(),
            QStringLiteral("Команда Quorbanex, 2026 — программа для Linux на Qt 6"),
            QStringLiteral("Просмотр анимации в формате GIF с прослушиванием звуков в формате: "
                           "WAV, MID, MP3"),
            QString()};
}

void frmMain::Image20_Click(int)
{
    showMessage(QStringLiteral("Quorbanex"), aboutLines().join(QLatin1Char('\n')));
}

void frmMain::Image21_Click()
{
    q->popup(QCursor::pos());
}

void frmMain::placeInFrame(QWidget *control, int x, int y) const
{
    control->move(Picture1->innerRect().topLeft() + QPoint(x, y));
}

void frmMain::createFrame()
{
    Picture1 = new PictureBox(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(QRect(QPoint(5, 39), DisplayFrameSize));
    Picture1->setBackColor(DisplayBackColor);
    Picture1->setFlatBorder(true);
    Picture1->setFocusPolicy(Qt::StrongFocus);

    // The display comes first so that the list, made after it, lies above it.
    AniGIF = new class AniGIF(Picture1);
    placeInFrame(AniGIF, 129, 57);
    AniGIF->setFocusPolicy(Qt::StrongFocus);
    AniGIF->hide();

    FileList = new QTreeWidget(Picture1);
    FileList->setObjectName(QStringLiteral("FileList"));
    FileList->resize(484, 322);
    placeInFrame(FileList, 0, 0);
    FileListRows::applyLook(FileList);
    FileList->hide();
    playList = new PlayList(FileList, this);
}

void frmMain::createHotSpots()
{
    for (const HotSpotPlace &spot : hotSpots) {
        auto *control = new ImageControl(pic);
        control->setObjectName(arrayName(spot.name, spot.index));
        control->setGeometry(spot.place);
        control->setProperty(HandProperty, true);
        control->setToolTip(QString::fromUtf16(spot.tooltip));
        if (spot.member)
            this->*spot.member = control;
        else
            Image20[spot.index] = control;
    }
}

void frmMain::createTransport()
{
    for (const TransportPlace &button : transportButtons) {
        auto *control = new ImageControl(pic);
        control->setObjectName(QString::fromLatin1(button.name));
        control->setPicture(SkinResources::transport(button.picture));
        control->move(button.place.topLeft());
        control->setProperty(HandProperty, true);
        control->setToolTip(QString::fromUtf16(button.tooltip));
        this->*button.member = control;
    }
}

void frmMain::createMarkersAndDots()
{
    im1 = new ImageControl(pic);
    im1->setObjectName(QStringLiteral("im1"));
    im1->setPicture(SkinResources::knob(1));
    im1->move(SkinLayout::progressKnob.topLeft());
    im2 = new ImageControl(pic);
    im2->setObjectName(QStringLiteral("im2"));
    im2->setPicture(SkinResources::knob(2));
    im2->move(SkinLayout::soundKnob.topLeft());

    const std::pair<ShapeDot * frmMain::*, QRect> dots[] = {
        {&frmMain::Sh1, SkinLayout::repeatSocket},
        {&frmMain::Sh2, SkinLayout::listSocket},
        {&frmMain::Sh3, SkinLayout::soundSocket}};
    int n = 1;
    for (const auto &[member, place] : dots) {
        auto *dot = new ShapeDot(DotColour, pic);
        dot->setObjectName(QStringLiteral("Sh%1").arg(n++));
        dot->setGeometry(place);
        dot->hide();
        this->*member = dot;
    }
}

void frmMain::createLabels()
{
    for (const LabelPlace &place : labels) {
        auto *label = new SkinLabel(QString::fromLatin1(place.caption), pic);
        label->setObjectName(arrayName(place.name, place.index));
        label->setGeometry(place.place);
        if (place.style == LabelStyle::Counter) {
            label->setProperty(CounterProperty, true);
            label->setForeColor(CounterColour);
            label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        } else {
            label->setForeColor(CaptionColour);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        }
        if (place.member)
            this->*place.member = label;
        else
            Label2[place.index] = label;
    }
    for (const QList<SkinLabel *> &counter :
         {QList<SkinLabel *>{lb1, Label1, lb2}, QList<SkinLabel *>{Label3, Label5, Label4}})
        for (SkinLabel *label : counter)
            label->fitTogether(counter, &SkinFonts::terminalToFit);
}

void frmMain::createMenu()
{
    q = new QMenu(QStringLiteral("Повторения"), this);
    q->setObjectName(QStringLiteral("q"));
    const char *counts[] = {"1", "2", "3", "4", "5", "10"};
    for (int i = 0; i < 6; ++i) {
        q1[i] = q->addAction(QString::fromLatin1(counts[i]));
        q1[i]->setObjectName(QStringLiteral("q1(%1)").arg(i));
        q1[i]->setCheckable(true);
    }
}

// Each key clicks the button it stands for, so it runs exactly that button's handlers. Space
// clicks pause while an animation plays and play otherwise.
void frmMain::createShortcuts()
{
    const std::pair<QKeySequence, ImageControl * frmMain::*> keys[] = {
        {QKeySequence(Qt::Key_Left), &frmMain::Image6},
        {QKeySequence(Qt::Key_Right), &frmMain::Image5},
        {QKeySequence(Qt::Key_Home), &frmMain::Image3},
        {QKeySequence(Qt::Key_L), &frmMain::Image11},
        {QKeySequence(Qt::Key_Delete), &frmMain::Image13},
        {QKeySequence(Qt::CTRL | Qt::Key_A), &frmMain::Image14},
        {QKeySequence(Qt::CTRL | Qt::Key_O), &frmMain::Image2},
        {QKeySequence(Qt::CTRL | Qt::Key_Q), &frmMain::Image1},
    };
    for (const auto &key : keys) {
        auto *shortcut = new QShortcut(key.first, this);
        ImageControl *frmMain::*const button = key.second;
        connect(shortcut, &QShortcut::activated, this,
                [this, button] { (this->*button)->clickFromKeyboard(); });
    }
    auto *space = new QShortcut(QKeySequence(Qt::Key_Space), this);
    connect(space, &QShortcut::activated, this,
            [this] { (AniGIF->isPlaying() ? Image7 : Image4)->clickFromKeyboard(); });
    // Enter plays the list's current row, as a click and a double click on it would.
    for (const QKeySequence &key :
         {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter | Qt::KeypadModifier)}) {
        auto *enter = new QShortcut(key, this);
        connect(enter, &QShortcut::activated, this, [this] {
            QTreeWidgetItem *row = FileList->currentItem();
            if (!FileList->isVisible() || !row)
                return;
            emit FileList->itemClicked(row, 0);
            emit FileList->itemDoubleClicked(row, 0);
        });
    }
}

bool frmMain::event(QEvent *event)
{
    if (event->type() == QEvent::Show || event->type() == QEvent::WinIdChange)
        WholePixelInput::install(windowHandle());
    if (event->type() == QEvent::Show && !m_cursorsSet) {
        m_cursorsSet = true;
        QMetaObject::invokeMethod(this, &frmMain::applyCursors, Qt::QueuedConnection);
    }
    return QWidget::event(event);
}

// The window's own colour where the shape reaches past the skin: the skin covers the rest.
void frmMain::paintEvent(QPaintEvent *event)
{
    faultInBackingStore();
    QPainter painter(this);
    QRegion area = event->region() - pic->geometry();
    if (!mask().isEmpty())
        area &= mask();
    for (const QRect &rect : area)
        painter.fillRect(rect, palette().color(QPalette::Window));
}

// A new backing store is painted whole at once. Its pages are brought in by one call rather
// than one page fault each, which on a virtual machine costs several microseconds a page: a
// millisecond or more of the first frame. Where the call is unknown it fails and nothing changes.
void frmMain::faultInBackingStore()
{
#ifdef MADV_POPULATE_WRITE
    QPaintDevice *device = backingStore() ? backingStore()->paintDevice() : nullptr;
    if (!device || device->devType() != QInternal::Image)
        return;
    const auto *image = static_cast<const QImage *>(device);
    if (image->constBits() == m_faultedInStore)
        return;
    m_faultedInStore = image->constBits();
    const auto pageSize = quintptr(sysconf(_SC_PAGESIZE));
    const auto first = quintptr(image->constBits()) & ~(pageSize - 1);
    const auto end = quintptr(image->constBits()) + quintptr(image->sizeInBytes());
    madvise(reinterpret_cast<void *>(first), end - first, MADV_POPULATE_WRITE);
#endif
}

void frmMain::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls() && DroppedFiles::mayAccept(event->mimeData()->urls()))
        event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent *event)
{
    if (!event->mimeData()->hasUrls())
        return;
    event->acceptProposedAction();
    dropFiles(event->mimeData()->urls());
}

void frmMain::dropFiles(const QList<QUrl> &urls)
{
    const DroppedFiles::Contents contents = DroppedFiles::sort(urls);
    if (!contents.sound.isEmpty()) {
        soundPanel->playSound(contents.sound);
        return;
    }
    for (const QString &path : contents.animations)
        FileListRows::addListRow(FileList, DisplayName::of(path), path);
    keepTheList();
}
