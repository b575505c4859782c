#pragma once

#include "BitTiming.h"

#include <QDialog>
#include <QList>

#include <memory>
#include <optional>

namespace Ui {
class CBitTimingDialog;
}

// The bit-timing calculator: a bit rate, sample point, SJW and sampling
// asked for, every register value that gives them, best first. The page
// puts the chosen one on itself.
class CBitTimingDialog : public QDialog
{
    Q_OBJECT
public:
    // current: the page's value, whose rate and sample point start the search.
    CBitTimingDialog(CanController controller, const std::optional<BitTiming>& current,
                     QWidget* parent = nullptr);
    ~CBitTimingDialog() override;

    std::optional<BitTiming> Chosen() const;
    int ProposalCount() const { return int(m_proposals.size()); }
    // Rate as typed ("83.333K"), sample point in percent.
    void Ask(const QString& rate, double samplePoint);

private:
    void Propose();

    std::unique_ptr<Ui::CBitTimingDialog> m_ui;
    CanController m_controller;
    QList<BitTiming> m_proposals;
};
