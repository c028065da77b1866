#include "ProgramTexts.h"

#include <array>

namespace MyConsts {

QString sProgramTitle()
{
    return QStringLiteral("Регистрация измерений молока");
}
QString sNewFileBase()
{
    return QStringLiteral("Новый");
}
QString sFileMenu()
{
    return QStringLiteral("Файл");
}
QString sActNew()
{
    return QStringLiteral("Новый");
}
QString sActOpen()
{
    return QStringLiteral("Открыть");
}
QString sActSave()
{
    return QStringLiteral("Сохранить");
}
QString sActSaveAs()
{
    return QStringLiteral("Сохранить как");
}
QString sActPrint()
{
    return QStringLiteral("Печать");
}
QString sActSavePdf()
{
    return QStringLiteral("Сохранить как PDF");
}
QString sActPrintPreview()
{
    return QStringLiteral("Предварительный просмотр");
}
QString sPdfFilesFilter()
{
    return QStringLiteral("Файлы PDF (.pdf) (*.pdf)");
}
QString sSaveQuestion()
{
    return QStringLiteral("Сохранить данные?");
}
QString sDataChanged()
{
    return QStringLiteral("Данные были изменены");
}
QString sDeviceNumberHint()
{
    return QStringLiteral("Номер прибора");
}
QString sStartPolling()
{
    return QStringLiteral("Включить опрос");
}
QString sStopPolling()
{
    return QStringLiteral("Остановить опрос");
}
QString sAbout()
{
    return QStringLiteral("О программе");
}
QString sCompanyName()
{
    return QStringLiteral("ООО «Нивара Лаб»");
}
QString sCompanyPhone()
{
    return QStringLiteral("Тел./факс: (000) 555-01-23");
}
QString sPortOpenError()
{
    return QStringLiteral("Ошибка открытия порта");
}
QString sErrorCaption()
{
    return QStringLiteral("Ошибка");
}
QString sPortMissing()
{
    return QStringLiteral("Порт %1 не найден: такого устройства нет. Проверьте кабель анализатора и выбранный порт.");
}
QString sPortNoPermission()
{
    // The command on a line of its own, so that the box never breaks it.
    return QStringLiteral("Нет доступа к порту %1: пользователю %2 не разрешено им пользоваться. "
                          "Добавьте его в группу dialout командой\n"
                          "sudo usermod -aG dialout %2\n"
                          "и войдите в систему заново.");
}
QString sPortBusy()
{
    return QStringLiteral("Порт %1 занят другой программой. Закройте её и включите опрос снова.");
}
QString sPortBusyBy()
{
    return QStringLiteral("Порт %1 занят другой программой: %2 (процесс %3). Закройте её и включите опрос снова.");
}
QString sPortBusyLeftBehind()
{
    // Only root passes the mode, and nothing short of closing the far end
    // clears it for everyone else: the operator is told so, not to close a
    // program that does not exist.
    return QStringLiteral("Порт %1 остался в монопольном режиме, а программы, которая его держит, не видно: "
                          "скорее всего, она завершилась аварийно и не сняла этот режим. Псевдотерминал хранит его, "
                          "пока открыт другой конец, и обойти его может только администратор (root). "
                          "Перезапустите программу, которая создаёт этот порт, и включите опрос снова.");
}
QString sPortOtherError()
{
    return QStringLiteral("Порт %1: %2.");
}
QString sPortAbsent()
{
    return QStringLiteral("нет на компьютере");
}
QString sOtherPort()
{
    return QStringLiteral("Другой порт…");
}
QString sOtherPortCaption()
{
    return QStringLiteral("Порт анализатора");
}
QString sOtherPortLabel()
{
    return QStringLiteral("Имя порта или путь к нему (например, ttyUSB0 или /dev/pts/3):");
}
QString sLogNotSecured()
{
    return QStringLiteral("Внимание: результаты не защищены от сбоя — журнал восстановления %1 не записывается (%2). "
                          "Сохраните журнал.");
}
QString sRecovered()
{
    return QStringLiteral(
        "Восстановлены данные, не сохранённые при прошлой работе программы: результатов — %1, подписей проб — %2.\n"
        "Сохраните журнал.");
}
QString sAlreadyRunning()
{
    return QStringLiteral("Программа уже работает с папкой %1, но не отвечает.\n"
                          "Дождитесь её окна или закройте её, затем запустите программу снова.");
}
QString sRecoveryCaption()
{
    return QStringLiteral("Восстановление журнала");
}
QString sLogUnreadable()
{
    return QStringLiteral("Журнал восстановления %1 не читается (%2); он сохранён как %3.");
}
QString sLogNotSetAside()
{
    return QStringLiteral("прежний журнал восстановления не удалось сохранить под другим именем");
}
QString sRecoveredAsLogBegan()
{
    return QStringLiteral("Файл журнала %1 %2, поэтому журнал восстановлен таким, каким он был при последнем "
                          "открытии или сохранении, вместе с этими данными, под новым именем %3.");
}
QString sJournalFileMissing()
{
    return QStringLiteral("не найден");
}
QString sJournalFileChanged()
{
    return QStringLiteral("с тех пор изменён (он оставлен как есть)");
}
QString sJournalFileUnreadable()
{
    return QStringLiteral("не читается (%1)");
}
QString sRecoveredIntoNewJournal()
{
    return QStringLiteral("Журнал, к которому относятся эти данные, восстановить не удалось, "
                          "поэтому результаты внесены в новый журнал %1.");
}
QString sLabelsUnplaced()
{
    return QStringLiteral("Подписей проб, для которых в журнале не нашлось строки: %1.");
}
QString sLogRecordsUnreadable()
{
    return QStringLiteral("Журнал восстановления повреждён: записей, которые не удалось прочитать, — %1.");
}
QString sEmergencyJournal()
{
    return QStringLiteral("При прошлом завершении программы результаты не удалось записать в журнал восстановления, "
                          "поэтому журнал со всеми несохранёнными данными записан в файл %1.\n"
                          "Откройте его и сохраните под нужным именем.");
}
QString sLogCopiedAs()
{
    return QStringLiteral("Журнал восстановления в прежнем виде сохранён как %1.");
}
QString sSettingsUnreadable()
{
    return QStringLiteral("Не удалось прочитать файл настроек %1: %2.\n"
                          "Порт, журнал и номер прибора взяты по умолчанию.");
}
QString sSettingsNotWritten()
{
    return QStringLiteral("Не удалось записать файл настроек %1: %2.");
}
QString sSettingsValueNotWritten()
{
    return QStringLiteral("В файл настроек %1 не записано значение «%2»: %3.");
}
QString sSettingsNotInWindows1251()
{
    return QStringLiteral("файл настроек записывается в кодировке Windows-1251, в которой нет знаков «%1»");
}
QString sSettingsLineBreak()
{
    return QStringLiteral("в нём есть перевод строки");
}
QString sSettingsTooLong()
{
    return QStringLiteral("в нём больше %1 знаков");
}
QString sJournalNotRemembered()
{
    return QStringLiteral("Имя журнала %1 нельзя запомнить в файле настроек %2: %3.\n"
                          "При следующем запуске программа не откроет этот журнал сама; "
                          "откройте его командой «Открыть».");
}
QString sJournalNotRememberedCaption()
{
    return QStringLiteral("Имя журнала не запомнится");
}
QString sNotJournalOpen()
{
    return QStringLiteral("Файл %1 не похож на журнал: %2.\n"
                          "Журнал — это текст в кодировке Windows-1251 со столбцами через табуляцию; "
                          "этот файл откроется с искажениями.\n"
                          "Открыть его всё равно?");
}
QString sNotJournalSave()
{
    return QStringLiteral("Файл %1 не похож на журнал: %2.\n"
                          "Если сохранить журнал в этот файл, его прежнее содержимое будет заменено журналом "
                          "в кодировке Windows-1251.\n"
                          "Сохранить всё равно?");
}
QString sNotJournalCaption()
{
    return QStringLiteral("Файл не похож на журнал");
}
QString sNotJournalUtf16()
{
    return QStringLiteral("он записан в кодировке UTF-16");
}
QString sNotJournalUtf8()
{
    return QStringLiteral("он записан в кодировке UTF-8");
}
QString sNotJournalNulBytes()
{
    return QStringLiteral("в нём есть нулевые байты, каких в тексте не бывает");
}
QString sNotJournalSemicolons()
{
    return QStringLiteral("столбцы в нём разделены точкой с запятой, а не табуляцией");
}
QString sLinkPort()
{
    return QStringLiteral("Порт %1, прибор %2");
}
QString sLinkPortDescribed()
{
    return QStringLiteral("Порт %1 (%2), прибор %3");
}
QString sLinkNoPort()
{
    return QStringLiteral("Порт не выбран, прибор %1");
}
QString sLinkOff()
{
    return QStringLiteral("Опрос выключен");
}
QString sLinkCannotStart()
{
    return QStringLiteral("Опрос не начнётся: %1");
}
QString sLinkReasonDevice0()
{
    return QStringLiteral("номер прибора 0");
}
QString sLinkAdviceDevice0()
{
    return QStringLiteral("Укажите номер прибора от 1 до 65535.");
}
QString sLinkReasonNoPort()
{
    return QStringLiteral("не выбран порт");
}
QString sLinkAdviceNoPort()
{
    return QStringLiteral("Выберите порт в меню кнопки опроса.");
}
QString sLinkReasonPortAbsent()
{
    return QStringLiteral("порт %1 не найден");
}
QString sLinkAdvicePortAbsent()
{
    return QStringLiteral("Подключите адаптер или выберите другой порт в меню кнопки опроса.");
}
QString sLinkOpening()
{
    return QStringLiteral("Открытие порта…");
}
QString sLinkWaiting()
{
    return QStringLiteral("Ожидание следующего результата: %1");
}
QString sLinkAckMissing()
{
    return QStringLiteral(" (приём не подтверждён)");
}
QString sLinkFetching()
{
    return QStringLiteral("Запрос результата…");
}
QString sLinkNoAnswer()
{
    return QStringLiteral("Нет ответа от анализатора %1");
}
QString sLinkAdviceNoAnswer()
{
    return QStringLiteral("Проверьте номер прибора, питание анализатора, кабель и выбранный порт.");
}
QString sLinkRefused()
{
    return QStringLiteral("Ответы отклоняются: %1 (%2)");
}
QString sLinkAdviceRefused()
{
    return QStringLiteral("Анализатор отвечает, но ответы не принимаются: %1.");
}
QString sLinkRefusedEcho()
{
    return QStringLiteral("чужой адрес");
}
QString sLinkRefusedEchoLong()
{
    return QStringLiteral("в ответе чужой адрес — другой номер прибора или помехи");
}
QString sLinkRefusedLength()
{
    return QStringLiteral("неверная длина");
}
QString sLinkRefusedLengthLong()
{
    return QStringLiteral("ответ неполный или с лишними байтами — помехи или кабель");
}
QString sLinkRefusedOwnRequest()
{
    return QStringLiteral("эхо запроса");
}
QString sLinkRefusedOwnRequestLong()
{
    return QStringLiteral("линия возвращает запрос — перемычка в кабеле или адаптер с эхом");
}
QString sLinkRefusedNoise()
{
    return QStringLiteral("помехи");
}
QString sLinkRefusedNoiseLong()
{
    return QStringLiteral("приходят байты, не похожие на ответ — помехи или скорость линии");
}
QString sLinkPortLost()
{
    return QStringLiteral("Порт потерян, переподключение… %1");
}
QString sLinkAdvicePortLost()
{
    return QStringLiteral("Проверьте кабель и адаптер; опрос продолжится сам, когда порт появится.");
}
QString sLinkSeconds()
{
    return QStringLiteral("%1 с");
}
QString sLinkMinutes()
{
    return QStringLiteral("%1 мин %2 с");
}
QString sLinkResults()
{
    return QStringLiteral("Результатов: %1");
}
QString sLinkResultsLast()
{
    return QStringLiteral("Результатов: %1, последний в %2");
}
QString sLinkCounters()
{
    return QStringLiteral("Запросов: %1, отклонено ответов: %2, подтверждено: %3, без подтверждения: %4, "
                          "переподключений: %5");
}
QString sLinkPortError()
{
    return QStringLiteral("Ошибка порта: %1");
}
QString sSelectionStatistics()
{
    return QStringLiteral("Количество: %1  Среднее: %2  Минимум: %3  Максимум: %4");
}

QString sSummaryMenu()
{
    return QStringLiteral("Сводка…");
}

QString sSummaryCaption()
{
    return QStringLiteral("Сводка — %1");
}

QString sSummaryOfSelection()
{
    return QStringLiteral("Выделенные строки журнала: %1");
}

QString sSummaryOfJournal()
{
    return QStringLiteral("Все строки журнала: %1");
}

QString sSummaryFigure()
{
    return QStringLiteral("Показатель");
}

QString sSummaryCount()
{
    return QStringLiteral("Кол-во");
}

QString sSummaryMean()
{
    return QStringLiteral("Среднее");
}

QString sSummaryMinimum()
{
    return QStringLiteral("Минимум");
}

QString sSummaryMaximum()
{
    return QStringLiteral("Максимум");
}

QString sSummaryDeviation()
{
    return QStringLiteral("СКО");
}

QString sSummaryOutsideNorm()
{
    return QStringLiteral("Вне нормы");
}

QString sSummaryPrint()
{
    return QStringLiteral("Печать…");
}

QString sSummaryPdf()
{
    return QStringLiteral("Сохранить в PDF…");
}

QString sSummaryCopy()
{
    return QStringLiteral("Копировать");
}

QString sSummaryClose()
{
    return QStringLiteral("Закрыть");
}

QString sSummaryFileWord()
{
    return QStringLiteral("сводка");
}

QString sServiceMenu()
{
    return QStringLiteral("Сервис");
}
QString sActNorms()
{
    return QStringLiteral("Нормы качества...");
}
QString sNormsCaption()
{
    return QStringLiteral("Нормы качества");
}
QString sNormsIntro()
{
    return QStringLiteral("Значение вне нормы выделяется в журнале цветом и рамкой с треугольником в углу, на печати — "
                          "серым фоном и рамкой. Пустое поле — граница не задана.");
}
QString sNormsColumn()
{
    return QStringLiteral("Показатель");
}
QString sNormsLower()
{
    return QStringLiteral("Не ниже");
}
QString sNormsUpper()
{
    return QStringLiteral("Не выше");
}
QString sRawCowMilkSet()
{
    return QStringLiteral(
        "Сырое коровье молоко: минимальные требования ГОСТ 31449 и ТР ТС 033/2013 (жир и белок не ниже 2,8 %, СОМО не "
        "ниже 8,2 %, плотность не ниже 1027,0 кг/м³, температура замерзания не выше −0,520 °C)");
}
QString sNormsApplySet()
{
    return QStringLiteral("Подставить этот набор");
}
QString sNormsClear()
{
    return QStringLiteral("Очистить все");
}
QString sNormsBadBound()
{
    return QStringLiteral("%1: «%2» — не число");
}
QString sNormsLowerAboveUpper()
{
    return QStringLiteral("%1: нижняя граница больше верхней");
}
QString sNormsMarkHint()
{
    return QStringLiteral("Значение вне нормы качества или не прочитанное из ответа анализатора (записано как 0)");
}
QString sNormsRowsOutside()
{
    return QStringLiteral("Вне норм: %1 стр.");
}
QString sUndecodedValues()
{
    return QStringLiteral("Не распознано: %1");
}
QString sNormsFileHeader()
{
    return QStringLiteral("# Нормы качества молока для программы Nivara (текст в UTF-8).\n"
                          "# Каждая строка задаёт одну границу: <показатель> >= <число> (не ниже)\n"
                          "# или <показатель> <= <число> (не выше). Дробная часть — после запятой или точки.\n"
                          "# Показатели — заголовки столбцов журнала: Температура, Жир, СОМО, Плотность, Белок,\n"
                          "# Доб.вода, ГСО, Лактоза, Соли, СМО, Т.замерзания, Ст.гомогенизации.\n"
                          "# Строки, начинающиеся с #, — примечания. Файл записывает окно «Нормы качества».\n");
}
QString sNormsFileBadLine()
{
    return QStringLiteral("Файл норм %1, строка %2 «%3»: %4. Эта строка не учтена, остальные нормы действуют.");
}
QString sNormsFileNoColumn()
{
    return QStringLiteral("нет столбца «%1» с числами");
}
QString sNormsFileNoRelation()
{
    return QStringLiteral("нужен знак >= (не ниже) или <= (не выше)");
}
QString sNormsFileBadNumber()
{
    return QStringLiteral("«%1» — не число");
}
QString sNormsFileTwice()
{
    return QStringLiteral("граница для «%1» уже задана выше");
}
QString sNormsFileNotUtf8()
{
    return QStringLiteral("Файл норм %1 не в кодировке UTF-8; буквы в нём могут быть прочитаны неверно.");
}
QString sNormsFileUnreadable()
{
    return QStringLiteral("Файл норм %1 не удалось прочитать: %2. Нормы не действуют.");
}
QString sNormsFileNotWritten()
{
    return QStringLiteral("Файл норм %1 не удалось записать: %2. Нормы действуют до закрытия программы.");
}
QString sNormsFileCaption()
{
    return QStringLiteral("Нормы качества");
}

namespace {
constexpr std::array<const char16_t *, kColumnCount> kColumnCaptions = {
    u"№ ст",
    u"Проба",
    u"Дата",
    u"Время",
    u"№ гр.",
    u"Температура",
    u"Жир",
    u"СОМО",
    u"Плотность",
    u"Белок",
    u"Доб.вода",
    u"ГСО",
    u"Лактоза",
    u"Соли",
    u"СМО",
    u"Т.замерзания",
    u"Ст.гомогенизации",
};
} // namespace

QStringList sColumnCaptions()
{
    QStringList captions;
    for (const char16_t *caption : kColumnCaptions)
        captions << QString::fromUtf16(caption);
    return captions;
}

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

} // namespace MyConsts
