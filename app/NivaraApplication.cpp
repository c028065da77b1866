#include "NivaraApplication.h"

#include "AppError.h"

#include <exception>

TNivaraApplication::TNivaraApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool TNivaraApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        ShowApplicationError(QString::fromUtf8(error.what()));
    } catch (...) {
        ShowApplicationError(QStringLiteral("Unknown error"));
    }
    return false;
}
