// The least a Qt Widgets program does to show a window: the baseline that
// kvn's start-up time is compared with.

#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    window.show();
    return app.exec();
}
