// The label cell's list in the real window: it offers the suppliers' file
// and the journal's labels by any part of a name, changes nothing by
// itself, and takes an edited suppliers' file at the next label.

#include "FormHarness.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

using LabelCompletion = FormTest;

QLineEdit *OpenLabelEditor(TForm1 &Form, int Row)
{
    const QModelIndex label = Form.MainGrid->model()->index(Row - 1, JournalModel::LabelColumn);
    // Focused, as the operator's window is: the editor takes a chosen entry
    // only while it has the focus.
    Form.activateWindow();
    if (!QTest::qWaitForWindowActive(&Form))
        return nullptr;
    Form.MainGrid->setFocus();
    Form.MainGrid->setCurrentIndex(label);
    Form.MainGrid->edit(label);
    return Form.MainGrid->viewport()->findChild<QLineEdit *>();
}

// Typed a key at a time, as a keyboard with a Russian layout sends it
// (QTest's key clicks take Latin letters only).
void Type(QWidget *Editor, const QString &Text)
{
    for (const QChar c : Text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(Editor, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(Editor, &release);
    }
}

QStringList Offered(QLineEdit *Editor)
{
    QStringList offered;
    QAbstractItemModel *model = Editor->completer()->completionModel();
    for (int row = 0; row < model->rowCount(); ++row)
        offered << model->index(row, 0).data().toString();
    return offered;
}

TEST_F(LabelCompletion, OffersByAnyPartAndChangesNothingByItself)
{
    WriteFile(Path("Поставщики.txt"), Cp1251::Encode(u"ООО Заря\r\nИванов И. И.\r\nКолхоз Заречный\r\n"));
    TForm1 &form = Create();

    QLineEdit *editor = OpenLabelEditor(form, 1);
    ASSERT_NE(editor, nullptr);
    ASSERT_NE(editor->completer(), nullptr);
    Type(editor, QStringLiteral("зар"));
    ASSERT_TRUE(WaitFor([&] { return editor->completer()->popup()->isVisible(); }));
    EXPECT_EQ(Offered(editor), (QStringList{QStringLiteral("ООО Заря"), QStringLiteral("Колхоз Заречный")}));
    // Enter on what was typed keeps what was typed.
    QTest::keyClick(editor->completer()->popup(), Qt::Key_Return);
    ASSERT_TRUE(WaitFor([&] { return !form.MainGrid->IsEditing(); }));
    EXPECT_EQ(Cell(JournalModel::LabelColumn, 1), "зар");

    // Chosen with the arrow keys, the entry is taken.
    editor = OpenLabelEditor(form, 1);
    ASSERT_NE(editor, nullptr);
    editor->clear();
    Type(editor, QStringLiteral("иван"));
    ASSERT_TRUE(WaitFor([&] { return editor->completer()->popup()->isVisible(); }));
    QTest::keyClick(editor->completer()->popup(), Qt::Key_Down);
    QTest::keyClick(editor->completer()->popup(), Qt::Key_Return);
    EXPECT_EQ(editor->text(), "Иванов И. И.");
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_TRUE(WaitFor([&] { return !form.MainGrid->IsEditing(); }));
    EXPECT_EQ(Cell(JournalModel::LabelColumn, 1), "Иванов И. И.");
}

TEST_F(LabelCompletion, TheJournalsLabelsAndAFileEditedMeanwhile)
{
    TForm1 &form = Create();
    form.Journal().Model().SetCell(JournalModel::LabelColumn, 1, QStringLiteral("Петров"));

    QLineEdit *editor = OpenLabelEditor(form, 1);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(Offered(editor), QStringList{QStringLiteral("Петров")}) << "no suppliers' file: the journal's labels";
    QTest::keyClick(editor, Qt::Key_Escape);
    ASSERT_TRUE(WaitFor([&] { return !form.MainGrid->IsEditing(); }));

    // Written while the program runs, in UTF-8 as Notepad writes it today.
    WriteFile(Path("Поставщики.txt"), "\xEF\xBB\xBF" + QStringLiteral("Сидоров\r\nпетров\r\n").toUtf8());
    editor = OpenLabelEditor(form, 1);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(Offered(editor), (QStringList{QStringLiteral("Петров"), QStringLiteral("Сидоров")}));
}

} // namespace
