#pragma once
// What the system itself makes of one Windows-1251 byte, to check the
// program's own table against: Qt's code page (ICU) on Linux, the system's
// (MultiByteToWideChar) on Windows. Nothing where the system has no
// Windows-1251.

#include <QString>

#include <optional>

std::optional<QString> ReferenceCp1251(char Byte);
