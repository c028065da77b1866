#include "LabelCandidates.h"
#include "Cp1251.h"

#include <gtest/gtest.h>

namespace {

struct TSupplierFileCase {
    const char *What;
    QByteArray Bytes;
    QStringList Labels;
};

TEST(SupplierList, ReadsWhatAnyEditorWrites)
{
    const QStringList two{QStringLiteral("ООО Заря"), QStringLiteral("Иванов И. И.")};
    const TSupplierFileCase cases[] = {
        {"UTF-8 with its mark, CRLF", "\xEF\xBB\xBF" + QStringLiteral("ООО Заря\r\nИванов И. И.\r\n").toUtf8(), two},
        {"UTF-8 without a mark, LF, no last line end", QStringLiteral("ООО Заря\nИванов И. И.").toUtf8(), two},
        {"Windows-1251", Cp1251::Encode(u"ООО Заря\r\nИванов И. И.\r\n"), two},
        {"blanks and empty lines", QStringLiteral("  ООО Заря \t\r\n\r\n   \r\nИванов И. И.\n\n").toUtf8(), two},
        {"a label the journal cannot hold is left out", QStringLiteral("ООО Заря\n日本\nИванов И. И.\n").toUtf8(), two},
        {"empty file", QByteArray(), {}},
        {"Latin only", QByteArray("Farm 7\r\nA-12\r\n"), {QStringLiteral("Farm 7"), QStringLiteral("A-12")}},
    };
    for (const TSupplierFileCase &c : cases)
        EXPECT_EQ(ReadSupplierList(c.Bytes), c.Labels) << c.What;
}

TEST(LabelCandidates, JournalNewestFirstThenSuppliersEachOnce)
{
    const QStringList journal{QStringLiteral("проба 1"), QString(), QStringLiteral("ООО Заря"),
                              QStringLiteral("Проба 1 "), QStringLiteral("Сидоров")};
    const QStringList suppliers{QStringLiteral("ооо заря"), QStringLiteral("Иванов"), QStringLiteral("СИДОРОВ")};
    EXPECT_EQ(LabelCandidates(journal, suppliers), (QStringList{QStringLiteral("Сидоров"), QStringLiteral("Проба 1"),
                                                                QStringLiteral("ООО Заря"), QStringLiteral("Иванов")}));
}

TEST(SupplierList, LivesBesideTheSettings)
{
    EXPECT_EQ(SupplierListFileName(QStringLiteral("/station/Nivara.Ini")), QStringLiteral("/station/Поставщики.txt"));
}

} // namespace
