#include "QualityNormsFile.h"

#include "DurableFile.h"
#include "FileError.h"
#include "ProgramTexts.h"
#include "RegularFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>

#include <stdexcept>

namespace {

// The file always writes a comma, whatever the desktop's separator, so that
// it reads the same on every station.
constexpr QChar kFileSeparator = u',';

struct TLineBound {
    int Column = 0;
    bool Lower = false;
    double Bound = 0;
};

// Why a line is not a bound, empty when it is one.
QString ParseLine(const QString &Line, TLineBound &Bound)
{
    static const std::pair<QString, bool> relations[] = {{QStringLiteral(">="), true},
                                                         {QStringLiteral("<="), false},
                                                         {QStringLiteral("\u2265"), true},
                                                         {QStringLiteral("\u2264"), false}};
    qsizetype at = -1;
    qsizetype length = 0;
    for (const auto &[relation, lower] : relations) {
        if (const qsizetype found = Line.indexOf(relation); found > 0 && (at < 0 || found < at)) {
            at = found;
            length = relation.size();
            Bound.Lower = lower;
        }
    }
    if (at < 0)
        return MyConsts::sNormsFileNoRelation();
    const QString column = Line.left(at).trimmed();
    const QString number = Line.mid(at + length).trimmed();
    Bound.Column = 0;
    for (int c = TQualityNorms::FirstValueColumn; c <= TQualityNorms::LastValueColumn; ++c)
        if (MyConsts::sColumnCaption(c).compare(column, Qt::CaseInsensitive) == 0)
            Bound.Column = c;
    if (Bound.Column == 0)
        return MyConsts::sNormsFileNoColumn().arg(column);
    const std::optional<double> value = ParseBound(number, kFileSeparator);
    if (!value)
        return MyConsts::sNormsFileBadNumber().arg(number);
    Bound.Bound = *value;
    return {};
}

} // namespace

QString NormsFileName(const QString &IniFileName)
{
    return QFileInfo(IniFileName).dir().filePath(QStringLiteral("NivaraNorms.txt"));
}

TNormsFileContents ParseNormsText(const QByteArray &Bytes, const QString &FileName)
{
    TNormsFileContents contents;
    const QString shownName = QDir::toNativeSeparators(FileName);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(Bytes);
    if (utf8.hasError())
        contents.Problems << MyConsts::sNormsFileNotUtf8().arg(shownName);
    if (text.startsWith(u'\uFEFF'))
        text.remove(0, 1);
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u'#') || trimmed.startsWith(u';'))
            continue;
        TLineBound bound;
        QString problem = ParseLine(trimmed, bound);
        TNorm norm = contents.Norms.Norm(bound.Column);
        if (problem.isEmpty() && (bound.Lower ? norm.Lower : norm.Upper))
            problem = MyConsts::sNormsFileTwice().arg(MyConsts::sColumnCaption(bound.Column));
        if (!problem.isEmpty()) {
            contents.Problems << MyConsts::sNormsFileBadLine().arg(shownName, QString::number(i + 1), trimmed, problem);
            continue;
        }
        (bound.Lower ? norm.Lower : norm.Upper) = bound.Bound;
        contents.Norms.SetNorm(bound.Column, norm);
    }
    return contents;
}

TNormsFileContents ReadNormsFile(const QString &FileName)
{
    try {
        if (const std::optional<QByteArray> bytes = TRegularFileReader::ReadAll(FileName))
            return ParseNormsText(*bytes, FileName);
        return {};
    } catch (const EFileError &e) {
        TNormsFileContents contents;
        contents.Problems << MyConsts::sNormsFileUnreadable().arg(QDir::toNativeSeparators(FileName), e.Cause());
        return contents;
    }
}

QByteArray NormsText(const TQualityNorms &Norms)
{
    QString text = MyConsts::sNormsFileHeader();
    for (int c = TQualityNorms::FirstValueColumn; c <= TQualityNorms::LastValueColumn; ++c) {
        const TNorm norm = Norms.Norm(c);
        if (norm.Lower)
            text +=
                QStringLiteral("%1 >= %2\n").arg(MyConsts::sColumnCaption(c), FormatBound(*norm.Lower, kFileSeparator));
        if (norm.Upper)
            text +=
                QStringLiteral("%1 <= %2\n").arg(MyConsts::sColumnCaption(c), FormatBound(*norm.Upper, kFileSeparator));
    }
    return text.toUtf8();
}

void WriteNormsFile(const QString &FileName, const TQualityNorms &Norms)
{
    const QByteArray bytes = NormsText(Norms);
    try {
        DurableFile::WriteFile(FileName, [&bytes](const DurableFile::TWrite &Write) { Write(bytes); });
    } catch (const EFileError &e) {
        throw std::runtime_error(
            MyConsts::sNormsFileNotWritten().arg(QDir::toNativeSeparators(FileName), e.Cause()).toStdString());
    }
}
