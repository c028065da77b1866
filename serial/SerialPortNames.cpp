// The port list's order and its comma-separated form, the same on every
// platform.

#include "SerialPortList.h"

#include <algorithm>

namespace {

// Device names are ASCII; folding ASCII case gives the same order as a
// locale would for letters and digits and keeps the list independent of the
// machine's settings.
unsigned char Folded(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
}

bool LessIgnoringCase(const std::string &a, const std::string &b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Folded(x) < Folded(y); });
}

bool EqualIgnoringCase(const std::string &a, const std::string &b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Folded(x) == Folded(y); });
}

bool NeedsQuotes(const std::string &Name)
{
    if (Name.empty())
        return true; // an empty name would vanish between two commas
    return std::any_of(Name.begin(), Name.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u == ' ' || u == ',' || u == '"' || u < 0x20 || u == 0x7F;
    });
}

} // namespace

std::vector<std::string> SortedPortNames(const std::vector<std::string> &Names)
{
    std::vector<std::string> sorted;
    for (const std::string &name : Names) {
        const auto at = std::lower_bound(sorted.begin(), sorted.end(), name, LessIgnoringCase);
        if (at != sorted.end() && EqualIgnoringCase(*at, name))
            continue;
        sorted.insert(at, name);
    }
    return sorted;
}

std::string JoinPortNames(const std::vector<std::string> &Names)
{
    std::string text;
    for (size_t i = 0; i < Names.size(); ++i) {
        if (i > 0)
            text += ',';
        const std::string &name = Names[i];
        if (!NeedsQuotes(name)) {
            text += name;
            continue;
        }
        text += '"';
        for (char c : name) {
            if (c == '"')
                text += '"';
            text += c;
        }
        text += '"';
    }
    return text;
}

std::vector<std::string> SplitPortNames(const std::string &Text)
{
    std::vector<std::string> names;
    if (Text.empty())
        return names;
    size_t i = 0;
    const size_t n = Text.size();
    for (;;) {
        std::string name;
        if (Text[i] == '"') {
            for (++i; i < n; ++i) {
                if (Text[i] != '"') {
                    name += Text[i];
                } else if (i + 1 < n && Text[i + 1] == '"') {
                    name += '"';
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
        }
        // Unquoted text, or whatever follows a closing quote, runs to the comma.
        while (i < n && Text[i] != ',')
            name += Text[i++];
        names.push_back(std::move(name));
        if (i >= n)
            break;
        ++i; // the comma; a trailing one leaves an empty last name
        if (i == n) {
            names.emplace_back();
            break;
        }
    }
    return names;
}
