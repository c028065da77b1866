#include "AboutForm.h"

#include "ProgramTexts.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>

namespace {

UrlOpener &urlOpener()
{
    static UrlOpener opener = OpenLink;
    return opener;
}

// The classic dialog font, with look-alikes where it is not installed.
QFont dialogFont(bool bold, bool underline = false)
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans Condensed"),
                      QStringLiteral("DejaVu Sans")});
    font.setPointSize(8);
    font.setBold(bold);
    font.setUnderline(underline);
    return font;
}

QLabel *placeLabel(QLabel *label, int left, int top)
{
    label->move(left, top);
    label->adjustSize();
    label->setFocusPolicy(Qt::NoFocus);
    return label;
}

TLinkLabel *linkLabel(const char *text, QWidget *parent, int left, int top)
{
    auto *label = new TLinkLabel(QString::fromLatin1(text), parent);
    label->setFont(dialogFont(true, true));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    label->setPalette(palette);
    label->setForegroundRole(QPalette::WindowText);
    label->setCursor(Qt::PointingHandCursor);
    placeLabel(label, left, top);
    return label;
}

} // namespace

UrlOpener SetAboutUrlOpener(UrlOpener opener)
{
    return std::exchange(urlOpener(), std::move(opener));
}

TLinkLabel::TLinkLabel(const QString &text, QWidget *parent) : QLabel(text, parent) {}

void TLinkLabel::mousePressEvent(QMouseEvent *event)
{
    FPressed = event->button() == Qt::LeftButton;
    event->accept();
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = FPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    FPressed = false;
    event->accept();
    if (click)
        emit clicked();
}

TAboutForm::TAboutForm(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::MSWindowsFixedSizeDialogHint)
    , FOpenUrl(urlOpener())
{
    setFixedSize(444, 228);
    setFont(dialogFont(true));
    setWindowTitle(MyConsts::sAbout());

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setGeometry(16, 8, 409, 169);
    GroupBox1->setFocusPolicy(Qt::NoFocus);

    Image1 = new QLabel(GroupBox1);
    Image1->setGeometry(8, 8, 150, 137);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setPixmap(QPixmap::fromImage(AboutPicture()));
    Image1->setFocusPolicy(Qt::NoFocus);

    lblProgName = placeLabel(new QLabel(MyConsts::sProgramTitle(), GroupBox1), 176, 24);
    lblCompanyName = placeLabel(new QLabel(MyConsts::sCompanyName(), GroupBox1), 176, 64);
    lblTel = placeLabel(new QLabel(MyConsts::sCompanyPhone(), GroupBox1), 176, 96);
    lblSite = linkLabel(kMakerSite, GroupBox1, 176, 132);
    lblemail = linkLabel(kMakerEmail, GroupBox1, 296, 132);
    connect(lblSite, &TLinkLabel::clicked, this, &TAboutForm::lblSiteClick);
    connect(lblemail, &TLinkLabel::clicked, this, &TAboutForm::lblemailClick);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setGeometry(176, 190, 75, 25);
    Button1->setDefault(true);
    Button1->setFocusPolicy(Qt::StrongFocus);
    Button1->setFocus();
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutForm::lblemailClick()
{
    if (FOpenUrl)
        FOpenUrl({QUrl(QStringLiteral("mailto:") + lblemail->text()), parentWidget() ? parentWidget() : this, false});
}

void TAboutForm::lblSiteClick()
{
    if (FOpenUrl)
        FOpenUrl({QUrl(QStringLiteral("http://") + lblSite->text()), nullptr, true});
}

void TAboutForm::keyPressEvent(QKeyEvent *event)
{
    // Only OK and the close box close this window; Esc does nothing.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

QImage AboutPicture()
{
    QImage image(150, 134, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    const QColor outline(0x30, 0x40, 0x58);
    const QColor steel(0xc4, 0xcc, 0xd6);
    const QColor shine(0xee, 0xf2, 0xf6);
    const QColor milk(0xff, 0xfd, 0xf4);
    const QColor glass(0xd8, 0xec, 0xfa);
    const QColor accent(0x2a, 0x6c, 0xc0);
    const QColor meadow(0x5c, 0xa8, 0x48);

    // The meadow the can stands on.
    p.setPen(Qt::NoPen);
    p.setBrush(meadow);
    p.drawEllipse(QRectF(4, 116, 142, 16));

    // A milk can: body, shoulders, neck, lid, handles, a blue band.
    QPainterPath can;
    can.moveTo(22, 124);
    can.lineTo(22, 62);
    can.cubicTo(22, 52, 40, 46, 44, 38);
    can.lineTo(44, 28);
    can.lineTo(72, 28);
    can.lineTo(72, 38);
    can.cubicTo(76, 46, 94, 52, 94, 62);
    can.lineTo(94, 124);
    can.closeSubpath();
    p.setPen(QPen(outline, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(steel);
    p.drawPath(can);

    p.setPen(Qt::NoPen);
    p.setBrush(shine);
    p.drawRoundedRect(QRectF(30, 64, 9, 54), 4, 4);
    p.setBrush(accent);
    p.drawRect(QRectF(23, 84, 70, 10));

    p.setPen(QPen(outline, 2));
    p.setBrush(steel);
    p.drawRoundedRect(QRectF(38, 18, 40, 11), 4, 4);
    p.drawRoundedRect(QRectF(53, 10, 10, 9), 3, 3);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(12, 58, 16, 22), 90 * 16, 180 * 16);
    p.drawArc(QRectF(88, 58, 16, 22), -90 * 16, 180 * 16);

    // A test tube with milk, leaning on the can.
    p.save();
    p.translate(122, 70);
    p.rotate(12);
    QPainterPath tube;
    tube.moveTo(-9, -56);
    tube.lineTo(-9, 34);
    tube.arcTo(QRectF(-9, 25, 18, 18), 180, 180);
    tube.lineTo(9, -56);
    p.setPen(Qt::NoPen);
    p.setBrush(glass);
    p.drawPath(tube);
    QPainterPath sample;
    sample.moveTo(-9, -6);
    sample.lineTo(-9, 34);
    sample.arcTo(QRectF(-9, 25, 18, 18), 180, 180);
    sample.lineTo(9, -6);
    sample.closeSubpath();
    p.setBrush(milk);
    p.drawPath(sample);
    p.setPen(QPen(outline, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tube);
    p.drawLine(QPointF(-12, -56), QPointF(12, -56));
    p.setPen(QPen(accent, 1.5));
    for (int mark = -40; mark <= 20; mark += 15)
        p.drawLine(QPointF(2, mark), QPointF(9, mark));
    p.restore();

    // A drop of milk falling towards the tube.
    QPainterPath drop;
    drop.moveTo(112, 2);
    drop.cubicTo(118, 12, 124, 18, 124, 24);
    drop.arcTo(QRectF(100, 12, 24, 24), 0, -180);
    drop.cubicTo(100, 18, 106, 12, 112, 2);
    p.setPen(QPen(accent, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(milk);
    p.drawPath(drop);
    return image;
}

void ShowAboutForm(QWidget *owner)
{
    // Guarded, so that a window already destroyed along with its owner is not
    // deleted a second time.
    QPointer<TAboutForm> form = new TAboutForm(owner);
    form->exec();
    delete form.data();
}
