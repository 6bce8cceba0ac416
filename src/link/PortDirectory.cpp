// The serial devices that may be loggers: those named in TESSAVIEW_PORTS, then
// USB serial devices; built-in serial ports only when there is none of those.
#include "link/PortDirectory.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>

namespace {

// Compares names with runs of digits taken as numbers, so that /dev/ttyS2
// comes before /dev/ttyS10.
bool NaturalLess(const QString& a, const QString& b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype ei = i;
            qsizetype ej = j;
            while (ei < a.size() && a[ei].isDigit())
                ++ei;
            while (ej < b.size() && b[ej].isDigit())
                ++ej;
            // Compare without leading zeros: first by length, then digit by digit.
            qsizetype si = i;
            qsizetype sj = j;
            while (si + 1 < ei && a[si] == u'0')
                ++si;
            while (sj + 1 < ej && b[sj] == u'0')
                ++sj;
            if (ei - si != ej - sj)
                return ei - si < ej - sj;
            const int digits = QStringView(a).mid(si, ei - si).compare(QStringView(b).mid(sj, ej - sj));
            if (digits != 0)
                return digits < 0;
            i = ei;
            j = ej;
        } else {
            if (a[i] != b[j])
                return a[i] < b[j];
            ++i;
            ++j;
        }
    }
    if ((a.size() - i) != (b.size() - j))
        return (a.size() - i) < (b.size() - j);
    return a < b;  // equal up to zeros: keep a strict order
}

QString CanonicalPath(const QString& path)
{
    return QFileInfo(path).canonicalFilePath();
}

}  // namespace

PortDirectory::PortDirectory() : enumerate_(&PortDirectory::SystemPorts), resolve_(&CanonicalPath) {}

PortDirectory::PortDirectory(Enumerator enumerate, Resolver resolve)
    : enumerate_(std::move(enumerate)), resolve_(std::move(resolve))
{
}

QList<PortRecord> PortDirectory::Records()
{
    const QString variable = qEnvironmentVariable(EnvironmentVariable);
    return Candidates(variable, enumerate_ ? enumerate_() : QList<PortRecord>(), resolve_);
}

QStringList PortDirectory::Devices()
{
    QStringList devices;
    for (const PortRecord& record : Records())
        devices.append(record.path);
    return devices;
}

bool PortDirectory::IsUsbDevice(const PortRecord& record)
{
    return record.hasUsbIds || record.path.startsWith(QLatin1String("/dev/ttyUSB"))
           || record.path.startsWith(QLatin1String("/dev/ttyACM"));
}

QList<PortRecord> PortDirectory::Candidates(const QString& portsVariable, QList<PortRecord> found,
                                            const Resolver& resolve)
{
    std::stable_sort(found.begin(), found.end(), [](const PortRecord& a, const PortRecord& b) {
        const bool usbA = IsUsbDevice(a);
        const bool usbB = IsUsbDevice(b);
        if (usbA != usbB)
            return usbA;
        return NaturalLess(a.path, b.path);
    });
    // Which found devices are already listed, by their position in found.
    QList<bool> taken(found.size(), false);
    QList<PortRecord> records;
    QStringList paths;
    auto add = [&](const PortRecord& record) {
        if (records.size() < MaxDevices && !paths.contains(record.path)) {
            records.append(record);
            paths.append(record.path);
        }
    };

    const QString byIdPrefix = QString::fromLatin1(ByIdFolder) + QLatin1Char('/');
    for (const QString& part : portsVariable.split(u':', Qt::SkipEmptyParts)) {
        const QString path = part.trimmed();
        if (path.isEmpty() || paths.contains(path))
            continue;
        const QString target = resolve ? resolve(path) : QString();
        PortRecord record;
        record.path = path;
        for (qsizetype i = 0; i < found.size(); ++i) {
            const PortRecord& f = found.at(i);
            const bool same = f.path == path || (!target.isEmpty() && f.path == target)
                              || (!f.byIdName.isEmpty() && byIdPrefix + f.byIdName == path);
            if (same && !taken.at(i)) {
                // The device keeps the name it was given; the system adds what it knows.
                record = f;
                record.path = path;
                taken[i] = true;
                break;
            }
        }
        record.kind = PortKind::Named;
        add(record);
    }
    bool anyCandidate = !records.isEmpty();
    for (qsizetype i = 0; i < found.size(); ++i) {
        if (!taken.at(i) && IsUsbDevice(found.at(i))) {
            PortRecord record = found.at(i);
            record.kind = PortKind::Usb;
            add(record);
            anyCandidate = true;
        }
    }
    if (!anyCandidate) {
        for (qsizetype i = 0; i < found.size(); ++i) {
            if (!taken.at(i)) {
                PortRecord record = found.at(i);
                record.kind = PortKind::BuiltIn;
                add(record);
            }
        }
    }
    return records;
}

QStringList PortDirectory::Merge(const QString& portsVariable, const QList<PortRecord>& found)
{
    QStringList paths;
    for (const PortRecord& record : Candidates(portsVariable, found))
        paths.append(record.path);
    return paths;
}

QHash<QString, QString> PortDirectory::ByIdNames(const QString& folder)
{
    QHash<QString, QString> names;
    const QDir dir(folder);
    const QFileInfoList links = dir.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& link : links) {
        if (!link.isSymLink())
            continue;
        const QString target = link.canonicalFilePath();
        // A device with several links (one per interface) keeps the first by name.
        if (!target.isEmpty() && !names.contains(target))
            names.insert(target, link.fileName());
    }
    return names;
}

QList<PortRecord> PortDirectory::SystemPorts()
{
    const QHash<QString, QString> byId = ByIdNames(QString::fromLatin1(ByIdFolder));
    QList<PortRecord> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        PortRecord record;
        record.path = info.systemLocation();
        const QString canonical = CanonicalPath(record.path);
        record.byIdName = PrintableText(byId.value(canonical.isEmpty() ? record.path : canonical));
        // The strings come from the device itself: shown, never obeyed.
        record.manufacturer = PrintableText(info.manufacturer().trimmed());
        // On Linux the description is the USB product string.
        record.product = PrintableText(info.description().trimmed());
        record.serialNumber = PrintableText(info.serialNumber().trimmed());
        record.hasUsbIds = info.hasVendorIdentifier();
        record.vendorId = info.vendorIdentifier();
        record.productId = info.hasProductIdentifier() ? info.productIdentifier() : 0;
        ports.append(record);
    }
    return ports;
}

QString PortDirectory::PrintableText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u < 0xA0))
            out += QStringLiteral("\\x%1").arg(int(u), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

QStringList PortDirectory::DetailCaptions()
{
    return {QStringLiteral("Kind"),         QStringLiteral("By-id name"),    QStringLiteral("Manufacturer"),
            QStringLiteral("Product"),      QStringLiteral("Serial number"), QStringLiteral("VID:PID")};
}

QString PortDirectory::KindText(PortKind kind)
{
    switch (kind) {
    case PortKind::Named: return QStringLiteral("named in TESSAVIEW_PORTS");
    case PortKind::Usb: return QStringLiteral("USB serial device");
    case PortKind::BuiltIn: return QStringLiteral("built-in serial port");
    case PortKind::Unknown: break;
    }
    return {};
}

QList<QPair<QString, QString>> PortDirectory::Details(const PortRecord& record)
{
    const QStringList captions = DetailCaptions();
    const QString values[] = {KindText(record.kind), record.byIdName,     record.manufacturer,
                              record.product,        record.serialNumber, record.VidPid()};
    QList<QPair<QString, QString>> details;
    for (qsizetype i = 0; i < captions.size(); ++i)
        details.append({captions.at(i), values[i]});
    return details;
}
