// The device list of demo mode: the demo logger first.
#pragma once

#include "link/PortDirectory.h"

#include <QString>
#include <QStringList>

// Lists the demo logger's device, then the devices named in TESSAVIEW_PORTS.
// The system's own serial ports are left out, so that Connect goes straight
// to the demo logger instead of asking the user to choose among ports that
// hold no logger.
class DemoPortDirectory : public IPortDirectory {
public:
    explicit DemoPortDirectory(QString demoDevice);

    QStringList Devices() override;

    const QString& demoDevice() const { return demoDevice_; }

private:
    QString demoDevice_;
    PortDirectory named_;
};
