// The quality norms in the real window: the norms file read at start, and a
// value the analyzer sent that did not decode, from the line to the mark.

#include "FormHarness.h"
#include "NormMarks.h"
#include "ProgramTexts.h"
#include "QualityNormsFile.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>

namespace {

using NormsWindowTest = FormTest;

// Boxes recorded, and the norms dialog answered with the norms given.
class TNormsAnswer final : public IFormDialogs {
public:
    std::optional<TQualityNorms> Answer;
    QStringList Errors;

    TSaveAnswer AskSaveOnClose(QWidget *, const QString &, const QString &) override { return TSaveAnswer::No; }
    bool Confirm(QWidget *, const QString &, const QString &) override { return false; }
    void ShowError(QWidget *, const QString &Text, const QString &) override { Errors << Text; }
    void ShowInformation(QWidget *, const QString &, const QString &) override {}
    QString GetOpenFileName(QWidget *, const TFileDialogSetup &) override { return {}; }
    QString GetSaveFileName(QWidget *, const TFileDialogSetup &) override { return {}; }
    std::optional<TQualityNorms> EditNorms(QWidget *, const TQualityNorms &, QChar) override { return Answer; }
};

TEST_F(NormsWindowTest, TheNormsFileBesideTheSettingsIsReadAtStartAndABadLineIsSaid)
{
    WriteFile(NormsFileName(IniPath()), "# нормы\nЖир >= 2,8\nЖир больше 3\nТ.замерзания <= -0,52\n");
    TForm1 &form = Create();
    EXPECT_EQ(form.NormsFileName(), Path(QStringLiteral("NivaraNorms.txt")));
    TQualityNorms expected;
    expected.SetNorm(6, {2.8, std::nullopt});
    expected.SetNorm(15, {std::nullopt, -0.52});
    EXPECT_EQ(form.NormMarks->Norms(), expected);
    const auto errors = Script->Errors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].Caption, MyConsts::sNormsFileCaption());
    EXPECT_TRUE(errors[0].Text.contains(QStringLiteral("«Жир больше 3»"))) << errors[0].Text.toStdString();
    // The settings file knows nothing of them.
    form.close();
    EXPECT_FALSE(ReadIni().contains(QStringLiteral("2,8")));
    EXPECT_FALSE(ReadIni().contains(QStringLiteral("Жир")));
}

TEST_F(NormsWindowTest, WithoutANormsFileNothingIsSaidAndNothingPainted)
{
    TForm1 &form = Create();
    EXPECT_TRUE(form.NormMarks->Norms().IsEmpty());
    EXPECT_FALSE(form.NormMarks->Painting());
    EXPECT_TRUE(Script->Calls.empty());
    EXPECT_FALSE(QFileInfo::exists(form.NormsFileName())); // nothing written uninvited
    EXPECT_TRUE(form.menuBar()->actions().contains(form.mnService->menuAction()));
    EXPECT_TRUE(form.mnService->actions().contains(form.actNorms));
}

TEST_F(NormsWindowTest, AValueThatDidNotDecodeIsZeroMarkedAndAlertsUntilTheJournalIsReadAgain)
{
    Emulator::TEmulatorConfig config = AnalyzerConfig({20.0, 3.45, 8.5, 1028.0});
    config.BadValue = 1; // fat
    TTestAnalyzer analyzer(config);
    TForm1 &form = Create();
    int alerts = 0;
    form.NormMarks->SetAlert([&](QWidget *) { ++alerts; });
    ASSERT_TRUE(PollFirstResultInto(analyzer, QStringLiteral("Журнал.txt")));
    ASSERT_TRUE(StopPolling());

    EXPECT_EQ(Cell(6, 1), QStringLiteral("0,00"));
    EXPECT_EQ(Cell(7, 1), QStringLiteral("8,50"));
    EXPECT_TRUE(form.NormMarks->IsMarked(1, 6));
    EXPECT_FALSE(form.NormMarks->IsMarked(1, 7));
    EXPECT_EQ(form.NormMarks->UndecodedValues(), 1);
    EXPECT_EQ(alerts, 1);
    const QLabel *status = form.findChild<QLabel *>(QStringLiteral("NormStatus"));
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(status->isVisible());
    EXPECT_EQ(status->text(), MyConsts::sUndecodedValues().arg(1));

    // The file has no place for the mark: read again, the value is a plain 0,00.
    form.actSave->trigger();
    form.Journal().LoadJournal(form.JournalFileName());
    EXPECT_EQ(Cell(6, 1), QStringLiteral("0,00"));
    EXPECT_FALSE(form.NormMarks->IsMarked(1, 6));
    EXPECT_FALSE(status->isVisible());
    EXPECT_FALSE(form.NormMarks->Painting());
}

TEST_F(NormsWindowTest, TheDialogsNormsHoldAtOnceAndGoIntoTheirFileAlone)
{
    auto dialogs = std::make_unique<TNormsAnswer>();
    TNormsAnswer &answer = *dialogs;
    TForm1Setup setup;
    setup.Dialogs = std::move(dialogs);
    setup.IniFileName = IniPath();
    setup.SerialPortNames = [] { return std::string("COM1"); };
    TForm1 form(std::move(setup));
    form.Journal().EnterResult({"01.02.2024", "10:00:00", "1", "20,00", "2,50", "8,50", "1028,00"});

    form.actNorms->trigger(); // cancelled: nothing changes, nothing is written
    EXPECT_TRUE(form.NormMarks->Norms().IsEmpty());
    EXPECT_FALSE(QFileInfo::exists(form.NormsFileName()));

    answer.Answer = RawCowMilkNorms();
    form.actNorms->trigger();
    EXPECT_EQ(form.NormMarks->Norms(), RawCowMilkNorms());
    EXPECT_EQ(form.NormMarks->RowsOutside(), 1);
    EXPECT_EQ(ReadNormsFile(form.NormsFileName()).Norms, RawCowMilkNorms());
    EXPECT_TRUE(answer.Errors.isEmpty());

    // A file that cannot be written is said; the norms hold all the same.
    QFile::remove(form.NormsFileName());
    ASSERT_TRUE(QDir(Dir.path()).mkdir(QStringLiteral("NivaraNorms.txt")));
    answer.Answer = TQualityNorms{};
    form.actNorms->trigger();
    EXPECT_TRUE(form.NormMarks->Norms().IsEmpty());
    ASSERT_EQ(answer.Errors.size(), 1);
    EXPECT_TRUE(answer.Errors[0].startsWith(QStringLiteral("Файл норм"))) << answer.Errors[0].toStdString();

    form.Journal().SetJournalModified(false);
    form.close();
    EXPECT_FALSE(ReadIni().contains(QStringLiteral("Жир")));
}

} // namespace
