#pragma once

// The dialog of the quality norms: for each value column of the journal a
// bound "not below" and one "not above" (an empty field sets none), the
// ready set for raw cow's milk to put in with a button (nothing of it is
// set until the operator asks for it), and clearing all. OK refuses a field
// that is not a number, or a lower bound above the upper one, and says
// which.

#include "QualityNorms.h"

#include <QDialog>

#include <array>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

class TNormsDialog : public QDialog {
    Q_OBJECT
public:
    TNormsDialog(const TQualityNorms &Norms, QChar Separator, QWidget *Parent = nullptr);

    QLineEdit *LowerEdit(int Column) const { return FLower[size_t(Column)]; }
    QLineEdit *UpperEdit(int Column) const { return FUpper[size_t(Column)]; }
    QPushButton *ApplySetButton = nullptr;
    QPushButton *ClearButton = nullptr;
    QLabel *ProblemLabel = nullptr;

    // The norms as the fields stand; nothing when a field does not read
    // (Problem() says why).
    std::optional<TQualityNorms> Norms() const;
    QString Problem() const;

    void accept() override;

private:
    void Fill(const TQualityNorms &Norms);

    QChar FSeparator;
    std::array<QLineEdit *, TQualityNorms::LastValueColumn + 1> FLower{};
    std::array<QLineEdit *, TQualityNorms::LastValueColumn + 1> FUpper{};
};
