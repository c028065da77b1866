#pragma once

// One program per settings folder. The first start in a folder takes the
// result log's lock (Nivara.lock beside the log) for the life of the
// process, before the log is read, and answers on a local socket named after
// the folder. A later start there (a second click on the desktop icon) finds
// the lock taken, asks the running program to bring its window to the front
// and ends, having read and written nothing in the folder: two programs on
// one log would cut each other's records and acknowledge analyses that
// neither had fetched. Two analyzers on one computer run from two settings
// folders. Qt Core and Network; all on the main thread.

#include "ExclusiveFileLock.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>

class QLocalServer;

enum class TStartVerdict {
    Run,            // this start is the folder's program
    BroughtForward, // the running one brings its window forward; end
    NotAnswering,   // another holds the folder but does not answer; say so and end
};

class TStationInstance : public QObject {
    Q_OBJECT
public:
    explicit TStationInstance(const QString &LogFileName, QObject *Parent = nullptr);
    ~TStationInstance() override;

    // Decides this start. A running program that is still starting up (a
    // box open) answers from that box's loop; one that says nothing within
    // AnswerWait is taken as not answering.
    TStartVerdict Claim(std::chrono::milliseconds AnswerWait = std::chrono::seconds(5));

    // Called when a later start asks for the window, from the event loop.
    std::function<void()> OnBringForward;

    static QString LockFileName(const QString &LogFileName);
    // The same for every start in one folder by one user, whatever path
    // names the folder; safe as a socket or pipe name.
    static QString ServerName(const QString &Folder);
    const QString &Folder() const { return FFolder; }

private:
    bool AskRunningOne(std::chrono::milliseconds Wait) const;
    void Listen(bool RemoveStale);
    void Answer();

    QString FFolder;
    TExclusiveFileLock FLock;
    QLocalServer *FServer = nullptr;
};
