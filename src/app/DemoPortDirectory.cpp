// The device list of demo mode: the demo logger first.
#include "app/DemoPortDirectory.h"

DemoPortDirectory::DemoPortDirectory(QString demoDevice)
    : demoDevice_(std::move(demoDevice)), named_([] { return QList<PortRecord>(); })
{
}

QStringList DemoPortDirectory::Devices()
{
    QStringList devices{demoDevice_};
    for (const QString& device : named_.Devices()) {
        if (devices.size() >= PortDirectory::MaxDevices)
            break;
        if (!devices.contains(device))
            devices << device;
    }
    return devices;
}
