#pragma once

#include "qtcontrols.h"
#include "platform/outputbox.h"

#include <QPlainTextEdit>

// The compiler's output as a user reads it: wrapped between words, in a
// fixed-pitch font, each line that states a message coloured by its kind with
// the kind's icon beside it, and the message in hand lit. A double-click on a
// line, or Enter with the caret on it, reports the line.
class OutputView : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit OutputView(QWidget *parent = nullptr);

    // Shows text, which wraps only at spaces and tabs, so that "g++" or a
    // path is never cut where it is not at a line's end; a word longer than
    // a whole line still breaks where the line ends.
    void setOutput(const QString &text);
    // The text shown, lines separated by LF.
    QString output() const;
    void markLines(const QList<OutputBox::MarkedLine> &lines);
    void showCurrent(int first, int last);
    void setFontSize(double points);

signals:
    void lineActivated(int line);
    // After each paint of the text.
    void painted();

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    QMimeData *createMimeDataFromSelection() const override;

private:
    class IconMargin;
    class WordLayout;
    void paintIcons(QPaintEvent *event);
    void updateSelections();

    IconMargin *m_margin;
    QList<OutputBox::MarkedLine> m_marked;
    int m_currentFirst = -1;
    int m_currentLast = -1;
};

class QtOutputBox : public QtControlBase<OutputBox, OutputView>
{
public:
    using QtControlBase::QtControlBase;
    void setText(const QString &text) override
    {
        m_widget->setOutput(text);
        m_widget->markLines({});
    }
    QString text() const override { return m_widget->output(); }
    void selectAll() override { m_widget->selectAll(); }
    void markLines(const QList<MarkedLine> &lines) override { m_widget->markLines(lines); }
    void showCurrent(int first, int last) override { m_widget->showCurrent(first, last); }
    void setFontSize(double points) override { m_widget->setFontSize(points); }
};
