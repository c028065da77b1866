#include "LabelCandidates.h"

#include "Cp1251.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>

QString SupplierListFileName(const QString &IniFileName)
{
    return QFileInfo(IniFileName).dir().filePath(QStringLiteral("Поставщики.txt"));
}

QStringList ReadSupplierList(const QByteArray &Bytes)
{
    QByteArrayView bytes(Bytes);
    const QByteArrayView bom("\xEF\xBB\xBF");
    QString text;
    if (bytes.startsWith(bom)) {
        text = QString::fromUtf8(bytes.sliced(bom.size()));
    } else {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        text = utf8.decode(bytes);
        // Windows-1251 Cyrillic is never valid UTF-8 for more than a letter.
        if (utf8.hasError())
            text = Cp1251::Decode(bytes);
    }
    QStringList labels;
    for (QStringView line : QStringView(text).split(u'\n')) {
        const QString label = line.trimmed().toString();
        if (!label.isEmpty() && Cp1251::EncodeStrict(label))
            labels << label;
    }
    return labels;
}

QStringList LabelCandidates(const QStringList &JournalLabels, const QStringList &Suppliers)
{
    QStringList offer;
    QSet<QString> seen;
    const auto add = [&](const QString &label) {
        const QString trimmed = label.trimmed();
        if (!trimmed.isEmpty() && !seen.contains(trimmed.toCaseFolded())) {
            seen.insert(trimmed.toCaseFolded());
            offer << trimmed;
        }
    };
    for (auto it = JournalLabels.crbegin(); it != JournalLabels.crend(); ++it)
        add(*it);
    for (const QString &label : Suppliers)
        add(label);
    return offer;
}
