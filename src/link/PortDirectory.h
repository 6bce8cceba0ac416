// The serial devices that may be loggers: those named in TESSAVIEW_PORTS, then
// USB serial devices; built-in serial ports only when there is none of those.
#pragma once

#include "link/LinkInterfaces.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <functional>

class PortDirectory : public IPortDirectory {
public:
    static constexpr int MaxDevices = 30;
    static constexpr const char* EnvironmentVariable = "TESSAVIEW_PORTS";
    static constexpr const char* ByIdFolder = "/dev/serial/by-id";

    // The serial devices the system reports.
    using Enumerator = std::function<QList<PortRecord>()>;
    // The device a named path stands for (the target of a link), or the path
    // itself; empty when it cannot be told.
    using Resolver = std::function<QString(const QString&)>;

    // The system's ports through QSerialPortInfo and /dev/serial/by-id.
    PortDirectory();
    // Another enumeration and resolution (tests).
    explicit PortDirectory(Enumerator enumerate, Resolver resolve = {});

    // TESSAVIEW_PORTS and the system are read on every call, so a changed
    // environment or a logger plugged in meanwhile counts.
    QStringList Devices() override;
    QList<PortRecord> Records() override;

    // The candidate rule on its own. First the colon-separated paths of
    // portsVariable in their order, each with the details of the found device
    // it names (by its path, its /dev/serial/by-id path, or what resolve makes
    // of it); then the found USB devices (USB ids, or named /dev/ttyUSB* or
    // /dev/ttyACM*) in natural name order (ttyUSB2 before ttyUSB10). The other
    // found devices, built-in serial ports that hardly ever hold a logger,
    // follow in natural order only when the list is still empty. No device
    // twice, at most MaxDevices.
    static QList<PortRecord> Candidates(const QString& portsVariable, QList<PortRecord> found,
                                        const Resolver& resolve = {});
    // The paths of Candidates().
    static QStringList Merge(const QString& portsVariable, const QList<PortRecord>& found);

    static bool IsUsbDevice(const PortRecord& record);

    // The system's serial devices, with their /dev/serial/by-id names.
    static QList<PortRecord> SystemPorts();
    // The links of a by-id folder: the device each points to (its canonical
    // path) mapped to the link's name. A missing folder gives none.
    static QHash<QString, QString> ByIdNames(const QString& folder);

    // What the port choice and `tessaview-cli ports` show of a device beside
    // its path, as (caption, value) pairs in a fixed order; values may be empty.
    static QList<QPair<QString, QString>> Details(const PortRecord& record);
    static QStringList DetailCaptions();
    // Control characters of a device's own strings as \xNN, so that a
    // terminal or a list shows them instead of obeying them.
    static QString PrintableText(const QString& text);
    // Why a device is offered, in words; empty when that is not known.
    static QString KindText(PortKind kind);

private:
    Enumerator enumerate_;
    Resolver resolve_;
};
