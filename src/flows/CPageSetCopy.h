#pragma once

#include "CPageSet.h"
#include "CPlainPageSet.h"

#include <QList>

// A page set's fields copied away from its pages, so that a command can run
// on another thread while the pages stay with the window. The copy answers
// as the pages did when it was taken. Storing does nothing: the pages stored
// their controls before the copy was taken. The rules and the block
// operations act on the copied fields as the plain page set's do, and every
// step that shows fields is remembered, for ApplyTo to repeat on the pages
// once the command has ended.
class CPageSetCopy : public CPlainPageSet
{
public:
    explicit CPageSetCopy(CPageSet& pages);

    // The fields back into pages, then the steps that showed them, in order.
    void ApplyTo(CPageSet& pages);

    bool IsOpen(Page page) const override;
    void ShowFields(Page page) override;
    void RefreshControls(Page page) override;
    void FillFromBlock() override;

private:
    enum class Step
    {
        Show,
        Refresh,
        FillFromBlock,
    };
    struct Shown
    {
        Step step;
        Page page;
    };

    bool m_open[4];
    QList<Shown> m_steps;
};
