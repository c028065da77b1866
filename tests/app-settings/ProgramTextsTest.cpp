// The program's texts that the settings and the journal take their names
// from.

#include "ProgramTexts.h"

#include <gtest/gtest.h>

namespace {

TEST(ProgramTexts, ColumnCaptionsInOrder)
{
    const QStringList captions = MyConsts::sColumnCaptions();
    ASSERT_EQ(captions.size(), MyConsts::kColumnCount);
    EXPECT_EQ(captions.first(), QStringLiteral("№ ст"));
    EXPECT_EQ(captions.at(5), QStringLiteral("Температура"));
    EXPECT_EQ(captions.last(), QStringLiteral("Ст.гомогенизации"));
    EXPECT_EQ(MyConsts::sColumnCaption(16), captions.last());
    EXPECT_TRUE(MyConsts::sColumnCaption(17).isEmpty());
    EXPECT_TRUE(MyConsts::sColumnCaption(-1).isEmpty());
}

} // namespace
