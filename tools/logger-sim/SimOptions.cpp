// Command-line options of the logger simulator.
#include "SimOptions.h"

#include <charconv>
#include <cstdio>

namespace loggersim {

namespace {

bool ParseInt(const std::string& text, long long low, long long high, long long& out)
{
    long long v = 0;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, v);
    if (ec != std::errc() || p != end || v < low || v > high)
        return false;
    out = v;
    return true;
}

struct FaultName {
    const char* name;
    Fault fault;
};

constexpr FaultName FaultNames[] = {
    {"never-answer", Fault::NeverAnswer},
    {"bad-checksum", Fault::BadChecksum},
    {"wrong-length", Fault::WrongLength},
    {"status0", Fault::Status0},
    {"split", Fault::Split},
    {"hangup-after-identify", Fault::HangupAfterIdentify},
    {"hangup", Fault::Hangup},
    {"misnumbered-packets", Fault::MisnumberedPackets},
};

struct ByteFaultName {
    const char* prefix;  // the name up to and with its '='
    Fault fault;
};

constexpr ByteFaultName ByteFaultNames[] = {
    {"hangup-after-bytes=", Fault::HangupAfterBytes},
    {"stall-after-bytes=", Fault::StallAfterBytes},
};

// More than a full logger's memory can ever send.
constexpr long long MaxFaultBytes = 16 * 1024 * 1024;

}  // namespace

bool ParseTimestamp(const std::string& text, std::tm& out)
{
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    char sep = 0;
    int used = 0;
    bool ok = false;
    if (text.size() == 14 && text.find_first_not_of("0123456789") == std::string::npos)
        ok = std::sscanf(text.c_str(), "%4d%2d%2d%2d%2d%2d%n", &y, &mo, &d, &h, &mi, &s, &used) == 6;
    else
        ok = std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d%n", &y, &mo, &d, &sep, &h, &mi, &s, &used) == 7
             && (sep == 'T' || sep == ' ');
    // The record time stamp holds the year as year - 2000 in 6 bits.
    if (!ok || used != int(text.size()) || y < 2000 || y > 2063 || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23
        || mi > 59 || s > 59)
        return false;
    out = {};
    out.tm_year = y - 1900;
    out.tm_mon = mo - 1;
    out.tm_mday = d;
    out.tm_hour = h;
    out.tm_min = mi;
    out.tm_sec = s;
    return true;
}

SimOptions ParseOptions(const std::vector<std::string>& args, std::time_t now)
{
    SimOptions options;
    SimSettings& s = options.settings;
    bool startGiven = false;
    auto fail = [&options](const std::string& text) {
        options.error = text;
        return options;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size())
                return false;
            out = args[++i];
            return true;
        };
        std::string v;
        long long n = 0;
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--celsius") {
            s.celsius = true;
        } else if (arg == "--fahrenheit") {
            s.celsius = false;
        } else if (arg == "--until-stdin-closes") {
            options.untilStdinCloses = true;
        } else if (arg == "--verbose") {
            options.verbose = true;
        } else if (arg == "--type") {
            if (!value(v) || !ParseInt(v, 0, 255, n))
                return fail("--type needs a type code from 0 to 255");
            s.type = uint8_t(n);
        } else if (arg == "--name") {
            if (!value(v) || v.size() > 24)
                return fail("--name needs a name of at most 24 characters");
            s.name = v;
        } else if (arg == "--id") {
            if (!value(v) || v.size() != 10)
                return fail("--id needs a serial number of exactly 10 characters");
            s.id = v;
        } else if (arg == "--records") {
            if (!value(v) || !ParseInt(v, 0, 1000000, n))
                return fail("--records needs a count from 0 to 1000000");
            s.records = int(n);
        } else if (arg == "--interval") {
            if (!value(v) || !ParseInt(v, 1, 86400, n))
                return fail("--interval needs seconds from 1 to 86400");
            s.interval = uint32_t(n);
        } else if (arg == "--start") {
            if (!value(v) || !ParseTimestamp(v, s.start))
                return fail("--start needs a time YYYYMMDDhhmmss or YYYY-MM-DDThh:mm:ss (years 2000 to 2063)");
            startGiven = true;
        } else if (arg == "--packet-gap") {
            if (!value(v) || !ParseInt(v, 0, 1000, n))
                return fail("--packet-gap needs milliseconds from 0 to 1000");
            s.packetGapMs = int(n);
        } else if (arg == "--split-pause") {
            if (!value(v) || !ParseInt(v, 0, 1500, n))
                return fail("--split-pause needs milliseconds from 0 to 1500");
            s.splitPauseMs = int(n);
        } else if (arg == "--records-per-packet") {
            if (!value(v) || !ParseInt(v, 1, 255, n))
                return fail("--records-per-packet needs a count from 1 to 255");
            s.recordsPerPacket = int(n);
        } else if (arg == "--fault-on") {
            if (!value(v) || v.empty())
                return fail("--fault-on needs request letters, e.g. S or SU");
            s.faultOn = v;
        } else if (arg == "--fault-times") {
            if (!value(v) || !ParseInt(v, 1, 1000000, n))
                return fail("--fault-times needs a count from 1 to 1000000");
            s.faultTimes = int(n);
        } else if (arg == "--fault") {
            if (!value(v))
                return fail("--fault needs a fault name (see --help)");
            if (v.rfind("answer-after=", 0) == 0) {
                if (!ParseInt(v.substr(13), 0, 1000, n))
                    return fail("--fault answer-after=K needs K from 0 to 1000");
                s.fault = Fault::AnswerAfter;
                s.faultCount = int(n);
            } else {
                bool known = false;
                for (const ByteFaultName& f : ByteFaultNames) {
                    const std::string prefix = f.prefix;
                    if (v.rfind(prefix, 0) != 0)
                        continue;
                    if (!ParseInt(v.substr(prefix.size()), 0, MaxFaultBytes, n))
                        return fail("--fault " + prefix + "N needs N from 0 to " + std::to_string(MaxFaultBytes));
                    s.fault = f.fault;
                    s.faultBytes = int(n);
                    known = true;
                }
                for (const FaultName& f : FaultNames) {
                    if (v == f.name) {
                        s.fault = f.fault;
                        known = true;
                    }
                }
                if (!known)
                    return fail("unknown fault '" + v + "' (see --help)");
            }
        } else {
            return fail("unknown option '" + arg + "' (see --help)");
        }
    }
    if (!startGiven) {
        const time_t first = now - time_t(s.records) * time_t(s.interval);
        localtime_r(&first, &s.start);
        if (s.start.tm_year < 100)
            s.start.tm_year = 100;
    }
    return options;
}

std::string HelpText()
{
    return R"(Usage: tessaview-logger-sim [OPTIONS]

Simulates a USB temperature and humidity logger on a pseudo-terminal. The first
line printed is the device to open, e.g. /dev/pts/5; point the program at it
with TESSAVIEW_PORTS=/dev/pts/5. Runs until SIGTERM or SIGINT.

Logger:
  --type N              logger type code (default 1, temperature and humidity;
                        2 is a one-channel temperature logger)
  --name TEXT           logger name, at most 24 characters (default SIM LOGGER)
  --id TEXT             serial number, exactly 10 characters (default SIM0000001)
  --celsius             report temperatures in Celsius (default)
  --fahrenheit          report temperatures in Fahrenheit
  --records N           records held in memory (default 0)
  --interval S          seconds between records (default 60)
  --start TIMESTAMP     time of the first record, YYYYMMDDhhmmss or
                        YYYY-MM-DDThh:mm:ss (default: the records end now)
  --packet-gap MS       pause between download packets (default 10)
  --records-per-packet N  records in one download packet (default 40)
                        (each packet carries the number of packets and its
                        own number, 1, 2, 3, ..., in bytes 16-19)

Faults (one at a time):
  --fault never-answer            read requests, answer none
  --fault answer-after=K          answer a request only when it came K+1 times in a row
  --fault bad-checksum            answers carry a wrong checksum
  --fault wrong-length            answers are one byte short
  --fault status0                 answers carry status 0 (failure)
  --fault split                   answers come in two halves, 400 ms apart
                                  (--split-pause MS sets the pause, 0 to 1500)
  --fault hangup-after-identify   close the line shortly after the identify
                                  answer, like a pulled cable, then exit
  --fault hangup                  take a request without carrying it out,
                                  close the line 500 ms later, then exit
  --fault hangup-after-bytes=N    send the first N bytes of the answer (of the
                                  download stream for W), close the line once
                                  the program has read them, then exit
  --fault stall-after-bytes=N     send the first N bytes of the answer, then
                                  nothing more, without hanging up
  --fault misnumbered-packets     number the download packets 0, 1, 2, ...
                                  instead of 1, 2, 3, ... (the count is right)
  --fault-on LETTERS              apply the fault only to these requests:
                                  Q identify, S read setup, U write setup,
                                  [ set clock, W download, Y erase (default all)
  --fault-times N                 spoil only the first N of those requests,
                                  then answer well (answer-after: the first N
                                  requests held back K times)

Other:
  --until-stdin-closes  also exit when standard input closes
  --verbose             describe every request on standard error
  --help                show this text
)";
}

}  // namespace loggersim
