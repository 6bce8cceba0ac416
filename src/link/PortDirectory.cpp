// The serial devices that may be loggers: TESSAVIEW_PORTS first, then the
// system's serial ports, USB ones before the others.
#include "link/PortDirectory.h"

#include <QSerialPortInfo>

#include <algorithm>

namespace {

bool IsUsbDevice(const SerialDeviceEntry& entry)
{
    return entry.hasVendorId || entry.systemLocation.startsWith(QLatin1String("/dev/ttyUSB"))
           || entry.systemLocation.startsWith(QLatin1String("/dev/ttyACM"));
}

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

}  // namespace

PortDirectory::PortDirectory() : enumerate_(&PortDirectory::SystemPorts) {}

PortDirectory::PortDirectory(Enumerator enumerate) : enumerate_(std::move(enumerate)) {}

QStringList PortDirectory::Devices()
{
    const QString variable = qEnvironmentVariable(EnvironmentVariable);
    return Merge(variable, enumerate_ ? enumerate_() : QList<SerialDeviceEntry>());
}

QStringList PortDirectory::Merge(const QString& portsVariable, QList<SerialDeviceEntry> found)
{
    QStringList devices;
    auto add = [&devices](const QString& path) {
        if (!path.isEmpty() && devices.size() < MaxDevices && !devices.contains(path))
            devices.append(path);
    };
    for (const QString& part : portsVariable.split(u':', Qt::SkipEmptyParts))
        add(part.trimmed());

    std::stable_sort(found.begin(), found.end(), [](const SerialDeviceEntry& a, const SerialDeviceEntry& b) {
        const bool usbA = IsUsbDevice(a);
        const bool usbB = IsUsbDevice(b);
        if (usbA != usbB)
            return usbA;
        return NaturalLess(a.systemLocation, b.systemLocation);
    });
    for (const SerialDeviceEntry& entry : found)
        add(entry.systemLocation);
    return devices;
}

QList<SerialDeviceEntry> PortDirectory::SystemPorts()
{
    QList<SerialDeviceEntry> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        ports.append({info.systemLocation(), info.hasVendorIdentifier()});
    return ports;
}
