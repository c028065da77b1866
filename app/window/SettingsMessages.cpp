#include "SettingsMessages.h"

#include "Cp1251.h"
#include "ProgramTexts.h"

#include <QDir>

namespace {

// Each character Windows-1251 lacks, once, in the order they come.
QString CharactersNotInWindows1251(const QString &Value)
{
    QString missing;
    for (const char32_t code : Value.toUcs4()) {
        const QString character = QString::fromUcs4(&code, 1);
        if (!Cp1251::EncodeStrict(character) && !missing.contains(character))
            missing += character;
    }
    return missing;
}

} // namespace

QString SettingsValueFaultText(const QString &Value)
{
    switch (ProfileValueFaultOf(Value)) {
    case ProfileValueFault::None: return {};
    case ProfileValueFault::LineBreak: return MyConsts::sSettingsLineBreak();
    case ProfileValueFault::NotInWindows1251:
        return MyConsts::sSettingsNotInWindows1251().arg(CharactersNotInWindows1251(Value));
    case ProfileValueFault::TooLong: return MyConsts::sSettingsTooLong().arg(kProfileMaxValueLength);
    }
    return {};
}

QString SettingsWriteErrorText(const EIniFileException &Error)
{
    const QString file = QDir::toNativeSeparators(Error.Path());
    if (const std::optional<QString> &value = Error.RefusedValue())
        return MyConsts::sSettingsValueNotWritten().arg(file, *value, SettingsValueFaultText(*value));
    return MyConsts::sSettingsNotWritten().arg(file, Error.Cause());
}

void TellIfJournalNameNotRemembered(IFormDialogs &Dialogs, QWidget *Parent, const QString &IniFileName,
                                    const QString &JournalFileName)
{
    const QString fault = SettingsValueFaultText(JournalFileName);
    if (fault.isEmpty())
        return;
    Dialogs.ShowInformation(Parent,
                            MyConsts::sJournalNotRemembered().arg(QDir::toNativeSeparators(JournalFileName),
                                                                  QDir::toNativeSeparators(IniFileName), fault),
                            MyConsts::sJournalNotRememberedCaption());
}
