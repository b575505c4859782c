#pragma once

// Shows the busy cursor for as long as it lives. Converter exchanges block
// the window for up to a few seconds, and without it the window just looks
// hung.
class CBusyCursor
{
public:
    CBusyCursor();
    ~CBusyCursor();
    CBusyCursor(const CBusyCursor&) = delete;
    CBusyCursor& operator=(const CBusyCursor&) = delete;
};
