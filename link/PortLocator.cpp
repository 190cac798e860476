#include "link/PortLocator.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>

#include <algorithm>
#include <tuple>

namespace {

QStringList presentDevices()
{
    QStringList locations;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        locations.append(info.systemLocation());
    return locations;
}

} // namespace

QStringList PortLocator::orderedDevices(QStringList systemLocations)
{
    static const QRegularExpression usb(QStringLiteral("/tty(USB|ACM)(\\d+)$"));
    auto key = [](const QString& location) {
        const QRegularExpressionMatch m = usb.match(location);
        if (!m.hasMatch())
            return std::make_tuple(2, 0, location);
        return std::make_tuple(m.captured(1) == QLatin1String("USB") ? 0 : 1, m.captured(2).toInt(),
                               location);
    };
    std::sort(systemLocations.begin(), systemLocations.end(),
              [&](const QString& a, const QString& b) { return key(a) < key(b); });
    return systemLocations;
}

QString PortLocator::linkedDevice(int portNumber) const
{
    if (m_portsFolder.isEmpty())
        return {};
    const QString link = m_portsFolder + QStringLiteral("/COM") + QString::number(portNumber);
    const QFileInfo info(link);
    // A dangling link still names the technician's choice: opening it fails, as it should.
    return info.exists() || info.isSymLink() ? link : QString();
}

QString PortLocator::deviceFor(int portNumber) const
{
    if (portNumber < 1)
        return {};
#ifdef Q_OS_WIN
    return QStringLiteral("COM") + QString::number(portNumber);
#else
    const QString linked = linkedDevice(portNumber);
    if (!linked.isEmpty())
        return linked;
    const QStringList devices = orderedDevices(presentDevices());
    return portNumber <= devices.size() ? devices.at(portNumber - 1) : QString();
#endif
}

QString PortLocator::describeMapping() const
{
#ifdef Q_OS_WIN
    return QStringLiteral("端口号 n 打开 COMn");
#else
    QStringList lines;
    const QStringList devices = orderedDevices(presentDevices());
    const int highest = std::max<int>(int(devices.size()), 16);
    for (int n = 1; n <= highest; ++n) {
        const QString device = deviceFor(n);
        if (!device.isEmpty()) {
            const QFileInfo info(device);
            const QString target = info.isSymLink() ? info.symLinkTarget() : QString();
            lines.append(QStringLiteral("%1 → %2").arg(n).arg(
                target.isEmpty() ? device : device + QStringLiteral(" → ") + target));
        }
    }
    if (lines.isEmpty())
        return QStringLiteral("未找到串口设备");
    return lines.join(QLatin1Char('\n'));
#endif
}
