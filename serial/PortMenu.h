#pragma once

#include "SerialPortList.h"

#include <QString>

#include <vector>

class QMenu;

// The texts the menu shows besides port names, handed in by its owner.
struct TPortMenuTexts {
    QString Absent;    // mark of the configured port when it is not there now
    QString OtherPort; // the last item, to type any port name or path
};

// Object name of that last item.
inline constexpr const char *kOtherPortItemName = "portMenuOther";

// Replaces the items of Menu: one checkable item per port, all in one
// exclusive group, showing the port's name and description. An item's object
// name is what choosing it stores: the port's stable by-id name when it has
// one, else its name. The item of the configured port (Current, described by
// DescribeSerialPort) is checked, found by name or by the device behind it;
// when no listed port is that one, an item of its own is added for it, marked
// absent when it is not there. Last comes the item named kOtherPortItemName.
// Attaches no click handler.
void BuildPortMenu(QMenu *ParentItem, const QString &CurrentPort, const std::vector<TSerialPortInfo> &Ports,
                   const TSerialPortInfo &Current, const TPortMenuTexts &Texts);
