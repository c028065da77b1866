#include "CommandKeys.h"

#include <QAction>
#include <QMenuBar>
#include <QProxyStyle>
#include <QShortcut>

#include <set>

namespace {

// Qt's styles other than the Windows ones leave Alt's menu bar navigation off.
class TAltNavigationStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint Hint, const QStyleOption *Option, const QWidget *Widget,
                  QStyleHintReturn *Return) const override
    {
        if (Hint == SH_MenuBar_AltKeyNavigation)
            return 1;
        return QProxyStyle::styleHint(Hint, Option, Widget, Return);
    }
};

} // namespace

QKeySequence StandardKey(QKeySequence::StandardKey Key)
{
    const QList<QKeySequence> keys = QKeySequence::keyBindings(Key);
    if (!keys.isEmpty())
        return keys.front();
    switch (Key) {
    case QKeySequence::New: return QKeySequence(Qt::CTRL | Qt::Key_N);
    case QKeySequence::Open: return QKeySequence(Qt::CTRL | Qt::Key_O);
    case QKeySequence::Save: return QKeySequence(Qt::CTRL | Qt::Key_S);
    case QKeySequence::SaveAs: return QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S);
    case QKeySequence::Print: return QKeySequence(Qt::CTRL | Qt::Key_P);
    default: return {};
    }
}

void AssignCommandKeys(const TCommandActions &Actions)
{
    Actions.New->setShortcut(StandardKey(QKeySequence::New));
    Actions.Open->setShortcut(StandardKey(QKeySequence::Open));
    Actions.Save->setShortcut(StandardKey(QKeySequence::Save));
    Actions.SaveAs->setShortcut(StandardKey(QKeySequence::SaveAs));
    Actions.Print->setShortcut(StandardKey(QKeySequence::Print));
    Actions.Polling->setShortcut(QKeySequence(kPollingKey));
}

QStringList WithAccessKeys(const QStringList &Texts)
{
    std::set<QChar> taken;
    QStringList marked;
    for (const QString &text : Texts) {
        const auto isFree = [&](qsizetype i) { return text[i].isLetter() && !taken.count(text[i].toUpper()); };
        qsizetype at = -1;
        for (qsizetype i = 0; i < text.size() && at < 0; ++i)
            if ((i == 0 || text[i - 1].isSpace()) && isFree(i))
                at = i;
        for (qsizetype i = 0; i < text.size() && at < 0; ++i)
            if (isFree(i))
                at = i;
        if (at < 0 || text.contains(QLatin1Char('&'))) {
            marked << text;
            continue;
        }
        taken.insert(text[at].toUpper());
        marked << QString(text).insert(at, QLatin1Char('&'));
    }
    return marked;
}

void AddAccessKeys(const QList<QAction *> &Actions)
{
    QStringList texts;
    for (const QAction *action : Actions)
        texts << action->text();
    const QStringList marked = WithAccessKeys(texts);
    for (qsizetype i = 0; i < Actions.size(); ++i)
        Actions[i]->setText(marked[i]);
}

void ReachMenuBarByKeys(QMenuBar *MenuBar)
{
    // Parented to the window, which deletes it after the menu bar.
    auto *style = new TAltNavigationStyle;
    style->setParent(MenuBar->window());
    MenuBar->setStyle(style);
    auto *f10 = new QShortcut(QKeySequence(Qt::Key_F10), MenuBar->window());
    QObject::connect(f10, &QShortcut::activated, MenuBar, [MenuBar] {
        for (QAction *action : MenuBar->actions())
            if (action->isVisible() && action->isEnabled()) {
                MenuBar->setActiveAction(action);
                return;
            }
    });
}
