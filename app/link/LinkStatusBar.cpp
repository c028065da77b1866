#include "LinkStatusBar.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

namespace {

// A field that gives way to the link's state when the bar is narrow: it
// shrinks with an ellipsis and keeps its whole text in its tooltip.
class TElidedLabel : public QLabel {
public:
    using QLabel::QLabel;
    QSize minimumSizeHint() const override { return {fontMetrics().horizontalAdvance(QStringLiteral("W…")), 0}; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QRect area = contentsRect();
        painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter,
                         fontMetrics().elidedText(text(), Qt::ElideMiddle, area.width()));
    }
};

QLabel *Field(QWidget *Parent, const char *Name, bool GivesWay)
{
    QLabel *label = GivesWay ? new TElidedLabel(Parent) : new QLabel(Parent);
    label->setObjectName(QString::fromLatin1(Name));
    label->setTextFormat(Qt::PlainText);
    return label;
}

QFrame *Separator(QWidget *Parent)
{
    auto *line = new QFrame(Parent);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

// Loud enough to be seen across the room; the can't-start reason only
// needs to stand out from the other fields.
const QString kOperatorStyle = QStringLiteral("QLabel { background: #c62828; color: white; font-weight: bold; "
                                              "padding: 0 4px; }");
const QString kReasonStyle = QStringLiteral("QLabel { color: #b71c1c; font-weight: bold; }");

} // namespace

TLinkStatusBar::TLinkStatusBar(QWidget *Parent)
    : QWidget(Parent), FAlert([](QWidget *Window) { QApplication::alert(Window); })
{
    setObjectName(QStringLiteral("LinkStatusBar"));
    // The state first and whole: it is what the operator must not miss.
    FStateLabel = Field(this, "LinkState", false);
    FPortLabel = Field(this, "LinkPort", true);
    FResultsLabel = Field(this, "LinkResults", true);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FStateLabel, 1);
    layout->addWidget(Separator(this));
    layout->addWidget(FPortLabel);
    layout->addWidget(Separator(this));
    layout->addWidget(FResultsLabel);

    connect(&FTimer, &QTimer::timeout, this, &TLinkStatusBar::Refresh);
    FTimer.start(kRefreshMs);
}

void TLinkStatusBar::SetSource(std::function<TLinkInput()> Source)
{
    FSource = std::move(Source);
    Refresh();
}

void TLinkStatusBar::SetPort(const QString &Name, const QString &Description)
{
    FPortName = Name;
    FPortDescription = Description;
    Refresh();
}

void TLinkStatusBar::SetAlert(std::function<void(QWidget *)> Alert)
{
    FAlert = std::move(Alert);
}

void TLinkStatusBar::Refresh()
{
    if (!FSource)
        return;
    TLinkInput in = FSource();
    if (in.Port == FPortName)
        in.PortDescription = FPortDescription;
    FStatus = DescribeLink(in, FSettings);

    FStateLabel->setText(FStatus.StateText);
    FStateLabel->setToolTip(FStatus.Details);
    for (const auto &[label, text] :
         {std::pair{FPortLabel, FStatus.PortText}, std::pair{FResultsLabel, FStatus.ResultsText}}) {
        label->setText(text);
        label->setToolTip(text);
    }
    const QString &style = FStatus.NeedsOperator                      ? kOperatorStyle
                           : FStatus.State == TLinkState::CannotStart ? kReasonStyle
                                                                      : QString();
    if (FStateLabel->styleSheet() != style) // a new style sheet costs a re-polish
        FStateLabel->setStyleSheet(style);

    // Once per entry into a state that needs the operator, not at every refresh.
    if (!FStatus.NeedsOperator) {
        FAlerted = false;
    } else if (!FAlerted || FAlertedState != FStatus.State) {
        FAlerted = true;
        FAlertedState = FStatus.State;
        if (FAlert)
            FAlert(window());
    }
}

QString TLinkStatusBar::Text() const
{
    return QStringList{FStateLabel->text(), FPortLabel->text(), FResultsLabel->text()}.join(QStringLiteral(" | "));
}
