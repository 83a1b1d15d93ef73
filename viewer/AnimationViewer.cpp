#include "AnimationViewer.h"

#include "AniGIF.h"
#include "GifPrefetch.h"
#include "PlayList.h"
#include "ViewerFormulas.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QTreeWidget>
#include <limits>

AnimationViewer::AnimationViewer(const Controls &controls, QObject *parent)
    : QObject(parent), m_playList(controls.playList), m_frame(controls.frame),
      m_frameInnerOrigin(controls.frameInnerOrigin), m_display(controls.display),
      m_lb1(controls.lb1), m_lb2(controls.lb2), m_Label3(controls.Label3),
      m_Label4(controls.Label4), m_lblAnim(controls.lblAnim), m_im1(controls.im1),
      m_Sh1(controls.Sh1), m_Sh2(controls.Sh2), m_chooseFile(controls.chooseFile),
      m_executableDir(controls.executableDir), m_commandLine(controls.commandLine),
      m_prefetch(controls.prefetch), m_letMessagesRun(controls.letMessagesRun),
      m_loadReport(controls.loadReport)
{
    for (size_t i = 0; i < m_q1.size(); ++i)
        m_q1[i] = controls.q1[i];
}

void AnimationViewer::setStartValues()
{
    if (m_display)
        m_display->setLoops(1);
    if (m_q1[0])
        m_q1[0]->setChecked(true);
}

void AnimationViewer::showCommandLineAnimation()
{
    if (m_commandLine.isEmpty())
        return;
    QString name;
    if (!ViewerFormulas::displayName(m_commandLine, name))
        return;
    setAnimationName(name);
    if (!letMessagesRun(1))
        return;
    showAnimation(m_commandLine);
}

void AnimationViewer::showClickedRow()
{
    if (!listView() || clickedRowNumber() == 0)
        return;
    listView()->hide();
    if (!letMessagesRun(1))
        return;
    const int row = clickedRowNumber();
    if (row == 0)
        return;
    const Shown shown = showAnimation(m_playList->fullPath(row));
    if (shown == Shown::ViewerGone)
        return;
    if (shown == Shown::NotLoaded) {
        // Nothing to show: the list stays in view rather than an empty frame.
        if (QWidget *list = listView())
            list->show();
        return;
    }
    const int shownRow = clickedRowNumber();
    if (shownRow > 0 && shownRow <= std::numeric_limits<qint16>::max())
        m_currentIndex = qint16(shownRow);
}

void AnimationViewer::chooseAnimation()
{
    if (!m_chooseFile)
        return;
    QString fileName;
    if (!m_chooseFile(m_executableDir + QStringLiteral("/gif"), kDialogTitle, kDialogFilter,
                      fileName))
        return;
    QString name;
    if (!ViewerFormulas::displayName(fileName, name))
        return;
    setAnimationName(name);
    if (!letMessagesRun(1))
        return;
    showAnimation(fileName);
}

void AnimationViewer::centreDisplay()
{
    if (!m_frame || !m_display)
        return;
    const float left = ViewerFormulas::centredEdge(m_frame->width(), m_display->width());
    m_display->move(m_frameInnerOrigin.x() + ViewerFormulas::toPixel(left), m_display->y());
    const float top = ViewerFormulas::centredEdge(m_frame->height(), m_display->height());
    m_display->move(m_display->x(), m_frameInnerOrigin.y() + ViewerFormulas::toPixel(top));
}

// Marker, frame and pass labels for the frame on show; at the last frame, one pass counted
// (when more than one is asked for) and, once the passes are done and the play-list switch is
// on, the next row of the list. Reaching or passing the pass count both count as done, so a
// count lowered in the menu below the passes already made still moves on.
void AnimationViewer::frameChanged()
{
    if (!m_display || !markFrameOnShow())
        return;
    qint16 pass = 0;
    if (!ViewerFormulas::addChecked(m_loopCounter, 1, pass))
        return;
    setLabel(m_Label4, pass);

    if (atLastFrame() && m_display->Loops() > 1) {
        qint16 counted = 0;
        if (!ViewerFormulas::addChecked(m_loopCounter, 1, counted))
            return;
        m_loopCounter = counted;
        if (m_loopCounter < m_display->Loops())
            return;
        m_loopCounter = 0;
    }
    if (!m_Sh2 || m_Sh2->isHidden() || !atLastFrame())
        return;
    advanceToNextRow();
}

// Loads the row after the one on show (after the last row, row 1), rewinds, centres and plays
// it, letting messages run between the steps. A row that cannot be loaded is passed over; after
// one lap without a loadable row, or with an empty list, nothing is loaded.
void AnimationViewer::advanceToNextRow()
{
    if (!ViewerFormulas::addChecked(m_currentIndex, 1, m_currentIndex))
        m_currentIndex = 1; // past the last row a 16-bit number reaches
    if (!letMessagesRun(1))
        return;
    for (int failed = 0;;) {
        const int rows = m_playList ? m_playList->rowCount() : 0;
        if (rows == 0 || !m_display)
            return;
        if (m_currentIndex > rows)
            m_currentIndex = 1;
        if (loadFile(m_playList ? m_playList->fullPath(m_currentIndex) : QString()))
            break;
        if (++failed >= rows) {
            showNothing();
            return;
        }
        if (!ViewerFormulas::addChecked(m_currentIndex, 1, m_currentIndex))
            m_currentIndex = 1;
    }
    if (!letMessagesRun(3) || !m_display)
        return;
    m_display->setFrame(ViewerFormulas::kRewindFrame);
    setLabel(m_lb1, m_display->FrameCount());
    markFrameOnShow();
    if (!letMessagesRun(3))
        return;
    centreDisplay();
    if (!letMessagesRun(3) || !m_display)
        return;
    m_display->Play();
}

void AnimationViewer::toggleRepeat()
{
    if (!m_Sh1)
        return;
    if (m_Sh1->isHidden()) {
        m_Sh1->show();
        if (m_Sh2)
            m_Sh2->hide();
        if (m_display)
            m_display->setLoops(0);
    } else {
        if (m_display)
            m_display->setLoops(1);
        m_Sh1->hide();
    }
}

void AnimationViewer::togglePlayList()
{
    if (!m_Sh2)
        return;
    if (!m_Sh2->isHidden()) {
        m_Sh2->hide();
        return;
    }
    m_Sh2->show();
    if (m_Sh1)
        m_Sh1->hide();
    for (const QPointer<QAction> &entry : m_q1) {
        if (!entry || !entry->isChecked())
            continue;
        bool isNumber = false;
        const qint16 passes = entry->text().remove(QLatin1Char('&')).toShort(&isNumber);
        if (isNumber && m_display)
            m_display->setLoops(passes);
    }
}

void AnimationViewer::choosePasses(int index)
{
    if (index < 0 || index >= int(m_q1.size()))
        return;
    for (const QPointer<QAction> &entry : m_q1) {
        if (entry)
            entry->setChecked(false);
    }
    const QPointer<QAction> &chosen = m_q1[size_t(index)];
    if (!chosen)
        return;
    chosen->setChecked(true);
    bool isNumber = false;
    const qint16 passes = chosen->text().remove(QLatin1Char('&')).toShort(&isNumber);
    if (!isNumber || !m_display)
        return;
    m_display->setLoops(passes);
    setLabel(m_Label3, m_display->Loops());
}

// Returns false when the viewer was deleted while the messages ran.
bool AnimationViewer::letMessagesRun(int times)
{
    const QPointer<AnimationViewer> self(this);
    for (int i = 0; i < times && self; ++i) {
        if (m_letMessagesRun)
            m_letMessagesRun();
        else
            QCoreApplication::processEvents();
    }
    return !self.isNull();
}

// The show sequence; when the file cannot be loaded nothing after the load is done.
AnimationViewer::Shown AnimationViewer::showAnimation(const QString &path)
{
    if (!m_display || !loadFile(path)) {
        showNothing();
        return Shown::NotLoaded;
    }
    setLabel(m_lb1, m_display->FrameCount());
    markFrameOnShow();
    // Centred before it shows, so it is never drawn at its old place first.
    centreDisplay();
    m_display->show();
    if (!letMessagesRun(3))
        return Shown::ViewerGone;
    centreDisplay();
    return letMessagesRun(3) ? Shown::Yes : Shown::ViewerGone;
}

// A file that does not load leaves the display empty.
bool AnimationViewer::loadFile(const QString &path)
{
    const bool loaded = m_display->LoadFile(path, m_prefetch ? m_prefetch->take(path) : nullptr);
    if (m_loadReport)
        m_loadReport(path, loaded);
    return loaded;
}

// With the display left empty, the counters and the marker show the values they have while
// nothing is shown, not those of the animation shown before.
void AnimationViewer::showNothing()
{
    setLabel(m_lb1, 0);
    setLabel(m_lb2, 0);
    setLabel(m_Label4, 0);
    if (m_im1)
        m_im1->move(ViewerFormulas::kMarkerHome, m_im1->y());
}

// The progress marker and the frame label for the frame on show, so that a newly shown
// animation never appears with the frame number of the one before; false when nothing is shown.
bool AnimationViewer::markFrameOnShow()
{
    if (!m_display)
        return false;
    const std::optional<float> left =
        ViewerFormulas::markerLeft(m_display->FrameCount(), m_display->Frame());
    if (!left)
        return false;
    if (m_im1)
        m_im1->move(ViewerFormulas::toPixel(*left), m_im1->y());
    setLabel(m_lb2, m_display->Frame());
    return true;
}

bool AnimationViewer::atLastFrame() const
{
    return m_display && m_display->Frame() == m_display->FrameCount() - 1;
}

QWidget *AnimationViewer::listView() const
{
    return m_playList ? m_playList->view() : nullptr;
}

int AnimationViewer::clickedRowNumber() const
{
    return m_playList ? m_playList->clickedRowNumber() : 0;
}

// QLabel and QWidget::move ignore a value they already have, so nothing repaints for it.
void AnimationViewer::setLabel(QLabel *label, int value)
{
    if (label)
        label->setText(ViewerFormulas::counterText(value));
}

void AnimationViewer::setAnimationName(const QString &name)
{
    if (m_lblAnim)
        m_lblAnim->setText(QStringLiteral("Anim: ") + name);
}
