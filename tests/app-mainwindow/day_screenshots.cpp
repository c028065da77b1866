// day_screenshots: renders, in the operator's language, what Qt draws for
// the program: the open-file dialog, the unsaved-changes question and the
// main window with a long journal and the statistics of a selection in its
// status bar, as <folder>/day-file-dialog.png, day-question.png and
// day-status-bar.png. Not a test: the pictures are for a visual check.
// Usage: LANG=ru_RU.UTF-8 xvfb-run day_screenshots [folder]   (default /tmp)

#include "JournalGrid.h"
#include "MainWindow.h"
#include "NivaraApplication.h"
#include "ProgramTexts.h"
#include "QtTranslations.h"
#include "SelectionStatusLabel.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

bool Save(const QPixmap &Picture, const QString &FileName)
{
    const bool saved = Picture.save(FileName);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(FileName));
    return saved;
}

// Pictures the modal box or dialog that `Open` shows, then closes it.
bool SaveModal(const std::function<void()> &Open, const QString &FileName)
{
    bool saved = false;
    QTimer::singleShot(700, [&] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            saved = Save(modal->grab(), FileName);
            modal->close();
        }
    });
    Open();
    return saved;
}

} // namespace

int main(int argc, char **argv)
{
    TNivaraApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("Nivara"));
    const TQtTranslations translations(QLocale{});
    std::printf("locale %s, Qt's translation %s\n", qPrintable(QLocale().name()),
                translations.Loaded() ? "loaded" : "missing");
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp"));

    QTemporaryDir folder;
    QDir::setCurrent(folder.path());
    TForm1Setup setup;
    setup.IniFileName = folder.filePath(QStringLiteral("Nivara.Ini"));
    setup.SerialPortNames = [] { return std::string("COM1"); };
    TForm1 form(std::move(setup));
    form.show();
    for (int i = 1; i <= 124; ++i)
        form.Journal().EnterResult({QStringLiteral("15.03.2023"),
                                    QStringLiteral("08:%1:00").arg(i % 60, 2, 10, QChar(u'0')), QStringLiteral("1"),
                                    QStringLiteral("20,%1").arg(i % 10), QStringLiteral("3,%1").arg(30 + i % 40),
                                    QStringLiteral("8,51"), QStringLiteral("1028,40")});
    const JournalModel &model = form.Journal().Model();
    form.MainGrid->scrollToBottom();
    form.MainGrid->selectionModel()->select(QItemSelection(model.index(115, 6), model.index(124, 6)),
                                            QItemSelectionModel::ClearAndSelect);
    QApplication::processEvents();
    bool ok = Save(form.grab(), out.filePath(QStringLiteral("day-status-bar.png")));
    std::printf("status bar: %s\n", qPrintable(form.SelectionStatus->text()));

    ok = SaveModal([&] { form.actOpenFile->trigger(); }, out.filePath(QStringLiteral("day-file-dialog.png"))) && ok;
    ok = SaveModal([&] { form.Dialogs().AskSaveOnClose(&form, MyConsts::sSaveQuestion(), MyConsts::sDataChanged()); },
                   out.filePath(QStringLiteral("day-question.png"))) &&
         ok;
    form.Journal().SetJournalModified(false);
    form.close();
    return ok ? 0 : 1;
}
