#include "platform/qt/deferredicons.h"
#include "platform/qt/editormarks.h"

#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QPointer>
#include <QStyleFactory>
#include <QTest>

namespace {

// The platform's style, counting the standard icons it is asked for: each
// is read from an image file, and the first such reading loads Qt's image
// plugins.
class CountingStyle : public QProxyStyle
{
public:
    CountingStyle()
        : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion")))
    {
    }
    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption *option, const QWidget *widget) const override
    {
        ++read;
        return QProxyStyle::standardIcon(standardIcon, option, widget);
    }
    mutable int read = 0;
};

} // namespace

// Standard icons are read when first drawn, not when a widget that may
// never show them is made.
class TestDeferredIcons : public QObject
{
    Q_OBJECT

private slots:
    void iconIsReadWhenFirstDrawn_data()
    {
        QTest::addColumn<int>("icon");
        QTest::newRow("play") << int(QStyle::SP_MediaPlay);
        QTest::newRow("menu bar overflow") << int(QStyle::SP_ToolBarHorizontalExtensionButton);
        QTest::newRow("critical") << int(QStyle::SP_MessageBoxCritical);
    }

    void iconIsReadWhenFirstDrawn()
    {
        QFETCH(int, icon);
        const auto which = QStyle::StandardPixmap(icon);
        auto *counting = new CountingStyle;
        DeferredIconStyle style(counting);
        const QIcon deferred = style.standardIcon(which);
        QCOMPARE(counting->read, 0);
        QVERIFY(!deferred.isNull());

        const QImage drawn = deferred.pixmap(16, 16).toImage();
        QCOMPARE(counting->read, 1);
        const QIcon copy = deferred;
        QCOMPARE(copy.pixmap(32, 32).size(), deferred.pixmap(32, 32).size());
        QCOMPARE(counting->read, 1);

        const QImage direct = counting->baseStyle()->standardIcon(which).pixmap(16, 16).toImage();
        QVERIFY(!direct.isNull());
        QCOMPARE(drawn.convertToFormat(QImage::Format_ARGB32), direct.convertToFormat(QImage::Format_ARGB32));
    }

    void menuBarIsMadeWithoutReadingIcons()
    {
        auto *counting = new CountingStyle;
        QApplication::setStyle(new DeferredIconStyle(counting));
        QMainWindow window;
        window.menuBar()->addMenu(QStringLiteral("&Window"))->addAction(QStringLiteral("&Exit"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(counting->read, 0);
    }

    void editorMarksReadTheirIconsWithTheFirstMarks()
    {
        QsciScintilla editor;
        CountingStyle counting;
        editor.setStyle(&counting);
        editor.setText(QStringLiteral("int main()\n{\n    return x;\n}\n"));
        EditorMarks marks(&editor);
        QCOMPARE(counting.read, 0);
        marks.set({{22, 6, true, QStringLiteral("'x' was not declared")}, {0, 3, false, QStringLiteral("old style")}});
        QCOMPARE(counting.read, 2);
        QVERIFY(editor.markersAtLine(2) != 0);
        marks.clear();
        marks.set({{0, 3, true, QStringLiteral("again")}});
        QCOMPARE(counting.read, 2);
        editor.setStyle(nullptr);
    }

    // A line with an error and a warning shows the error's icon: it is drawn
    // over the warning's, as the painted margin shows.
    void anErrorIconStandsOverAWarningOnItsLine()
    {
        QsciScintilla editor;
        editor.resize(300, 120);
        editor.setText(QStringLiteral("int main() { return sqaure(2); }\n"));
        EditorMarks marks(&editor);
        marks.set({{20, 6, false, QStringLiteral("implicit declaration")}, {20, 6, true, QStringLiteral("undefined")}});
        const QImage shown = editor.grab().toImage();
        // The icons are the style's: red for an error, yellow for a warning.
        int red = 0;
        int yellow = 0;
        for (int y = 0; y < editor.textHeight(0); ++y) {
            for (int x = 0; x < 40; ++x) {
                const QColor c = shown.pixelColor(x, y);
                if (c.red() > 150 && c.green() < 100 && c.blue() < 100)
                    ++red;
                else if (c.red() > 150 && c.green() > 150 && c.blue() < 100)
                    ++yellow;
            }
        }
        QVERIFY2(red > yellow, qPrintable(QStringLiteral("red %1, yellow %2").arg(red).arg(yellow)));
    }
};

QTEST_MAIN(TestDeferredIcons)
#include "tst_deferredicons.moc"
