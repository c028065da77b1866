#pragma once

// The main window's size, position and maximised state, remembered between
// runs in a file of their own beside the settings file (NivaraWindow.ini), so
// that the settings file keeps its one "Config" section.

#include <QList>
#include <QRect>
#include <QString>

#include <optional>

class QWidget;

inline const QString kWindowSection = QStringLiteral("Window");

struct TWindowPlacement {
    QRect Normal; // frame-less geometry when not maximised
    bool Maximized = false;
};

// The placement's file for a settings file: beside it.
QString WindowPlacementFileName(const QString &IniFileName);

// From the placement's file beside the settings file, or else from the
// "Window" section earlier versions kept in the settings file itself (read,
// never written); nothing when neither has a complete, sensible placement.
std::optional<TWindowPlacement> ReadWindowPlacement(const QString &IniFileName);
// Into the placement's file; throws as the settings file's writes do
// (EIniFileException).
void WriteWindowPlacement(const QString &IniFileName, const TWindowPlacement &Placement);

// Where a remembered placement goes on the screens there are now: as it was
// when its title bar area lies on one of them, else its size (cut to the
// first screen's) centred on the first; nothing without screens.
std::optional<QRect> PlaceOnScreens(const QRect &Remembered, const QList<QRect> &AvailableScreens);

TWindowPlacement CurrentWindowPlacement(const QWidget &Window);
// Applies a placement to a window not yet shown; a maximised one shows so.
void ApplyWindowPlacement(QWidget &Window, const TWindowPlacement &Placement);
