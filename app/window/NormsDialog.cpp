#include "NormsDialog.h"

#include "ProgramTexts.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TNormsDialog::TNormsDialog(const TQualityNorms &Norms, QChar Separator, QWidget *Parent)
    : QDialog(Parent), FSeparator(Separator)
{
    setObjectName(QStringLiteral("NormsDialog"));
    setWindowTitle(MyConsts::sNormsCaption());
    auto *layout = new QVBoxLayout(this);

    auto *intro = new QLabel(MyConsts::sNormsIntro(), this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(MyConsts::sNormsColumn(), this), 0, 0);
    grid->addWidget(new QLabel(MyConsts::sNormsLower(), this), 0, 1);
    grid->addWidget(new QLabel(MyConsts::sNormsUpper(), this), 0, 2);
    for (int c = TQualityNorms::FirstValueColumn; c <= TQualityNorms::LastValueColumn; ++c) {
        const int row = c - TQualityNorms::FirstValueColumn + 1;
        auto *caption = new QLabel(MyConsts::sColumnCaption(c), this);
        FLower[size_t(c)] = new QLineEdit(this);
        FUpper[size_t(c)] = new QLineEdit(this);
        FLower[size_t(c)]->setObjectName(QStringLiteral("Lower%1").arg(c));
        FUpper[size_t(c)]->setObjectName(QStringLiteral("Upper%1").arg(c));
        caption->setBuddy(FLower[size_t(c)]);
        grid->addWidget(caption, row, 0);
        grid->addWidget(FLower[size_t(c)], row, 1);
        grid->addWidget(FUpper[size_t(c)], row, 2);
    }
    layout->addLayout(grid);

    auto *set = new QGroupBox(this);
    auto *setLayout = new QVBoxLayout(set);
    auto *setName = new QLabel(MyConsts::sRawCowMilkSet(), set);
    setName->setWordWrap(true);
    setLayout->addWidget(setName);
    ApplySetButton = new QPushButton(MyConsts::sNormsApplySet(), set);
    ApplySetButton->setObjectName(QStringLiteral("ApplySet"));
    ApplySetButton->setAutoDefault(false);
    setLayout->addWidget(ApplySetButton, 0, Qt::AlignLeft);
    layout->addWidget(set);
    // The set replaces the bounds of its columns and leaves the others.
    connect(ApplySetButton, &QPushButton::clicked, this, [this] {
        const TQualityNorms raw = RawCowMilkNorms();
        for (int c = TQualityNorms::FirstValueColumn; c <= TQualityNorms::LastValueColumn; ++c) {
            const TNorm norm = raw.Norm(c);
            if (!norm.IsSet())
                continue;
            FLower[size_t(c)]->setText(norm.Lower ? FormatBound(*norm.Lower, FSeparator) : QString());
            FUpper[size_t(c)]->setText(norm.Upper ? FormatBound(*norm.Upper, FSeparator) : QString());
        }
    });

    ProblemLabel = new QLabel(this);
    ProblemLabel->setObjectName(QStringLiteral("Problem"));
    ProblemLabel->setStyleSheet(QStringLiteral("color: #B00000"));
    ProblemLabel->setWordWrap(true);
    ProblemLabel->hide();
    layout->addWidget(ProblemLabel);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ClearButton = buttons->addButton(MyConsts::sNormsClear(), QDialogButtonBox::ResetRole);
    ClearButton->setAutoDefault(false);
    connect(ClearButton, &QPushButton::clicked, this, [this] { Fill({}); });
    connect(buttons, &QDialogButtonBox::accepted, this, &TNormsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TNormsDialog::reject);
    layout->addWidget(buttons);

    Fill(Norms);
}

void TNormsDialog::Fill(const TQualityNorms &Norms)
{
    for (int c = TQualityNorms::FirstValueColumn; c <= TQualityNorms::LastValueColumn; ++c) {
        const TNorm norm = Norms.Norm(c);
        FLower[size_t(c)]->setText(norm.Lower ? FormatBound(*norm.Lower, FSeparator) : QString());
        FUpper[size_t(c)]->setText(norm.Upper ? FormatBound(*norm.Upper, FSeparator) : QString());
    }
}

QString TNormsDialog::Problem() const
{
    for (int c = TQualityNorms::FirstValueColumn; c <= TQualityNorms::LastValueColumn; ++c) {
        for (const QLineEdit *edit : {FLower[size_t(c)], FUpper[size_t(c)]}) {
            const QString text = edit->text().trimmed();
            if (!text.isEmpty() && !ParseBound(text, FSeparator))
                return MyConsts::sNormsBadBound().arg(MyConsts::sColumnCaption(c), text);
        }
        const std::optional<double> lower = ParseBound(FLower[size_t(c)]->text(), FSeparator);
        const std::optional<double> upper = ParseBound(FUpper[size_t(c)]->text(), FSeparator);
        if (lower && upper && *lower > *upper)
            return MyConsts::sNormsLowerAboveUpper().arg(MyConsts::sColumnCaption(c));
    }
    return {};
}

std::optional<TQualityNorms> TNormsDialog::Norms() const
{
    if (!Problem().isEmpty())
        return std::nullopt;
    TQualityNorms norms;
    for (int c = TQualityNorms::FirstValueColumn; c <= TQualityNorms::LastValueColumn; ++c)
        norms.SetNorm(
            c, {ParseBound(FLower[size_t(c)]->text(), FSeparator), ParseBound(FUpper[size_t(c)]->text(), FSeparator)});
    return norms;
}

void TNormsDialog::accept()
{
    const QString problem = Problem();
    ProblemLabel->setText(problem);
    ProblemLabel->setVisible(!problem.isEmpty());
    if (problem.isEmpty())
        QDialog::accept();
}
