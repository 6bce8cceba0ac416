// Shared helpers of tessaview-cli: exit codes, argument parsing and printing.
#include "CliCommon.h"

#include <cmath>
#include <cstdio>

bool ParseCommandLine(const QStringList& args, const std::vector<CliOption>& options, const char* usage,
                      ParsedArgs& parsed, int& exitCode)
{
    exitCode = ExitOk;
    bool optionsEnded = false;
    for (int k = 0; k < args.size(); ++k) {
        const QString& arg = args[k];
        if (optionsEnded || !arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            parsed.positional << arg;
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            std::fputs(usage, stdout);
            return false;
        }
        const qsizetype eq = arg.indexOf(QLatin1Char('='));
        const QString name = eq < 0 ? arg : arg.left(eq);
        const CliOption* option = nullptr;
        for (const CliOption& candidate : options)
            if (name == QLatin1String(candidate.name))
                option = &candidate;
        if (!option) {
            exitCode = UsageError(QStringLiteral("unknown option %1").arg(name), usage);
            return false;
        }
        if (parsed.options.contains(name) && !option->repeatable) {
            exitCode = UsageError(QStringLiteral("%1 is given twice").arg(name), usage);
            return false;
        }
        QString value;
        if (option->takesValue) {
            if (eq >= 0) {
                value = arg.mid(eq + 1);
            } else if (k + 1 < args.size()) {
                value = args[++k];
            } else {
                exitCode = UsageError(QStringLiteral("%1 needs a value").arg(name), usage);
                return false;
            }
        } else if (eq >= 0) {
            exitCode = UsageError(QStringLiteral("%1 takes no value").arg(name), usage);
            return false;
        }
        parsed.options.insert(name, value);
        if (option->repeatable)
            parsed.repeated[name] << value;
    }
    return true;
}

void PrintLine(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fputc('\n', stdout);
}

int Fail(const QString& message)
{
    std::fflush(stdout);
    const QByteArray bytes = message.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fputc('\n', stderr);
    return ExitFailure;
}

int UsageError(const QString& reason, const char* usage)
{
    std::fflush(stdout);
    std::fprintf(stderr, "tessaview-cli: %s\n\n%s", reason.toUtf8().constData(), usage);
    return ExitUsage;
}

QString PrintableBytes(const char* bytes, int length)
{
    QString text;
    for (int k = 0; k < length; ++k) {
        const unsigned char b = static_cast<unsigned char>(bytes[k]);
        if (b >= 0x20 && b < 0x7F && b != '\\')
            text += QLatin1Char(char(b));
        else
            text += QStringLiteral("\\x%1").arg(b, 2, 16, QLatin1Char('0'));
    }
    return text;
}

QByteArray JsonBytes(const char* bytes, int length)
{
    QByteArray json("\"");
    for (int k = 0; k < length; ++k) {
        const unsigned char b = static_cast<unsigned char>(bytes[k]);
        switch (b) {
        case '"': json += "\\\""; break;
        case '\\': json += "\\\\"; break;
        case '\n': json += "\\n"; break;
        case '\r': json += "\\r"; break;
        case '\t': json += "\\t"; break;
        default:
            if (b >= 0x20 && b < 0x7F) {
                json += char(b);
            } else {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(b));
                json += escape;
            }
        }
    }
    json += '"';
    return json;
}

QByteArray JsonFloat(float value)
{
    if (!std::isfinite(value))
        return "null";
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", double(value));
    return text;
}
