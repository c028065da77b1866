// Files that are plainly not journals: Open asks before it reads one, and no
// save writes over one without asking.

#include "FormHarness.h"
#include "ProgramTexts.h"

namespace {

using NotJournalFiles = FormTest;

QByteArray Utf16Le(const QString &Text)
{
    return QByteArray(reinterpret_cast<const char *>(Text.utf16()), Text.size() * 2);
}

const QString kRow = QStringLiteral("Проба 1\t15.03.2023\t12:00:00\t1\t20,00\r\n");

struct TForeignFile {
    const char *Case;
    QString Name;
    QByteArray Bytes;
    QString Reason;
};

std::vector<TForeignFile> ForeignFiles()
{
    const QString sheet = QStringLiteral("Проба;Дата;Жир;Белок\r\n1;15.03.2023;3,45;3,10\r\n");
    return {
        {"a spreadsheet saved with ';'", "sheet.txt", Cp1251::Encode(sheet),
         "столбцы в нём разделены точкой с запятой, а не табуляцией"},
        {"UTF-16 with its mark", "utf16.txt", "\xFF\xFE" + Utf16Le(kRow), "он записан в кодировке UTF-16"},
        {"UTF-8 with its mark", "utf8bom.txt", "\xEF\xBB\xBF" + kRow.toUtf8(), "он записан в кодировке UTF-8"},
        {"UTF-8 without a mark", "utf8.txt", kRow.toUtf8(), "он записан в кодировке UTF-8"},
        // Not "nul.txt": on Windows that is the null device, whatever the extension.
        {"UTF-16 without a mark", "zeros.txt", Utf16Le(kRow), "в нём есть нулевые байты, каких в тексте не бывает"},
    };
}

TEST_F(NotJournalFiles, OpenAsksAndNoLeavesEverythingAsItWas)
{
    TForm1 &form = Create();
    form.Journal().SetJournalFileName(Path("day.txt"));
    form.Journal().EnterResult({"15.03.2023", "12:00:00", "1", "20,00"});
    for (const TForeignFile &file : ForeignFiles()) {
        SCOPED_TRACE(file.Case);
        WriteFile(Path(file.Name), file.Bytes);
        Script->Calls.clear();
        Script->OpenNames = {Path(file.Name)};
        form.actOpenFile->trigger();
        ASSERT_EQ(Script->Calls.size(), 2u);
        EXPECT_EQ(Script->Calls[1].Kind, "Warning");
        EXPECT_EQ(Script->Calls[1].Caption, "Файл не похож на журнал");
        EXPECT_EQ(Script->Calls[1].Text,
                  QStringLiteral("Файл %1 не похож на журнал: %2.\n"
                                 "Журнал — это текст в кодировке Windows-1251 со столбцами через табуляцию; "
                                 "этот файл откроется с искажениями.\n"
                                 "Открыть его всё равно?")
                      .arg(Shown(Path(file.Name)), file.Reason));
        // Not even the question about the changes is asked.
        EXPECT_EQ(form.JournalFileName(), Path("day.txt"));
        EXPECT_EQ(RowCount(), 3);
        EXPECT_EQ(Cell(2, 1), "15.03.2023");
        EXPECT_TRUE(form.JournalModified());
        EXPECT_EQ(ReadFile(Path(file.Name)), file.Bytes);
    }
}

TEST_F(NotJournalFiles, YesOpensAsBeforeAndSaveAsksBeforeWritingOverIt)
{
    for (const TForeignFile &file : ForeignFiles()) {
        SCOPED_TRACE(file.Case);
        WriteFile(Path(file.Name), file.Bytes);
        TForm1 &form = Create();
        Script->Calls.clear();
        Script->OpenNames = {Path(file.Name)};
        Script->WarningAnswers = {true};
        form.actOpenFile->trigger();
        ASSERT_EQ(Script->Calls.size(), 2u);
        EXPECT_EQ(form.JournalFileName(), Path(file.Name));
        JournalDocument plain(MyConsts::sJournalTexts());
        plain.LoadJournal(Path(file.Name));
        ASSERT_EQ(RowCount(), plain.Model().RowCount()) << "read exactly as a journal is";
        EXPECT_EQ(Cell(1, 1), plain.Model().Cell(1, 1));
        EXPECT_FALSE(form.JournalModified());

        // No keeps the file and the work; the operator is not told of an error.
        form.Journal().EnterResult({"16.03.2023", "09:00:00", "2", "21,00"});
        Script->Calls.clear();
        form.actSave->trigger();
        ASSERT_EQ(Script->Calls.size(), 1u);
        EXPECT_EQ(Script->Calls[0].Kind, "Warning");
        EXPECT_EQ(Script->Calls[0].Text,
                  QStringLiteral("Файл %1 не похож на журнал: %2.\n"
                                 "Если сохранить журнал в этот файл, его прежнее содержимое будет заменено "
                                 "журналом в кодировке Windows-1251.\n"
                                 "Сохранить всё равно?")
                      .arg(Shown(Path(file.Name)), file.Reason));
        EXPECT_EQ(ReadFile(Path(file.Name)), file.Bytes);
        EXPECT_TRUE(form.JournalModified());

        // Closing with Yes to the changes and No to the file keeps the window.
        Script->CloseAnswers = {TSaveAnswer::Yes};
        form.close();
        EXPECT_TRUE(form.isVisible());
        EXPECT_TRUE(Script->Errors().empty());
        EXPECT_EQ(ReadFile(Path(file.Name)), file.Bytes);

        // Yes writes the journal. The file may still look foreign (the bytes
        // read are written back as they were), but the operator is not asked
        // at every save of what that save wrote; a file changed since is asked
        // about again.
        Script->Calls.clear();
        Script->WarningAnswers = {true};
        form.actSave->trigger();
        EXPECT_EQ(Script->Calls.size(), 1u);
        EXPECT_FALSE(form.JournalModified());
        EXPECT_TRUE(Cp1251::Decode(ReadFile(Path(file.Name))).contains("\t16.03.2023\t09:00:00\t2\t21,00\t"));
        Script->Calls.clear();
        form.actSave->trigger();
        EXPECT_TRUE(Script->Calls.empty());
        WriteFile(Path(file.Name), file.Bytes);
        form.actSave->trigger();
        ASSERT_EQ(Script->Calls.size(), 1u);
        EXPECT_EQ(Script->Calls[0].Kind, "Warning");
        EXPECT_EQ(ReadFile(Path(file.Name)), file.Bytes);
    }
}

TEST_F(NotJournalFiles, SaveAsAsksBeforeWritingOverOne)
{
    const TForeignFile file = ForeignFiles().front();
    WriteFile(Path(file.Name), file.Bytes);
    TForm1 &form = Create();
    form.Journal().EnterResult({"15.03.2023", "12:00:00", "1", "20,00"});

    // The save dialog's own question comes first; No to this one keeps the
    // file, and the journal its name.
    Script->SaveNames = {Path(file.Name)};
    Script->ReplaceAnswers = {true};
    form.actSaveAs->trigger();
    ASSERT_EQ(Script->Calls.size(), 3u);
    EXPECT_EQ(Script->Calls[1].Kind, "Replace");
    EXPECT_EQ(Script->Calls[2].Kind, "Warning");
    EXPECT_TRUE(
        Script->Calls[2].Text.startsWith(QStringLiteral("Файл %1 не похож на журнал").arg(Shown(Path(file.Name)))));
    EXPECT_EQ(ReadFile(Path(file.Name)), file.Bytes);
    EXPECT_EQ(form.JournalFileName(), "Новый.txt");
    EXPECT_TRUE(form.JournalModified());
    EXPECT_TRUE(Script->Errors().empty());

    Script->SaveNames = {Path(file.Name)};
    Script->ReplaceAnswers = {true};
    Script->WarningAnswers = {true};
    form.actSaveAs->trigger();
    EXPECT_EQ(form.JournalFileName(), Path(file.Name));
    EXPECT_FALSE(form.JournalModified());
    EXPECT_TRUE(ReadFile(Path(file.Name)).startsWith("\t15.03.2023\t12:00:00\t1\t20,00\t"));
}

} // namespace
