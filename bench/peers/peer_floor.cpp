// qx-peer-floor [--bare | --with-list] FILE.gif: the least a Qt Widgets program does to show
// Quorbanex's window with an animation in it, as a lower bound for the side-by-side benchmark. A
// frameless window of the same size paints the same skin, writes the same captions in the same
// fonts and plays the animation with a QMovie on a QLabel at the display's place. It leaves out
// all the rest: the window's shape, the list, the buttons, the sound, the counters' updates.
// Two variants tell what parts of the window cost: --bare writes no captions (no fonts are
// loaded), --with-list adds a hidden list of two columns, as the window holds its play list.
#include "SkinFonts.h"
#include "SkinLayout.h"
#include "SkinResources.h"

#include <QApplication>
#include <QLabel>
#include <QMovie>
#include <QPaintEvent>
#include <QPainter>
#include <QTreeWidget>
#include <QWidget>
#include <span>

namespace {

class Window : public QWidget
{
public:
    Window() { setAttribute(Qt::WA_OpaquePaintEvent); }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPainter painter(this);
        painter.drawImage(event->rect().topLeft(), m_skin, event->rect().translated(1, 1));
    }

private:
    QImage m_skin = SkinResources::skin();
};

struct Caption
{
    QRect place;
    const char *text;
    bool counter;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString variant = argc == 3 ? QString::fromLatin1(argv[1]) : QString();
    if ((argc != 2 && argc != 3) || !(variant.isEmpty() || variant == QLatin1String("--bare") ||
                                      variant == QLatin1String("--with-list")))
        return 2;
    QMovie movie(QString::fromLocal8Bit(argv[argc - 1]));
    if (!movie.isValid())
        return 1;
    Window window;
    window.setWindowFlags(Qt::FramelessWindowHint);
    window.setFixedSize(521, 568);
    const Caption captions[] = {{SkinLayout::frameTotal, "200", true},
                                {SkinLayout::frameColon, ":", true},
                                {SkinLayout::frameShown, "00", true},
                                {SkinLayout::framesCaption, "Frames / Frame", false},
                                {SkinLayout::passesChosen, "01", true},
                                {SkinLayout::passColon, ":", true},
                                {SkinLayout::passShown, "00", true},
                                {SkinLayout::passesCaption, "Loops / Loop", false},
                                {SkinLayout::soundName, "Sound:", false},
                                {SkinLayout::animationName, "Anim: mid", false}};
    for (const Caption &caption :
         variant == QLatin1String("--bare") ? std::span<const Caption>() : std::span(captions)) {
        auto *label = new QLabel(QString::fromLatin1(caption.text), &window);
        label->setGeometry(caption.place.translated(-1, -1));
        label->setFont(caption.counter ? SkinFonts::terminal() : SkinFonts::windowDefault());
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText,
                         caption.counter ? QColor(0, 128, 0) : QColor(128, 128, 255));
        label->setPalette(palette);
    }
    auto *view = new QLabel(&window);
    view->setMovie(&movie);
    movie.start();
    view->setGeometry(QRect(QPoint(6, 40), QSize(484, 322)));
    view->setAlignment(Qt::AlignCenter);
    QPalette palette = view->palette();
    palette.setColor(QPalette::Window, QColor(45, 62, 132));
    view->setPalette(palette);
    view->setAutoFillBackground(true);
    if (variant == QLatin1String("--with-list")) {
        auto *list = new QTreeWidget(&window);
        list->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Size")});
        list->setGeometry(view->geometry());
        list->hide();
    }
    window.show();
    return app.exec();
}
