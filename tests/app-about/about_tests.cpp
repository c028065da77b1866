#include "AboutForm.h"
#include "Icons.h"

#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

int bluePixels(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += c.blue() > 150 && c.red() < 100 && c.green() < 100 ? 1 : 0;
        }
    }
    return count;
}

// Records the links the window asks to open (the URL, whose window owns the
// request, whether the shell shows itself), instead of starting programs.
class AboutWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous = SetAboutUrlOpener([this](const TLinkRequest &link) {
            opened << link.Url.toString() + (link.Owner == &owner ? " owned by the window" : "") +
                          (link.Shown ? "" : " hidden");
        });
        owner.setGeometry(100, 80, 756, 527);
        owner.show();
    }
    void TearDown() override { SetAboutUrlOpener(previous); }

    QStringList opened;
    UrlOpener previous;
    QWidget owner;
};

TEST_F(AboutWindow, TextsAndPlaces)
{
    TAboutForm form(&owner);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("О программе"));
    EXPECT_EQ(form.size(), QSize(444, 228));
    EXPECT_EQ(form.lblProgName->text(), QStringLiteral("Регистрация измерений молока"));
    EXPECT_EQ(form.lblCompanyName->text(), QStringLiteral("ООО «Нивара Лаб»"));
    EXPECT_EQ(form.lblTel->text(), QStringLiteral("Тел./факс: (000) 555-01-23"));
    EXPECT_EQ(form.lblSite->text(), QStringLiteral("www.nivara.test"));
    EXPECT_EQ(form.lblemail->text(), QStringLiteral("info@nivara.test"));
    EXPECT_EQ(form.Button1->text(), "OK");

    EXPECT_EQ(form.GroupBox1->geometry(), QRect(16, 8, 409, 169));
    EXPECT_TRUE(form.GroupBox1->title().isEmpty());
    EXPECT_EQ(form.Image1->geometry(), QRect(8, 8, 150, 137));
    EXPECT_EQ(form.Image1->pixmap().size(), QSize(150, 134));
    EXPECT_EQ(form.Button1->geometry(), QRect(176, 190, 75, 25));
    struct Place {
        QLabel *label;
        QPoint at;
    };
    for (const Place &p :
         {Place{form.lblProgName, {176, 24}}, Place{form.lblCompanyName, {176, 64}}, Place{form.lblTel, {176, 96}},
          Place{form.lblSite, {176, 132}}, Place{form.lblemail, {296, 132}}}) {
        EXPECT_EQ(p.label->parentWidget(), form.GroupBox1);
        EXPECT_EQ(p.label->pos(), p.at) << p.label->text().toStdString();
        EXPECT_TRUE(p.label->font().bold());
        // Each text must be seen whole: inside the frame, links side by side.
        EXPECT_LE(p.label->geometry().right(), form.GroupBox1->width() - 4) << p.label->text().toStdString();
    }
    EXPECT_LT(form.lblSite->geometry().right(), form.lblemail->x());
    form.show();
    for (QLabel *link : {form.lblSite, form.lblemail}) {
        EXPECT_TRUE(link->font().underline());
        EXPECT_GT(bluePixels(link->grab().toImage()), 20) << "links are drawn in blue";
    }
    EXPECT_EQ(bluePixels(form.lblProgName->grab().toImage()), 0);
    EXPECT_FALSE(form.lblProgName->font().underline());
}

TEST_F(AboutWindow, OnlyOkTakesTheFocusAndEscDoesNotClose)
{
    TAboutForm form(&owner);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    EXPECT_EQ(QApplication::focusWidget(), form.Button1);
    for (QWidget *child : form.findChildren<QWidget *>()) {
        if (child != form.Button1) {
            EXPECT_EQ(child->focusPolicy(), Qt::NoFocus) << child->metaObject()->className();
        }
    }
    QTest::keyClick(&form, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form.Button1);

    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_TRUE(form.isVisible());

    QTest::keyClick(&form, Qt::Key_Return);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

TEST_F(AboutWindow, SpaceAndCloseBoxCloseIt)
{
    TAboutForm byButton(&owner);
    byButton.show();
    QTest::keyClick(byButton.Button1, Qt::Key_Space);
    EXPECT_FALSE(byButton.isVisible());

    TAboutForm byCloseBox(&owner);
    byCloseBox.show();
    EXPECT_TRUE(byCloseBox.close());
    EXPECT_FALSE(byCloseBox.isVisible());
}

TEST_F(AboutWindow, LinksOpenMailAndSiteAndLeaveTheWindowOpen)
{
    TAboutForm form(&owner);
    form.show();
    QTest::mouseClick(form.lblemail, Qt::LeftButton);
    QTest::mouseClick(form.lblSite, Qt::LeftButton);
    QTest::mouseClick(form.lblSite, Qt::RightButton);
    QTest::mouseClick(form.lblProgName, Qt::LeftButton);
    EXPECT_EQ(opened, QStringList({QStringLiteral("mailto:info@nivara.test owned by the window hidden"),
                                   QStringLiteral("http://www.nivara.test")}));
    EXPECT_TRUE(form.isVisible());

    // A press that is released away from the link is no click.
    opened.clear();
    QTest::mousePress(form.lblSite, Qt::LeftButton);
    QTest::mouseRelease(form.lblSite, Qt::LeftButton, {}, QPoint(-20, -20));
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(AboutWindow, HandCursorOnlyOverTheLinks)
{
    TAboutForm form(&owner);
    for (QWidget *link : {static_cast<QWidget *>(form.lblSite), static_cast<QWidget *>(form.lblemail)})
        EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    for (QWidget *other :
         {static_cast<QWidget *>(&form), static_cast<QWidget *>(form.GroupBox1), static_cast<QWidget *>(form.Image1),
          static_cast<QWidget *>(form.lblProgName), static_cast<QWidget *>(form.Button1)})
        EXPECT_EQ(other->cursor().shape(), Qt::ArrowCursor) << other->metaObject()->className();

    // Closing with Return while the pointer rests on a link: the hand stays
    // with the link and does not spill over to the main window.
    form.show();
    QTest::mouseMove(form.lblSite);
    QTest::keyClick(&form, Qt::Key_Return);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(owner.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(AboutWindow, EachOpeningIsANewModalWindowDestroyedOnClose)
{
    QList<QPointer<TAboutForm>> seen;
    QStringList titles;
    auto closeWhenShown = [&] {
        QTimer::singleShot(0, [&] {
            auto *form = qobject_cast<TAboutForm *>(QApplication::activeModalWidget());
            ASSERT_NE(form, nullptr);
            seen << form;
            titles << form->windowTitle() + "|" + form->lblProgName->text();
            EXPECT_EQ(form->parentWidget(), &owner);
            EXPECT_LE((form->geometry().center() - owner.geometry().center()).manhattanLength(), 4);
            QTest::keyClick(form, Qt::Key_Return);
        });
    };
    closeWhenShown();
    ShowAboutForm(&owner);
    ASSERT_EQ(seen.size(), 1);
    EXPECT_TRUE(seen[0].isNull()) << "destroyed when closed";

    closeWhenShown();
    ShowAboutForm(&owner);
    ASSERT_EQ(seen.size(), 2);
    EXPECT_TRUE(seen[1].isNull());
    EXPECT_EQ(titles[0], titles[1]);
    EXPECT_TRUE(owner.findChildren<TAboutForm *>().isEmpty());
}

// Saves the window's picture when NIVARA_SCREENSHOT_DIR names a folder.
TEST_F(AboutWindow, RendersItsPicture)
{
    TAboutForm form(&owner);
    form.show();
    const QImage shot = form.grab().toImage();
    EXPECT_EQ(shot.size() / shot.devicePixelRatio(), QSize(444, 228));
    const QImage picture = AboutPicture();
    EXPECT_EQ(picture.pixelColor(0, picture.height() - 1).alpha(), 0) << "transparent background";
    if (const QString folder = qEnvironmentVariable("NIVARA_SCREENSHOT_DIR"); !folder.isEmpty()) {
        EXPECT_TRUE(shot.save(QDir(folder).filePath("about.png")));
        // The toolbar images at their own size above their double size,
        // magnified so that single pixels can be judged.
        QImage icons(kImageCount * 52, 80, QImage::Format_ARGB32_Premultiplied);
        icons.fill(Qt::white);
        QPainter painter(&icons);
        for (int i = 0; i < kImageCount; ++i) {
            painter.drawImage(i * 52 + 12, 2, NivaraIconImage(i));
            painter.drawImage(i * 52 + 2, 30, NivaraIconImage(i, 48));
        }
        painter.end();
        icons = icons.scaled(icons.size() * 3);
        EXPECT_TRUE(icons.save(QDir(folder).filePath("icons.png")));
    }
}

// The share of an image's visible pixels that are mainly of one colour.
double shareOf(const QImage &image, bool (*isColour)(const QColor &))
{
    int visible = 0, matching = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() < 128)
                continue;
            ++visible;
            matching += isColour(c) ? 1 : 0;
        }
    }
    return visible ? double(matching) / visible : 0;
}

TEST(ToolbarImages, SixDistinctImagesWithStartGreenAndStopRed)
{
    const QList<QIcon> icons = ImageList1();
    ASSERT_EQ(icons.size(), kImageCount);
    for (int i = 0; i < kImageCount; ++i) {
        EXPECT_FALSE(icons[i].isNull());
        EXPECT_EQ(icons[i].pixmap(24).size(), QSize(24, 24));
        const QImage image = NivaraIconImage(i);
        EXPECT_EQ(image.size(), QSize(24, 24));
        EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0) << "corner left clear, index " << i;
        EXPECT_GT(shareOf(image, [](const QColor &) { return true; }), 0);
        for (int j = 0; j < i; ++j)
            EXPECT_NE(image, NivaraIconImage(j)) << i << " vs " << j;
    }
    auto green = [](const QColor &c) { return c.green() > c.red() + 60; };
    auto red = [](const QColor &c) { return c.red() > c.green() + 60; };
    EXPECT_GT(shareOf(NivaraIconImage(kImageStart), green), 0.8);
    EXPECT_GT(shareOf(NivaraIconImage(kImageStop), red), 0.8);
    EXPECT_TRUE(NivaraIconImage(kImageCount).isNull());
    EXPECT_TRUE(NivaraIcon(-1).isNull());
}

} // namespace
