#include "PortMenu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

namespace {

const char *const PortGroupName = "portMenuGroup";

QString ItemText(const TSerialPortInfo &Port)
{
    const QString name = QString::fromStdString(Port.Name);
    if (Port.Description.empty())
        return name;
    return name + QStringLiteral(" — ") + QString::fromStdString(Port.Description);
}

// The same device, reached by another name: ttyUSB0 and its by-id link, COM1 and ttyS0.
bool SameDevice(const TSerialPortInfo &Item, const TSerialPortInfo &Current)
{
    if (!Current.ByIdPath.empty() && Current.ByIdPath == Item.ByIdPath)
        return true;
    return Current.Present && !Current.Device.empty() && Current.Device == Item.Device;
}

} // namespace

void BuildPortMenu(QMenu *ParentItem, const QString &CurrentPort, const std::vector<TSerialPortInfo> &Ports,
                   const TSerialPortInfo &Current, const TPortMenuTexts &Texts)
{
    ParentItem->clear();
    for (QActionGroup *old : ParentItem->findChildren<QActionGroup *>(PortGroupName, Qt::FindDirectChildrenOnly))
        delete old;

    auto *group = new QActionGroup(ParentItem);
    group->setObjectName(PortGroupName);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    const auto addItem = [&](const QString &Text, const QString &Value, bool Checked) {
        auto *item = new QAction(Text, ParentItem);
        item->setObjectName(Value);
        item->setCheckable(true);
        item->setChecked(Checked);
        group->addAction(item);
        ParentItem->addAction(item);
    };

    bool checked = false;
    for (const TSerialPortInfo &port : Ports) {
        if (port.Name.empty())
            continue;
        const QString value = QString::fromStdString(port.ByIdPath.empty() ? port.Name : port.ByIdPath);
        const bool current = !checked && (value == CurrentPort || QString::fromStdString(port.Name) == CurrentPort ||
                                          SameDevice(port, Current));
        checked = checked || current;
        addItem(ItemText(port), value, current);
    }
    // The configured port is always shown, so the operator sees what polling will open.
    if (!checked && !CurrentPort.isEmpty()) {
        TSerialPortInfo shown = Current;
        shown.Name = CurrentPort.toStdString();
        QString text = ItemText(shown);
        if (!Current.Present)
            text += QStringLiteral(" (") + Texts.Absent + QLatin1Char(')');
        addItem(text, CurrentPort, true);
    }

    ParentItem->addSeparator();
    QAction *other = ParentItem->addAction(Texts.OtherPort);
    other->setObjectName(QString::fromLatin1(kOtherPortItemName));
}
