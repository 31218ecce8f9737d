#include "app/QtPortDiscovery.h"

#include <QFile>
#include <QSerialPortInfo>

std::vector<SerialDeviceInfo> QtPortDiscovery::List() {
    std::vector<SerialDeviceInfo> devices;
    for (const QSerialPortInfo& port : QSerialPortInfo::availablePorts()) {
        SerialDeviceInfo d;
        d.systemPath = QFile::encodeName(port.systemLocation()).toStdString();
        d.byIdPath = FindByIdLink(d.systemPath);
        d.description = port.description().toStdString();
        d.manufacturer = port.manufacturer().toStdString();
        d.serialNumber = port.serialNumber().toStdString();
        d.isUsb = port.hasVendorIdentifier() && port.hasProductIdentifier();
        d.vendorId = port.vendorIdentifier();
        d.productId = port.productIdentifier();
        devices.push_back(std::move(d));
    }
    return devices;
}
