#include "NumberTextRules.h"

#include <cctype>
#include <regex>
#include <set>
#include <sstream>

namespace {

// The source with comments blanked (line breaks kept), string and character
// literals kept as they are.
std::string WithoutComments(const std::string &Source)
{
    std::string out = Source;
    enum { Code, Line, Block, String, Char } state = Code;
    for (size_t i = 0; i < out.size(); ++i) {
        const char c = out[i];
        const char next = i + 1 < out.size() ? out[i + 1] : '\0';
        switch (state) {
        case Code:
            if (c == '/' && next == '/') {
                state = Line;
                out[i] = ' ';
            } else if (c == '/' && next == '*') {
                state = Block;
                out[i] = ' ';
            } else if (c == '"') {
                state = String;
            } else if (c == '\'' && !(i > 0 && std::isxdigit(static_cast<unsigned char>(out[i - 1])))) {
                state = Char; // not a digit separator such as 86'400
            }
            break;
        case Line:
            if (c == '\n')
                state = Code;
            else
                out[i] = ' ';
            break;
        case Block:
            if (c == '*' && next == '/') {
                out[i] = out[i + 1] = ' ';
                ++i;
                state = Code;
            } else if (c != '\n') {
                out[i] = ' ';
            }
            break;
        case String:
        case Char:
            if (c == '\\')
                ++i;
            else if ((state == String && c == '"') || (state == Char && c == '\''))
                state = Code;
            break;
        }
    }
    return out;
}

std::vector<std::string> Lines(const std::string &Text)
{
    std::vector<std::string> lines;
    std::istringstream in(Text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Names declared with a floating type in the file: "double v", "long double
// Value", "float x = ...", "for (double v : ...)".
std::set<std::string> FloatingNames(const std::string &Code)
{
    static const std::regex declaration(R"(\b(?:double|float)\s*[&*]?\s+([A-Za-z_]\w*))");
    std::set<std::string> names;
    for (auto it = std::sregex_iterator(Code.begin(), Code.end(), declaration); it != std::sregex_iterator(); ++it)
        names.insert((*it)[1].str());
    return names;
}

} // namespace

std::vector<TNumberTextFinding> FindLocaleDependentNumbers(const std::string &Source)
{
    // The C library's, not QString::asprintf (Qt's own, always with a point).
    static const std::regex printfCall(
        R"((?:^|[^\w:]|std::)(?:v?s?n?printf|v?fprintf|v?asprintf|v?s?scanf|v?fscanf)\s*\()");
    // %[flags][width][.precision][length] with a floating conversion.
    static const std::regex floatConversion(
        R"(%[-+ #0']*(?:\d+|\*)?(?:\.(?:\d+|\*))?(?:hh|h|ll|l|L|q|j|z|t)?[aAeEfFgG])");
    static const std::regex stringLiteral(R"("(?:[^"\\]|\\.)*")");
    static const std::regex textToNumber(R"(\b(?:std::)?(strtod|strtof|strtold|atof|stod|stof|stold)\s*\()");
    static const std::regex toString(R"(\b(?:std::)?to_string\s*\(\s*([^()]*(?:\([^()]*\)[^()]*)*)\))");
    static const std::regex floatingArgument(
        R"((?:\d\.\d*|\.\d)|\b(?:double|float)\b|ToFloat\s*\(|\bstatic_cast\s*<\s*(?:long\s+)?(?:double|float)\s*>)");
    static const std::regex globalLocale(
        R"(\bstd::locale::global\s*\(|\bstd::locale\s*\(\s*"[^"]+"|\bstd::locale\s*\(\s*""\s*\))");

    const std::string code = WithoutComments(Source);
    const std::set<std::string> floating = FloatingNames(code);
    const std::vector<std::string> lines = Lines(code);
    const std::vector<std::string> original = Lines(Source);
    std::vector<TNumberTextFinding> findings;
    const auto report = [&](size_t index, std::string rule) {
        findings.push_back(
            {int(index + 1), std::move(rule), index < original.size() ? original[index] : std::string()});
    };

    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string &line = lines[i];
        if (std::regex_search(line, printfCall)) {
            // The format may stand on one of the next lines of the call.
            std::string call = line;
            for (size_t j = i + 1; j < lines.size() && j <= i + 2; ++j)
                call += lines[j];
            for (auto it = std::sregex_iterator(call.begin(), call.end(), stringLiteral); it != std::sregex_iterator();
                 ++it)
                if (std::regex_search(it->str(), floatConversion)) {
                    report(i, "a printf-family floating conversion writes or reads the C locale's decimal separator; "
                              "use std::to_chars/std::from_chars, QString::number or QLocale");
                    break;
                }
        }
        std::smatch match;
        if (std::regex_search(line, match, textToNumber))
            report(i, match[1].str() + " reads the C locale's decimal separator (\"3.45\" is 3 on a Russian desktop); "
                                       "use std::from_chars or QLocale::c().toDouble");
        for (auto it = std::sregex_iterator(line.begin(), line.end(), toString); it != std::sregex_iterator(); ++it) {
            const std::string argument = (*it)[1].str();
            static const std::regex identifier(R"(^\s*([A-Za-z_]\w*)\s*$)");
            std::smatch name;
            const bool floatingName = std::regex_match(argument, name, identifier) && floating.count(name[1].str());
            if (floatingName || std::regex_search(argument, floatingArgument))
                report(i, "std::to_string of a floating value writes the C locale's decimal separator; "
                          "use std::to_chars or QString::number");
        }
        if (std::regex_search(line, globalLocale))
            report(i, "a global C++ locale from the environment makes every stream's numbers follow the desktop; "
                      "keep streams on the classic locale");
    }
    return findings;
}
