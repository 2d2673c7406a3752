#include "preferences.h"

#include <cmath>

Preferences::Preferences(EditorState &state, Controls controls, Services services)
    : m_state(state)
    , m_controls(controls)
    , m_services(services)
{
}

void Preferences::mnuFont_Click()
{
    const QString answer = m_services.messages.prompt(QStringLiteral("Enter a font size. Default = 8"),
                                                      QStringLiteral("Enter a font size"),
                                                      QString::number(m_controls.Text1.fontSize()));
    bool ok = false;
    const double size = answer.trimmed().toDouble(&ok);
    if (ok && std::isfinite(size))
        m_controls.Text1.setFontSize(std::floor(size)); // a size the box refuses changes nothing
    const bool exists = m_services.settings.settingsFileExists();
    if (m_controls.Text1.fontSize() != 8 || exists)
        m_services.settings.SaveSettings();
}

void Preferences::ChooseColor(Colour start)
{
    if (const std::optional<Colour> chosen = m_services.dialogs.chooseColour(start)) {
        CColor = *chosen;
        m_state.GoCancel = false;
    } else {
        m_state.GoCancel = true;
    }
}

void Preferences::mnuColor_Click()
{
    IndicatorColours &c = m_state.colours;
    const struct
    {
        const char *title;
        const char *text;
        Colour *colour;
    } steps[] = {
        {"1 of 4", "Change the background color for file saved?", &c.FSaveB_Y},
        {"2 of 4", "Change the text color for file saved?", &c.FSaveT_Y},
        {"3 of 4", "Change the background color for file unsaved?", &c.FSaveB_N},
        {"4 of 4", "Change the text color for file unsaved?", &c.FSaveT_N},
    };
    for (const auto &step : steps) {
        const Reply reply = m_services.messages.show(QString::fromUtf8(step.text), QString::fromUtf8(step.title),
                                                     Buttons::YesNoCancel, Icon::Question);
        if (reply == Reply::Cancel)
            return; // colours chosen so far stay, unpainted and unwritten
        if (reply == Reply::Yes) {
            ChooseColor(*step.colour);
            if (!m_state.GoCancel)
                *step.colour = CColor;
        }
    }
    if (m_state.FileSaved)
        m_controls.lblFilename.setColours(c.FSaveB_Y, c.FSaveT_Y);
    else
        m_controls.lblFilename.setColours(c.FSaveB_N, c.FSaveT_N);
    const bool exists = m_services.settings.settingsFileExists();
    if (c.isDefault() && !exists)
        return;
    m_services.settings.SaveSettings();
}

void Preferences::lblFilename_DblClick()
{
    if (m_services.messages.show(QStringLiteral("Do you want to change the color for this?"), QStringLiteral("Change colors?"),
                                 Buttons::YesNo, Icon::Question)
        == Reply::Yes) {
        mnuColor_Click();
    }
}

void Preferences::mnuFileSaved_Click()
{
    if (m_controls.mnuFileSaved.isChecked()) {
        m_controls.mnuFileSaved.setChecked(false);
        m_services.settings.SaveSettings();
    } else {
        m_controls.mnuFileSaved.setChecked(true);
        if (m_services.settings.settingsFileExists())
            m_services.settings.SaveSettings();
    }
}

void Preferences::mnuDelete_Click()
{
    if (m_controls.mnuDelete.isChecked()) {
        m_controls.mnuDelete.setChecked(false);
        if (m_services.settings.settingsFileExists())
            m_services.settings.SaveSettings();
    } else {
        m_controls.mnuDelete.setChecked(true);
        m_services.settings.SaveSettings();
    }
}
