// The serial devices that may be loggers: TESSAVIEW_PORTS first, then the
// system's serial ports, USB ones before the others.
#pragma once

#include "link/LinkInterfaces.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// One serial device as the system reports it.
struct SerialDeviceEntry {
    QString systemLocation;  // full path, e.g. /dev/ttyUSB0
    bool hasVendorId = false;
};

class PortDirectory : public IPortDirectory {
public:
    static constexpr int MaxDevices = 30;
    static constexpr const char* EnvironmentVariable = "TESSAVIEW_PORTS";

    using Enumerator = std::function<QList<SerialDeviceEntry>()>;

    // The system's ports through QSerialPortInfo.
    PortDirectory();
    // Another enumeration (tests).
    explicit PortDirectory(Enumerator enumerate);

    // TESSAVIEW_PORTS is read on every call, so a changed environment counts.
    QStringList Devices() override;

    // The list rule on its own: the colon-separated paths of portsVariable in
    // their order, then the found devices that are USB (a vendor id, or named
    // /dev/ttyUSB* or /dev/ttyACM*), then the rest, each group in natural name
    // order (ttyS2 before ttyS10); no path twice, at most MaxDevices.
    static QStringList Merge(const QString& portsVariable, QList<SerialDeviceEntry> found);

    static QList<SerialDeviceEntry> SystemPorts();

private:
    Enumerator enumerate_;
};
