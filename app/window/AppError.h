#pragma once

// The one place where errors that no handler caught are shown to the
// operator. The default sink writes to stderr; the main window installs one
// that shows the application's error box, tests install a recorder.

#include <QString>

#include <exception>
#include <functional>
#include <utility>

using ApplicationErrorSink = std::function<void(const QString &text)>;

// The operator called a command off in one of its questions: it ends
// there, and nothing is shown (the commands' callers stop as after an error).
class EAbort : public std::exception {
public:
    const char *what() const noexcept override { return "EAbort"; }
};

// Installs a sink and returns the previous one. An empty sink restores the
// default (stderr). Main thread only, like everything that shows errors.
ApplicationErrorSink SetApplicationErrorSink(ApplicationErrorSink sink);

// Hands the text to the current sink. Never throws: a sink that fails falls
// back to stderr so that the error is not lost.
void ShowApplicationError(const QString &text) noexcept;

// Runs `action`; an exception that escapes it goes to the sink instead of into
// Qt's event dispatch. Returns true when the action ran to its end.
template <class Action>
bool RunReportingErrors(Action &&action) noexcept
{
    try {
        std::forward<Action>(action)();
        return true;
    } catch (const EAbort &) {
        return false;
    } catch (const std::exception &error) {
        ShowApplicationError(QString::fromUtf8(error.what()));
    } catch (...) {
        ShowApplicationError(QStringLiteral("Unknown error"));
    }
    return false;
}
