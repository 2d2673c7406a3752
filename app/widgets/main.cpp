#include "app/startarguments.h"
#include "app/widgets/mainwindow.h"
#include "desktop/widgets/programicon.h"
#include "platform/qt/deferredicons.h"

#include <QApplication>

#include <dlfcn.h>

#include <cstdio>
#include <thread>

namespace {

// Fontconfig reads its configuration and its caches the first time any
// text is measured: ten milliseconds and more on a desktop with many fonts,
// the largest part of the time before the first window can show. Started
// at once on a thread of its own, that reading goes on while Qt connects to
// the display, and is done when the window lays out its first label.
// Fontconfig comes with Qt's own libraries; where it is not loaded (another
// font back end) nothing is started.
std::thread startReadingFonts()
{
    void *fontconfig = dlopen("libfontconfig.so.1", RTLD_LAZY | RTLD_NOLOAD);
    if (!fontconfig)
        return {};
    auto *init = reinterpret_cast<int (*)()>(dlsym(fontconfig, "FcInit"));
    if (!init)
        return {};
    return std::thread(init);
}

} // namespace

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
    std::thread fonts = startReadingFonts();
    QApplication app(argc, argv);
    // The window is the first to measure text; waiting for the thread
    // here means fontconfig is never set up twice at the same time.
    if (fonts.joinable())
        fonts.join();
    QApplication::setStyle(new DeferredIconStyle);
    QApplication::setApplicationName(QStringLiteral("KVN"));
    QApplication::setApplicationVersion(QStringLiteral("2.2"));
    // The desktop entry kvn.desktop names the program to the desktop (the
    // Wayland app id, the taskbar's icon).
    QGuiApplication::setDesktopFileName(QStringLiteral("kvn"));
    QApplication::setWindowIcon(ProgramIcon::icon());
    MainWindow window(start.path);
    window.rememberPlacementIn(WindowPlacementKeeper::defaultFile(QProcessEnvironment::systemEnvironment()));
    window.show();
    return app.exec();
}
