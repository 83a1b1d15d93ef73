// qx-peer-qmovie FILE.gif: the smallest GIF viewer Qt offers, a QMovie on a QLabel, as one of
// the programs the side-by-side benchmark compares with.
#include <QApplication>
#include <QLabel>
#include <QMovie>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 2)
        return 2;
    QMovie movie(QString::fromLocal8Bit(argv[1]));
    if (!movie.isValid())
        return 1;
    QLabel label;
    label.setMovie(&movie);
    movie.start();
    label.resize(movie.currentImage().size());
    label.show();
    return app.exec();
}
