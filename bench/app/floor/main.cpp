// The floor for start-up time: the least a frameless Qt window program does before it maps.
#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    window.resize(521, 568);
    window.show();
    return app.exec();
}
