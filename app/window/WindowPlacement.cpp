#include "WindowPlacement.h"

#include "IniFile.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <limits>

namespace {

const QString kKeyLeft = QStringLiteral("Left");
const QString kKeyTop = QStringLiteral("Top");
const QString kKeyWidth = QStringLiteral("Width");
const QString kKeyHeight = QStringLiteral("Height");
const QString kKeyMaximized = QStringLiteral("Maximized");
constexpr int kMissing = std::numeric_limits<int>::min();
// A title bar's worth that has to be on a screen to grab the window by.
constexpr int kGrabHeight = 24;
constexpr int kMinimumSide = 100;

std::optional<TWindowPlacement> ReadPlacementFrom(const QString &FileName)
{
    if (!QFileInfo::exists(FileName))
        return std::nullopt;
    const TIniPlus ini(FileName);
    const int left = ini.ReadInteger(kWindowSection, kKeyLeft, kMissing);
    const int top = ini.ReadInteger(kWindowSection, kKeyTop, kMissing);
    const int width = ini.ReadInteger(kWindowSection, kKeyWidth, kMissing);
    const int height = ini.ReadInteger(kWindowSection, kKeyHeight, kMissing);
    if (left == kMissing || top == kMissing || width < kMinimumSide || height < kMinimumSide)
        return std::nullopt;
    return TWindowPlacement{QRect(left, top, width, height), ini.ReadInteger(kWindowSection, kKeyMaximized, 0) != 0};
}

} // namespace

QString WindowPlacementFileName(const QString &IniFileName)
{
    return QFileInfo(IniFileName).dir().filePath(QStringLiteral("NivaraWindow.ini"));
}

std::optional<TWindowPlacement> ReadWindowPlacement(const QString &IniFileName)
{
    if (std::optional<TWindowPlacement> placement = ReadPlacementFrom(WindowPlacementFileName(IniFileName)))
        return placement;
    return ReadPlacementFrom(IniFileName);
}

void WriteWindowPlacement(const QString &IniFileName, const TWindowPlacement &Placement)
{
    TIniPlus ini(WindowPlacementFileName(IniFileName));
    ini.WriteInteger(kWindowSection, kKeyLeft, Placement.Normal.left());
    ini.WriteInteger(kWindowSection, kKeyTop, Placement.Normal.top());
    ini.WriteInteger(kWindowSection, kKeyWidth, Placement.Normal.width());
    ini.WriteInteger(kWindowSection, kKeyHeight, Placement.Normal.height());
    ini.WriteInteger(kWindowSection, kKeyMaximized, Placement.Maximized ? 1 : 0);
}

std::optional<QRect> PlaceOnScreens(const QRect &Remembered, const QList<QRect> &AvailableScreens)
{
    if (AvailableScreens.isEmpty())
        return std::nullopt;
    const QRect grab(Remembered.topLeft(), QSize(Remembered.width(), kGrabHeight));
    for (const QRect &screen : AvailableScreens)
        if (screen.intersected(grab).width() >= kMinimumSide && screen.contains(grab.center()))
            return Remembered;
    // The screen it was on is gone (a projector unplugged): the first one,
    // whole on it.
    const QRect first = AvailableScreens.front();
    QRect placed(QPoint(), Remembered.size().boundedTo(first.size()));
    placed.moveCenter(first.center());
    return placed;
}

TWindowPlacement CurrentWindowPlacement(const QWidget &Window)
{
    return {Window.normalGeometry(), Window.isMaximized()};
}

void ApplyWindowPlacement(QWidget &Window, const TWindowPlacement &Placement)
{
    QList<QRect> screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    if (const std::optional<QRect> placed = PlaceOnScreens(Placement.Normal, screens))
        Window.setGeometry(*placed);
    if (Placement.Maximized)
        Window.setWindowState(Window.windowState() | Qt::WindowMaximized);
}
