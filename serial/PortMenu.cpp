#include "PortMenu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

namespace {
const char *const PortGroupName = "portMenuGroup";
}

void BuildPortMenu(QMenu *ParentItem, const QString &CurrentPort, const std::string &PortNameList) {
    const std::vector<std::string> names = SplitPortNames(PortNameList);

    ParentItem->clear();
    for (QActionGroup *old : ParentItem->findChildren<QActionGroup *>(PortGroupName, Qt::FindDirectChildrenOnly))
        delete old;

    auto *group = new QActionGroup(ParentItem);
    group->setObjectName(PortGroupName);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    for (const std::string &name : names) {
        // Any text serves as an object name here, so a name that is no
        // identifier still gets its item; only an empty one is useless.
        if (name.empty())
            continue;
        const QString text = QString::fromStdString(name);
        auto *item = new QAction(text, ParentItem);
        item->setObjectName(text);
        item->setCheckable(true);
        item->setChecked(text == CurrentPort);
        group->addAction(item);
        ParentItem->addAction(item);
    }
}
