#pragma once

#include <QList>

class QBoxLayout;
class QHBoxLayout;
class QWidget;

// The window's button row on a screen too narrow for it (a large scale
// factor, or large text on a small screen): the file buttons go on rows of
// their own above the commands, and the commands wrap onto as many rows as
// they need, the status line staying below them.
class CButtonRows
{
public:
    CButtonRows() = delete;

    // Leaves the row as it is where it fits the room; returns the height
    // all the rows take.
    static int Fit(QBoxLayout& sheet, QHBoxLayout& row, const QList<QWidget*>& files,
                   const QList<QWidget*>& commands, int room);

private:
    // Moves the buttons out of the row onto rows above it, as many on a row
    // as fit the room; returns the rows' height.
    static int Wrap(QBoxLayout& sheet, QHBoxLayout& row, const QList<QWidget*>& buttons,
                    bool leftAligned, int room);
};
