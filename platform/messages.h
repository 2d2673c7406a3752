#pragma once

#include <QString>

// The modal message box and the one-line input prompt. Both block until the
// user answers; a lone carriage return in a text is a line break.
enum class Buttons { Ok, YesNo, YesNoCancel };
enum class Icon { Information, Question, Exclamation, Critical };

// The numbers are those the program has always used for the answers.
enum class Reply { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

class Messages
{
public:
    virtual ~Messages() = default;

    // Shows a message box and returns the button pressed. An empty title
    // shows the program's short name. The first button (OK or Yes) is the
    // default, the one Enter presses, whatever order the desktop shows the
    // buttons in. Closing the box without a button answers Cancel where
    // there is one, otherwise the last button offered.
    virtual Reply show(const QString &text, const QString &title, Buttons buttons, Icon icon) = 0;

    // Asks for one line of text, pre-filled with defaultText. Cancel returns
    // an empty string, as does an empty answer.
    virtual QString prompt(const QString &text, const QString &title, const QString &defaultText) = 0;
};
