#pragma once

// Shows the busy cursor for as long as it lives: the first moment of a
// converter exchange, while the window takes no input and before the
// exchange's progress dialog says more.
class CBusyCursor
{
public:
    CBusyCursor();
    ~CBusyCursor();
    CBusyCursor(const CBusyCursor&) = delete;
    CBusyCursor& operator=(const CBusyCursor&) = delete;
};
