// The program's sources write and read numbers in one form whatever the C
// library's locale; the check itself is tried on small snippets first, so
// that a rule that can no longer fail is seen.

#include "NumberTextRules.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

TEST(NumberTextRules, FindTheConversionsThatFollowTheCLocale)
{
    const char *const wrong[] = {
        R"(std::snprintf(buffer, sizeof buffer, "%.*Le", 8, Value);)",
        R"(printf("%.1f ms\n", ms);)",
        "std::fprintf(log,\n    \"%s %g\\n\", name, value);",
        R"(const double v = std::strtod(text, &end);)",
        R"(return atof(text.c_str());)",
        R"(x = std::stod(s);)",
        "for (double v : c.Values)\n    return \"value \" + std::to_string(v);",
        R"(s += std::to_string(3.5);)",
        R"(s += std::to_string(static_cast<double>(n));)",
        R"(std::locale::global(std::locale(""));)",
        R"(if (std::fscanf(child, "%lf %lf", &s, &p) != 2))",
    };
    for (const char *snippet : wrong)
        EXPECT_EQ(FindLocaleDependentNumbers(snippet).size(), 1u) << snippet;

    const char *const right[] = {
        R"(std::snprintf(text, sizeof text, "%10d\n", pid);)",
        R"(std::fprintf(stderr, "%s: %s\n", name, std::strerror(errno));)",
        R"(std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);)", // not a printf format
        R"(std::to_chars(buffer, buffer + 64, Value, std::chars_format::scientific, 8);)",
        R"(return "port " + std::to_string(Count) + " of " + std::to_string(v.size());)",
        R"(text = QString::number(value, 'f', 2);)",
        "// std::snprintf(b, n, \"%f\", v) was the old way\nint n = 86'400;",
        "/* strtod(s) */ const long pid = std::strtol(Name, &end, 10);",
        R"(const QString t = QStringLiteral("%1 %L2").arg(a).arg(b);)",
        R"(std::fputs(qPrintable(QString::asprintf("%.1f ms\n", ms)), stdout);)", // Qt's, always a point
    };
    for (const char *snippet : right)
        EXPECT_TRUE(FindLocaleDependentNumbers(snippet).empty()) << snippet;

    const std::vector<TNumberTextFinding> found = FindLocaleDependentNumbers("int a;\nint b;\nprintf(\"%f\", b);\n");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].Line, 3);
}

TEST(NumberTextRules, TheProgramItsToolsBenchmarksAndTestsKeepThem)
{
    const fs::path root = NIVARA_SOURCE_DIR;
    int files = 0;
    std::ostringstream report;
    // The benchmarks' and tests' figures are read too, by people and by
    // their parent processes. This folder's own snippets are wrong on purpose.
    for (const char *folder : {"analyzer", "app", "journal", "serial", "tools", "bench", "tests"}) {
        for (const fs::directory_entry &entry : fs::recursive_directory_iterator(root / folder)) {
            const std::string extension = entry.path().extension().string();
            if (!entry.is_regular_file() || (extension != ".cpp" && extension != ".h") ||
                entry.path().parent_path().filename() == "source-rules")
                continue;
            std::ifstream in(entry.path(), std::ios::binary);
            const std::string source((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            ++files;
            for (const TNumberTextFinding &f : FindLocaleDependentNumbers(source))
                report << fs::relative(entry.path(), root).string() << ":" << f.Line << ": " << f.Rule << "\n    "
                       << f.Text << "\n";
        }
    }
    EXPECT_GT(files, 50) << "the sources were not found under " << root;
    EXPECT_EQ(report.str(), "") << "On a desktop whose locale writes a decimal comma these give wrong numbers "
                                   "(20.00 became \"2,,00\" once):\n"
                                << report.str();
}

} // namespace
