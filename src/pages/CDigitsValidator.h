#pragma once

#include <QValidator>

// Takes ASCII digits only, and nothing typed between them. The number edits
// take their text from the fields at start; a regular expression would be
// compiled for that first check, before the window first shows.
class CDigitsValidator : public QValidator
{
    Q_OBJECT
public:
    explicit CDigitsValidator(QObject* parent = nullptr);

    State validate(QString& input, int& position) const override;
};
