#pragma once

// Brings the program's window to the operator when a second start asks for
// it: out of the taskbar, raised and activated, or, while a box is open, the
// box; where the desktop will not hand over the focus, the taskbar entry
// asks for attention instead.

class QWidget;

// Window: the main window; null while it is still being built.
void BringWindowToFront(QWidget *Window);
