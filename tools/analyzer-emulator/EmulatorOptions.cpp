#include "EmulatorOptions.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace Emulator {

namespace {

long long ParseInteger(const std::string &Option, const std::string &Text, long long Min, long long Max)
{
    const bool hex = Text.size() > 2 && Text[0] == '0' && (Text[1] == 'x' || Text[1] == 'X');
    const char *first = Text.data() + (hex ? 2 : 0);
    const char *last = Text.data() + Text.size();
    long long value = 0;
    const auto [end, ec] = std::from_chars(first, last, value, hex ? 16 : 10);
    if (ec != std::errc() || end != last || first == last || value < Min || value > Max)
        throw std::invalid_argument(Option + ": expected a whole number from " + std::to_string(Min) + " to " +
                                    std::to_string(Max) + ", got '" + Text + "'");
    return value;
}

double ParseReal(const std::string &Option, const std::string &Text)
{
    double value = 0;
    const char *first = Text.data();
    const char *last = Text.data() + Text.size();
    if (first != last && *first == '+')
        ++first;
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end != last || first == last || !std::isfinite(value))
        throw std::invalid_argument(Option + ": expected a number, got '" + Text + "'");
    return value;
}

std::vector<double> ParseValues(const std::string &Option, const std::string &Text)
{
    std::vector<double> values;
    size_t start = 0;
    for (;;) {
        const size_t comma = Text.find(',', start);
        values.push_back(ParseReal(Option, Text.substr(start, comma - start)));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return values;
}

} // namespace

const std::vector<double> &DefaultValues()
{
    // Temperature, fat, solids-not-fat, density, protein, added water, the
    // seventh indicator, lactose, salts, the tenth, freezing point, homogenisation.
    static const std::vector<double> values = {20.0, 3.45, 8.5, 1028.0, 3.2, 0.0, 12.0, 4.7, 0.7, 12.1, -0.52, 95.0};
    return values;
}

TRunOptions ParseOptions(const std::vector<std::string> &Args)
{
    TRunOptions o;
    TEmulatorConfig &c = o.Config;
    bool haveValues = false;
    int count = 0;

    for (size_t i = 0; i < Args.size(); ++i) {
        std::string name = Args[i];
        std::string value;
        bool inlineValue = false;
        if (const size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
            inlineValue = true;
        }
        const auto arg = [&]() -> const std::string & {
            if (!inlineValue) {
                if (i + 1 >= Args.size())
                    throw std::invalid_argument(name + " needs a value");
                value = Args[++i];
            }
            return value;
        };
        const auto flag = [&] {
            if (inlineValue)
                throw std::invalid_argument(name + " takes no value");
            return true;
        };

        if (name == "--help" || name == "-h")
            o.Help = flag();
        else if (name == "--device")
            c.DevNumber = static_cast<uint16_t>(ParseInteger(name, arg(), 1, 0xFFFF));
        else if (name == "--values") {
            c.Values = ParseValues(name, arg());
            haveValues = true;
        } else if (name == "--count")
            count = static_cast<int>(ParseInteger(name, arg(), 4, 12));
        else if (name == "--group")
            c.GroupNumber = static_cast<uint8_t>(ParseInteger(name, arg(), 0, 255));
        else if (name == "--status")
            c.Status = static_cast<uint16_t>(ParseInteger(name, arg(), 0, 0xFFFF));
        else if (name == "--interval") {
            const double seconds = ParseReal(name, arg());
            if (seconds < 0.001 || seconds > 1e6)
                throw std::invalid_argument(name + ": expected 0.001 to 1000000 seconds");
            c.Interval = std::chrono::milliseconds(std::llround(seconds * 1000));
        } else if (name == "--idle-reply") {
            const std::string &v = arg();
            if (v == "silent")
                c.IdleReply = TIdleReply::Silent;
            else if (v == "last")
                c.IdleReply = TIdleReply::Last;
            else
                throw std::invalid_argument(name + ": expected 'silent' or 'last', got '" + v + "'");
        } else if (name == "--queue")
            c.Queue = flag();
        else if (name == "--link")
            o.LinkPath = arg();
        else if (name == "--log")
            o.LogPath = arg();
        else if (name == "--no-answer")
            c.NoAnswer = flag();
        else if (name == "--wrong-echo")
            c.WrongEcho = flag();
        else if (name == "--reply-length")
            c.ReplyLength = static_cast<int>(ParseInteger(name, arg(), 1, 4096));
        else if (name == "--split-at")
            c.SplitAt = static_cast<int>(ParseInteger(name, arg(), 1, 4096));
        else if (name == "--split-gap")
            c.SplitGap = std::chrono::milliseconds(ParseInteger(name, arg(), 0, 60000));
        else if (name == "--bad-value")
            c.BadValue = static_cast<int>(ParseInteger(name, arg(), 0, 11));
        else if (name == "--ack-fail")
            c.AckFailures = static_cast<int>(ParseInteger(name, arg(), 0, std::numeric_limits<int>::max()));
        else if (name == "--vanish-after")
            c.VanishAfterFrames = static_cast<int>(ParseInteger(name, arg(), 1, std::numeric_limits<int>::max()));
        else
            throw std::invalid_argument("unknown option '" + name + "'");
    }

    if (count != 0) {
        if (haveValues && static_cast<int>(c.Values.size()) != count)
            throw std::invalid_argument("--count " + std::to_string(count) + " but " + std::to_string(c.Values.size()) +
                                        " values given");
        if (!haveValues)
            c.Values.assign(DefaultValues().begin(), DefaultValues().begin() + count);
    }
    if (const std::string problem = ValidateConfig(c); !problem.empty())
        throw std::invalid_argument(problem);
    return o;
}

std::string UsageText()
{
    return R"(Usage: analyzer-emulator [OPTION]...
Plays a milk analyzer on a pseudo-terminal. Prints the path of the terminal to
open as the serial port (one line on standard output), then answers the
master's fetch (06) and acknowledge (09) frames for its device number until
interrupted. Frames for other devices are logged and ignored.

Results: the first result is ready at start, then a new one every interval.
A fetch is answered with the newest result while it is not acknowledged; an
acknowledge frame is always echoed and marks the result sent last as taken.
When no unacknowledged result is ready, a fetch gets no answer (the master's
read times out), or, with --idle-reply last, the last result once more.
A result that is not fetched before the next one is ready is lost, unless
--queue keeps them all, as an analyzer with a memory does.

  --device N          device number, 1..65535, decimal or 0x hex (default 1)
  --count N           number of values: 4, 6, 7 or 12 (default 4)
  --values V,V,...    the values, 4, 6, 7 or 12 of them
                      (default 20.0,3.45,8.5,1028.0,3.2,0.0,12.0,4.7,0.7,12.1,-0.52,95.0,
                      as many as --count asks for)
  --group N           group number, 0..255 (default 1)
  --status N          status word, 0..65535 or 0x hex; sent with 12 values only (default 0)
  --interval SECONDS  time between new results (default 126)
  --idle-reply silent|last
                      answer to a fetch with no new result (default silent)
  --queue             keep every result until it is fetched and acknowledged;
                      a fetch gets the oldest one waiting (the station fetches
                      one result per 125 s, so with a shorter interval they
                      arrive one by one, none lost)
  --link PATH         also make PATH a symbolic link to the terminal; removed at exit
  --log FILE          log every frame received, with its time, to FILE
                      (default: standard error)

Faults, for testing the master:
  --no-answer         never answer
  --wrong-echo        fetch replies echo A1 A0 A2 A3
  --reply-length L    fetch replies padded or cut to L bytes, echo kept at the end
  --split-at N        send a fetch reply in two pieces, the first N bytes long
  --split-gap MS      pause between the pieces (default 50; over 200 the master's
                      read times out between them)
  --bad-value I       value I (0-based) goes out with a byte 0x7E in its field
  --ack-fail N        the first N acknowledge frames get no answer
  --vanish-after N    answer N frames, then close the terminal and exit at the next
  -h, --help          show this text
)";
}

} // namespace Emulator
