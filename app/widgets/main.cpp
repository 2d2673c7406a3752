#include "app/startarguments.h"
#include "app/widgets/mainwindow.h"
#include "desktop/widgets/aboutwindowwidget.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    // --help and --version answer before any window, so they need no display.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const StartArguments start = StartArguments::parse(arguments);
    if (start.action != StartArguments::Action::Open) {
        const QString text = start.action == StartArguments::Action::Help ? StartArguments::usage()
                                                                          : StartArguments::version() + QLatin1Char('\n');
        std::fputs(text.toLocal8Bit().constData(), stdout);
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KVN"));
    QApplication::setApplicationVersion(QStringLiteral("2.2"));
    // The desktop entry kvn.desktop names the program to the desktop (the
    // Wayland app id, the taskbar's icon).
    QGuiApplication::setDesktopFileName(QStringLiteral("kvn"));
    MainWindow window(start.path);
    window.rememberPlacementIn(WindowPlacementKeeper::defaultFile(QProcessEnvironment::systemEnvironment()));
    window.show();
    // Drawing the icon loads the SVG support, which would hold up the first
    // window by several milliseconds; the icon follows as soon as it is up.
    QTimer::singleShot(0, [] { QApplication::setWindowIcon(AboutWindowWidget::icon()); });
    return app.exec();
}
