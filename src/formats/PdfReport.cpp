// The analysis report as a PDF file: the chart page, then a summary page.
#include "formats/PdfReport.h"

#include "chart/ReportPage.h"
#include "logdata/LogStore.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileDevice>
#include <QFontMetrics>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <cstring>
#include <vector>

namespace {

QString StampOrDash(const QByteArray& stamp)
{
    return stamp.isEmpty() ? QStringLiteral("-") : ReportStampText(stamp);
}

QString ValueText(double v) { return QString::number(v, 'f', 1); }

QString LimitText(const std::optional<double>& limit)
{
    return limit ? QString::number(*limit, 'g', QLocale::FloatingPointShortest) : QStringLiteral("-");
}

QString Printable(const char* bytes, int length)
{
    QString text;
    for (int k = 0; k < length; ++k) {
        const unsigned char b = static_cast<unsigned char>(bytes[k]);
        text += b >= 0x20 && b < 0x7f ? QChar(b) : QChar(u'?');
    }
    return text;
}

// Lays out the summary page top to bottom in the page's pixels.
class SummaryPage {
public:
    SummaryPage(QPainter& painter, QSize page) : painter_(painter), page_(page)
    {
        base_ = painter.font();
        base_.setPointSizeF(10);
        // A letter spacing (a tenth of a pixel at 300 dpi) turns ligatures
        // off, so that "fi" stays two letters when the text is searched or
        // copied out of the PDF.
        base_.setLetterSpacing(QFont::AbsoluteSpacing, 0.1);
    }

    void Heading(const QString& text)
    {
        QFont font = base_;
        font.setPointSizeF(16);
        font.setBold(true);
        Line(font, text, 0);
        y_ += Spacing(base_) / 2;
    }
    void Subheading(const QString& text)
    {
        y_ += Spacing(base_) / 2;
        QFont font = base_;
        font.setPointSizeF(12);
        font.setBold(true);
        Line(font, text, 0);
    }
    // A caption and its value, the values lined up.
    void Field(const QString& caption, const QString& value, const QFont* valueFont = nullptr)
    {
        painter_.setFont(base_);
        const int top = y_;
        const int height = Spacing(base_);
        painter_.drawText(QRect(0, top, page_.width() / 5, height), Qt::AlignLeft | Qt::AlignVCenter, caption);
        painter_.setFont(valueFont ? *valueFont : base_);
        painter_.drawText(QRect(page_.width() / 5, top, page_.width() * 4 / 5, height), Qt::AlignLeft | Qt::AlignVCenter,
                          value);
        y_ += height;
    }
    void Text(const QString& text) { Line(base_, text, 0); }
    // A table with a header row and ruled cells, columns sized by weight.
    void Table(const std::vector<int>& weights, const std::vector<QStringList>& rows)
    {
        int total = 0;
        for (int w : weights)
            total += w;
        const int height = Spacing(base_) * 3 / 2;
        const int pad = height / 6;
        const QPen oldPen = painter_.pen();
        painter_.setPen(QPen(Qt::black, 2));
        for (size_t r = 0; r < rows.size(); ++r) {
            QFont font = base_;
            font.setBold(r == 0);
            painter_.setFont(font);
            int x = 0;
            for (size_t c = 0; c < weights.size(); ++c) {
                const int w = int(int64_t(page_.width()) * weights[c] / total);
                const QRect cell(x, y_, w, height);
                if (r == 0)
                    painter_.fillRect(cell, QColor(230, 230, 230));
                painter_.drawRect(cell);
                const QString text = c < size_t(rows[r].size()) ? rows[r][int(c)] : QString();
                painter_.drawText(cell.adjusted(pad, 0, -pad, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
                x += w;
            }
            y_ += height;
        }
        painter_.setPen(oldPen);
    }
    void Gap() { y_ += Spacing(base_); }
    // A caption and a rule to sign on.
    void SignatureLine(const QString& caption)
    {
        painter_.setFont(base_);
        const int height = Spacing(base_) * 2;
        const QRect captionRect(0, y_, page_.width() / 5, height);
        painter_.drawText(captionRect, Qt::AlignLeft | Qt::AlignBottom, caption);
        const int ruleY = y_ + height - Spacing(base_) / 4;
        const QPen oldPen = painter_.pen();
        painter_.setPen(QPen(Qt::black, 3));
        painter_.drawLine(page_.width() / 5, ruleY, page_.width() * 3 / 5, ruleY);
        painter_.setPen(oldPen);
        y_ += height;
    }
    const QFont& base() const { return base_; }

private:
    int Spacing(const QFont& font) const { return QFontMetrics(font, painter_.device()).lineSpacing(); }
    void Line(const QFont& font, const QString& text, int x)
    {
        painter_.setFont(font);
        const int height = Spacing(font);
        painter_.drawText(QRect(x, y_, page_.width() - x, height), Qt::AlignLeft | Qt::AlignVCenter, text);
        y_ += height;
    }

    QPainter& painter_;
    QSize page_;
    QFont base_;
    int y_ = 0;
};

void DrawSummaryPage(QPainter& painter, QSize page, const LogStore& store, const LogLimits& limits,
                     const QDateTime& madeAt)
{
    const LogSummary s = AnalyseLog(store, limits);
    SummaryPage out(painter, page);
    const QString fileName = store.currentLogName.isEmpty() ? QStringLiteral("(not saved)") : store.currentLogName;
    out.Heading(QStringLiteral("Log summary: %1").arg(fileName));
    out.Field(QStringLiteral("Logger name"), Printable(store.loggerName, int(strnlen(store.loggerName, 24))));
    out.Field(QStringLiteral("Serial number"), Printable(store.loggerId, 10));
    out.Field(QStringLiteral("Log file"), fileName);
    out.Field(QStringLiteral("First record"), ReportStampText(s.first));
    out.Field(QStringLiteral("Last record"), ReportStampText(s.last));
    out.Field(QStringLiteral("Records"), QString::number(s.recordCount));
    out.Field(QStringLiteral("Duration"), ReportDurationText(s.durationSeconds));
    out.Field(QStringLiteral("Interval"),
              s.intervalSeconds > 0 ? ReportDurationText(s.intervalSeconds) : QStringLiteral("-"));

    out.Subheading(QStringLiteral("Channels"));
    std::vector<QStringList> stats{{QStringLiteral("Channel"), QStringLiteral("Unit"), QStringLiteral("MAX"),
                                    QStringLiteral("MAX at"), QStringLiteral("MIN"), QStringLiteral("MIN at"),
                                    QStringLiteral("AVE"), QStringLiteral("MKT")}};
    for (int c = 0; c < 3; ++c) {
        const ChannelSummary& ch = s.channel[c];
        if (!ch.present)
            continue;
        const std::string& unit = store.unitText[c];
        const bool any = !ch.maxTime.isEmpty();
        stats.push_back({QStringLiteral("CH%1").arg(c + 1), Printable(unit.data(), int(unit.size())),
                         any ? ValueText(ch.max) : QStringLiteral("-"), StampOrDash(ch.maxTime),
                         any ? ValueText(ch.min) : QStringLiteral("-"), StampOrDash(ch.minTime),
                         any ? ValueText(ch.ave) : QStringLiteral("-"),
                         ch.mkt ? ValueText(*ch.mkt) : QStringLiteral("-")});
    }
    out.Table({8, 12, 8, 20, 8, 20, 8, 8}, stats);

    out.Subheading(QStringLiteral("Alarm limits and excursions"));
    if (!limits.any()) {
        out.Text(QStringLiteral("No alarm limits are set for this logger."));
    } else {
        std::vector<QStringList> rows{{QStringLiteral("Channel"), QStringLiteral("Low limit"),
                                       QStringLiteral("High limit"), QStringLiteral("Above"),
                                       QStringLiteral("Time above"), QStringLiteral("First above"),
                                       QStringLiteral("Below"), QStringLiteral("Time below"),
                                       QStringLiteral("First below")}};
        for (int c = 0; c < 3; ++c) {
            const ChannelSummary& ch = s.channel[c];
            if (!ch.present)
                continue;
            const bool high = ch.limitHigh.has_value(), low = ch.limitLow.has_value();
            rows.push_back({QStringLiteral("CH%1").arg(c + 1), LimitText(ch.limitLow), LimitText(ch.limitHigh),
                            high ? QString::number(ch.excursionsAbove) : QStringLiteral("-"),
                            high ? ReportDurationText(ch.secondsAbove) : QStringLiteral("-"),
                            high ? StampOrDash(ch.firstAbove) : QStringLiteral("-"),
                            low ? QString::number(ch.excursionsBelow) : QStringLiteral("-"),
                            low ? ReportDurationText(ch.secondsBelow) : QStringLiteral("-"),
                            low ? StampOrDash(ch.firstBelow) : QStringLiteral("-")});
        }
        out.Table({8, 9, 9, 7, 12, 17, 7, 12, 17}, rows);
    }

    out.Gap();
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    mono.setStyleHint(QFont::Monospace);
    mono.setPointSizeF(out.base().pointSizeF());
    mono.setLetterSpacing(QFont::AbsoluteSpacing, 0.1);
    if (store.currentLogPath.isEmpty()) {
        out.Field(QStringLiteral("SHA-256 of the log file"), QStringLiteral("The log has not been saved to a file."));
    } else {
        QString problem;
        const QByteArray digest = FileSha256(store.currentLogPath, &problem);
        if (digest.isEmpty())
            out.Field(QStringLiteral("SHA-256 of the log file"),
                      QStringLiteral("The log file cannot be read (%1).").arg(problem));
        else
            out.Field(QStringLiteral("SHA-256 of the log file"), QString::fromLatin1(digest), &mono);
    }
    out.Field(QStringLiteral("Report made"), madeAt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    out.Gap();
    out.SignatureLine(QStringLiteral("Reviewed by"));
    out.SignatureLine(QStringLiteral("Date"));
}

}  // namespace

QString PdfExportPath(const QString& chosenPath)
{
    return PathWithDefaultExtension(chosenPath, QStringLiteral(".pdf"));
}

QByteArray FileSha256(const QString& path, QString* problem)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (problem)
            *problem = file.errorString();
        return {};
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file)) {
        if (problem)
            *problem = file.errorString();
        return {};
    }
    return hash.result().toHex();
}

QString ReportStampText(const QByteArray& stamp)
{
    if (stamp.size() != TimestampLength)
        return stamp.isEmpty() ? QString() : Printable(stamp.constData(), int(stamp.size()));
    const char* t = stamp.constData();
    return Printable(t, 4) + QLatin1Char('-') + Printable(t + 4, 2) + QLatin1Char('-') + Printable(t + 6, 2) +
           QLatin1Char(' ') + Printable(t + 8, 2) + QLatin1Char(':') + Printable(t + 10, 2) + QLatin1Char(':') +
           Printable(t + 12, 2);
}

QString ReportDurationText(int64_t seconds)
{
    const bool negative = seconds < 0;
    const uint64_t s = negative ? uint64_t(0) - uint64_t(seconds) : uint64_t(seconds);
    const QString clock = QStringLiteral("%1:%2:%3")
                              .arg((s / 3600) % 24, 2, 10, QLatin1Char('0'))
                              .arg((s / 60) % 60, 2, 10, QLatin1Char('0'))
                              .arg(s % 60, 2, 10, QLatin1Char('0'));
    const QString sign = negative ? QStringLiteral("-") : QString();
    if (s >= 86400)
        return sign + QStringLiteral("%1 d %2").arg(s / 86400).arg(clock);
    return sign + clock;
}

bool WritePdfReport(QIODevice& device, LogStore& store, const LogLimits& limits, const QDateTime& madeAt)
{
    QPdfWriter writer(&device);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageOrientation(QPageLayout::Landscape);
    writer.setResolution(ReportPageResolution);
    writer.setTitle(store.currentLogName);
    writer.setCreator(QStringLiteral("Tessaview U"));
    // The printable area, as a printer's page gives it to the printed report.
    const QSize page = writer.pageLayout().paintRectPixels(ReportPageResolution).size();

    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    DrawReportPage(painter, store, page, &limits);
    if (!writer.newPage())
        return false;
    DrawSummaryPage(painter, page, store, limits, madeAt);
    if (!painter.end())
        return false;
    const auto* file = qobject_cast<const QFileDevice*>(&device);
    return !file || file->error() == QFileDevice::NoError;
}

WriteResult ExportPdfReport(const QString& path, LogStore& store, const LogLimits& limits, const QDateTime& madeAt)
{
    return WriteWholeFile(path, QString::fromLatin1(PdfExportFailedMessage), [&](QIODevice& device) {
        return WritePdfReport(device, store, limits, madeAt);
    });
}
