#include "app/widgets/mainwindow.h"
#include "desktop/widgets/aboutwindowwidget.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KVN"));
    QApplication::setApplicationVersion(QStringLiteral("2.2"));
    // The desktop entry kvn.desktop names the program to the desktop (the
    // Wayland app id, the taskbar's icon).
    QGuiApplication::setDesktopFileName(QStringLiteral("kvn"));
    // The whole argument string is the path of the document to open.
    const QString commandLine = QApplication::arguments().mid(1).join(QLatin1Char(' '));
    MainWindow window(commandLine);
    window.show();
    // Drawing the icon loads the SVG support, which would hold up the first
    // window by several milliseconds; the icon follows as soon as it is up.
    QTimer::singleShot(0, [] { QApplication::setWindowIcon(AboutWindowWidget::icon()); });
    return app.exec();
}
