#pragma once
// Shows the wait cursor for the life of the object. Does nothing when no
// GUI application exists, so the journal's file code runs in plain core
// programs and tests too.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;

private:
    bool FShown = false;
};
