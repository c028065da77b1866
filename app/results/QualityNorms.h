#pragma once

// Quality norms: an optional lower and upper bound for each value column of
// the journal (5 "Температура" to 16 "Ст.гомогенизации"), and the judgement
// of a cell's text against them. A cell is read as the journal's statistics
// read it (ParseCellNumber: the regional decimal separator); an empty cell
// or one holding text is not judged. Qt Core only.

#include <QChar>
#include <QString>

#include <array>
#include <optional>

// A bound is kept as the number it reads as, so that "2,8" and "2,80" are
// the same bound and a cell showing exactly the bound is within it.
struct TNorm {
    std::optional<double> Lower; // not below
    std::optional<double> Upper; // not above
    bool IsSet() const { return Lower || Upper; }
    bool operator==(const TNorm &) const = default;
};

enum class TNormVerdict { NotJudged, Within, Below, Above };

class TQualityNorms {
public:
    static constexpr int FirstValueColumn = 5; // "Температура"
    static constexpr int LastValueColumn = 16; // "Ст.гомогенизации"
    static constexpr int FreezingPointColumn = 15;
    static bool IsValueColumn(int Column) { return Column >= FirstValueColumn && Column <= LastValueColumn; }

    // No bound anywhere: the journal looks as it does without norms.
    bool IsEmpty() const;
    // The norm of a column; an empty one outside the value columns.
    TNorm Norm(int Column) const;
    // Ignored outside the value columns.
    void SetNorm(int Column, const TNorm &Norm);

    // A cell of Column whose text is Text, numbers written with
    // DecimalSeparator.
    TNormVerdict Judge(int Column, const QString &Text, QChar DecimalSeparator) const;
    bool Breaks(int Column, const QString &Text, QChar DecimalSeparator) const
    {
        const TNormVerdict verdict = Judge(Column, Text, DecimalSeparator);
        return verdict == TNormVerdict::Below || verdict == TNormVerdict::Above;
    }

    bool operator==(const TQualityNorms &) const = default;

private:
    std::array<TNorm, LastValueColumn + 1> FNorms{};
};

// The ready set for raw cow's milk, the minimums of GOST 31449 and the
// customs union's TR CU 033/2013: fat and protein not below 2,8 %, SNF not
// below 8,2 %, density not below 1027,0 kg/m³, freezing point not above
// −0,520 °C.
TQualityNorms RawCowMilkNorms();

// A bound as a person types or reads it: the separator given or a point,
// an optional sign (also the typographic minus "−"), digits. Nothing for
// anything else.
std::optional<double> ParseBound(const QString &Text, QChar DecimalSeparator);
// A bound written with the given separator and no more digits than it needs.
QString FormatBound(double Bound, QChar DecimalSeparator);
