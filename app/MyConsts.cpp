#include "MyConsts.h"

#include <array>

namespace MyConsts {

QString sProgramTitle() { return QStringLiteral("Регистрация измерений молока"); }
QString sNewFileBase() { return QStringLiteral("Новый"); }
QString sFileMenu() { return QStringLiteral("Файл"); }
QString sActNew() { return QStringLiteral("Новый"); }
QString sActOpen() { return QStringLiteral("Открыть"); }
QString sActSave() { return QStringLiteral("Сохранить"); }
QString sActSaveAs() { return QStringLiteral("Сохранить как"); }
QString sActPrint() { return QStringLiteral("Печать"); }
QString sSaveQuestion() { return QStringLiteral("Сохранить данные?"); }
QString sDataChanged() { return QStringLiteral("Данные были изменены"); }
QString sDeviceNumberHint() { return QStringLiteral("Номер прибора"); }
QString sStartPolling() { return QStringLiteral("Включить опрос"); }
QString sStopPolling() { return QStringLiteral("Остановить опрос"); }
QString sAbout() { return QStringLiteral("О программе"); }
QString sCompanyName() { return QStringLiteral("ООО «Нивара Лаб»"); }
QString sCompanyPhone() { return QStringLiteral("Тел./факс: (000) 555-01-23"); }
QString sPortOpenError() { return QStringLiteral("Ошибка открытия порта"); }
QString sErrorCaption() { return QStringLiteral("Ошибка"); }
QString sLogNotSecured()
{
    return QStringLiteral("Внимание: результаты не защищены от сбоя — журнал восстановления %1 не записывается (%2). "
                          "Сохраните журнал.");
}
QString sRecovered()
{
    return QStringLiteral("После сбоя восстановлены несохранённые данные: результатов — %1, подписей проб — %2.\n"
                          "Сохраните журнал.");
}
QString sRecoveryCaption() { return QStringLiteral("Восстановление журнала"); }
QString sLogUnreadable()
{
    return QStringLiteral("Журнал восстановления %1 не читается (%2); он сохранён как %3.");
}
QString sLogDoesNotFit()
{
    return QStringLiteral("Данные журнала восстановления не удалось вернуть в журнал %1 (%2); "
                          "журнал восстановления сохранён как %3.");
}
QString sSettingsUnreadable()
{
    return QStringLiteral("Не удалось прочитать файл настроек %1: %2.\n"
                          "Порт, журнал и номер прибора взяты по умолчанию.");
}
QString sSelectionStatistics()
{
    return QStringLiteral("Количество: %1    Среднее: %2    Минимум: %3    Максимум: %4");
}

namespace {
constexpr std::array<const char16_t *, kColumnCount> kColumnCaptions = {
    u"№ ст",     u"Проба",     u"Дата",    u"Время",    u"№ гр.",   u"Температура",
    u"Жир",      u"СОМО",      u"Плотность", u"Белок",  u"Доб.вода", u"ГСО",
    u"Лактоза",  u"Соли",      u"СМО",     u"Т.замерзания", u"Ст.гомогенизации",
};
}  // namespace

QStringList sColumnCaptions()
{
    QStringList captions;
    for (const char16_t *caption : kColumnCaptions)
        captions << QString::fromUtf16(caption);
    return captions;
}

static_assert(kColumnCount == JournalTexts::ColumnCount);

QString sColumnCaption(int column)
{
    if (column < 0 || column >= kColumnCount)
        return {};
    return QString::fromUtf16(kColumnCaptions[static_cast<std::size_t>(column)]);
}

JournalTexts sJournalTexts()
{
    JournalTexts texts;
    for (int c = 0; c < kColumnCount; ++c)
        texts.Captions[static_cast<std::size_t>(c)] = sColumnCaption(c);
    texts.ProgramTitle = sProgramTitle();
    texts.NewJournalBase = sNewFileBase();
    return texts;
}

}  // namespace MyConsts
