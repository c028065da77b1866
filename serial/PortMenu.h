#pragma once

#include "EnumSP.h"

#include <QString>

#include <string>

class QMenu;

// Replaces the items of Menu by one checkable item per port name, all in one
// exclusive group, each with the name as text and object name; only the item
// whose name equals CurrentPort exactly (case counts) is checked. Attaches no
// click handler. Names come as GetSerialPortNames gives them.
void BuildPortMenu(QMenu *ParentItem, const QString &CurrentPort,
                   const std::string &PortNameList = GetSerialPortNames());
