#include "app/widgets/mainwindow.h"
#include "desktop/widgets/aboutwindowwidget.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KVN"));
    QApplication::setApplicationVersion(QStringLiteral("2.2"));
    // The desktop entry kvn.desktop names the program to the desktop (the
    // Wayland app id, the taskbar's icon).
    QGuiApplication::setDesktopFileName(QStringLiteral("kvn"));
    QApplication::setWindowIcon(AboutWindowWidget::icon());
    // The whole argument string is the path of the document to open.
    const QString commandLine = QApplication::arguments().mid(1).join(QLatin1Char(' '));
    MainWindow window(commandLine);
    window.show();
    return app.exec();
}
