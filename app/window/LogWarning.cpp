#include "LogWarning.h"

#include "ProgramTexts.h"

#include <QDir>
#include <QLabel>

TLogWarning::TLogWarning(QWidget *Parent) : QToolBar(Parent)
{
    setObjectName(QStringLiteral("LogWarning"));
    setMovable(false);
    setFloatable(false);
    setContextMenuPolicy(Qt::PreventContextMenu);
    FLabel = new QLabel(this);
    FLabel->setObjectName(QStringLiteral("LogWarningText"));
    FLabel->setWordWrap(true);
    FLabel->setStyleSheet(
        QStringLiteral("QLabel { background: #c00000; color: white; font-weight: bold; padding: 4px; }"));
    FLabel->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    addWidget(FLabel);
    setVisible(false);
}

void TLogWarning::SetSecured(bool Secured, const QString &LogFileName, const QString &Cause)
{
    FLabel->setText(Secured ? QString() : MyConsts::sLogNotSecured().arg(QDir::toNativeSeparators(LogFileName), Cause));
    setVisible(!Secured);
}

QString TLogWarning::Text() const
{
    return FLabel->text();
}
