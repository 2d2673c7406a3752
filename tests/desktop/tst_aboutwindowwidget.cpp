#include "desktop/helpcommand.h"
#include "desktop/widgets/aboutwindowwidget.h"
#include "platform/fake/fakefilesystem.h"
#include "platform/fake/fakeformwindow.h"
#include "platform/fake/fakemessages.h"
#include "platform/fake/fakeurlopener.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

// The About window's widgets: named as the logic knows them, filled by it,
// and its buttons and its close reach it.
class TestAboutWindowWidget : public QObject
{
    Q_OBJECT

private:
    FakeFileSystem m_files{QStringLiteral("/work/")};
    FakeMessages m_messages;
    FakeUrlOpener m_urls;
    FakeFormWindow m_main;
    AboutIdentity m_identity{0, QStringLiteral("Korvane (KVN)"), QStringLiteral("2.2"), QStringLiteral("14th May 2003")};
    std::unique_ptr<HelpCommand> m_help;

    static QList<QWidget *> aboutWindows()
    {
        QList<QWidget *> result;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("frmAbout") && w->isVisible())
                result.append(w);
        }
        return result;
    }

    static void deleteLaterNow() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

private slots:
    void init()
    {
        m_urls.opened.clear();
        m_help = std::make_unique<HelpCommand>(m_main, m_identity, AboutWindow::Services{m_files, m_messages, m_urls});
        m_help->setWorkDir(m_files.currentFolder());
        m_help->setSiteUrl(QStringLiteral("file:///usr/share/kvn/web/"));
        m_help->makeViewsWith(&AboutWindowWidget::make);
    }

    void cleanup()
    {
        m_help.reset();
        deleteLaterNow();
    }

    void theWindowShowsWhatTheLogicSet()
    {
        m_help->mnuAbout_Click();
        QCOMPARE(aboutWindows().size(), 1);
        QWidget *window = aboutWindows().first();
        QCOMPARE(window->windowTitle(), QStringLiteral("About Korvane (KVN)"));
        QCOMPARE(window->findChild<QLabel *>(QStringLiteral("lblVersion"))->text(), QStringLiteral("Version: 2.2"));
        QCOMPARE(window->findChild<QLabel *>(QStringLiteral("lbldate"))->text(),
                 QStringLiteral("Release Date: 14th May 2003"));
        auto *text = window->findChild<QPlainTextEdit *>(QStringLiteral("Text1"));
        QVERIFY(text->isReadOnly());
        QCOMPARE(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QVERIFY(text->toPlainText().startsWith(QStringLiteral("Thanks for using Korvane (KVN)!")));
        QVERIFY(text->toPlainText().contains(QStringLiteral("5. The Run Window")));
        QVERIFY(window->findChild<QPushButton *>(QStringLiteral("cmdDownload"))->isHidden());
        // The icon is drawn from the SVG built into the program.
        const QLabel *picture = window->findChild<QLabel *>(QStringLiteral("Picture1"));
        QVERIFY(!picture->pixmap().isNull());
        QVERIFY(!window->windowIcon().isNull());
        // Closing it never counts as closing the last window of the program.
        QVERIFY(!window->testAttribute(Qt::WA_QuitOnClose));
    }

    void buttonsOpenThePages()
    {
        m_help->mnuAbout_Click();
        QWidget *window = aboutWindows().first();
        auto *zorbel = window->findChild<QPushButton *>(QStringLiteral("cmd_zorbel"));
        auto *help = window->findChild<QPushButton *>(QStringLiteral("cmd_Help"));
        QCOMPARE(zorbel->toolTip(), QStringLiteral("Click here to go to Zorbel website!"));
        QCOMPARE(help->text(), QStringLiteral("Online &Help"));
        // The first button stands above the second.
        QVERIFY(zorbel->geometry().bottom() < help->geometry().top());
        QTest::mouseClick(help, Qt::LeftButton);
        QTest::mouseClick(zorbel, Qt::LeftButton);
        QCOMPARE(m_urls.opened, (QStringList{QStringLiteral("file:///usr/share/kvn/web/help/kvn/index.html"),
                                            QStringLiteral("file:///usr/share/kvn/web/index.html")}));
    }

    // Closed by the window manager, or by Escape, which the help text (the
    // widget with the focus) does not take.
    void closingTheWindowDiscardsIt_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("close") << false;
        QTest::newRow("Escape in the help text") << true;
    }

    void closingTheWindowDiscardsIt()
    {
        QFETCH(bool, escape);
        m_help->mnuAbout_Click();
        QPointer<QWidget> window = aboutWindows().first();
        if (escape) {
            auto *text = window->findChild<QPlainTextEdit *>(QStringLiteral("Text1"));
            QVERIFY(text);
            QTest::keyClick(text, Qt::Key_Escape);
        } else {
            window->close();
        }
        QVERIFY(!m_help->about());
        deleteLaterNow();
        QVERIFY(window.isNull());
    }

    void helpAgainLeavesOneWindow()
    {
        m_help->mnuAbout_Click();
        QPointer<QWidget> first = aboutWindows().first();
        m_help->mnuAbout_Click();
        deleteLaterNow();
        QVERIFY(first.isNull());
        QCOMPARE(aboutWindows().size(), 1);
    }
};

QTEST_MAIN(TestAboutWindowWidget)
#include "tst_aboutwindowwidget.moc"
