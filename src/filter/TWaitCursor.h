#pragma once
// Shows the hourglass for as long as it lives.  Nestable: the first of
// several shows it, the last one gone brings the previous cursor back.
class TWaitCursor {
public:
    TWaitCursor();
    ~TWaitCursor();
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;

    // How many are alive.
    static int Depth();
};
