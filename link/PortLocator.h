#pragma once

#include <QString>
#include <QStringList>

// Which device a port number typed by the technician opens.
//
// On Windows port n is COMn. Elsewhere, port n is the device or link named "COM<n>" in the
// folder `portsFolder` when there is one; otherwise the n-th serial port present, USB
// adapters first (ttyUSB*, then ttyACM*, each in number order), then the others by name.
class PortLocator
{
public:
    explicit PortLocator(QString portsFolder) : m_portsFolder(std::move(portsFolder)) {}

    QString deviceFor(int portNumber) const;
    // One line per port number that leads somewhere, for the port box's tooltip.
    QString describeMapping() const;

    // The order in which present devices are numbered (exposed for tests).
    static QStringList orderedDevices(QStringList systemLocations);

private:
    QString linkedDevice(int portNumber) const;
    QString m_portsFolder;
};
