#pragma once

#include <QString>
#include <functional>

// COM port numbers and the serial devices they stand for. A port is named "COM" + its number; on Linux the
// name resolves to a device: a link <data folder>/ports/COMn when there is one (a USB adapter by id, a
// pseudo-terminal), else COM1-32 = /dev/ttyS0-31, COM33-64 = /dev/ttyUSB0-31, COM65-96 = /dev/ttyACM0-31.

// "COM" followed by the number in decimal, no leading zeros.
QString ComPortName(int iPort);
// Where a user or a test links a device for port iPort.
QString ComPortLinkPath(const QString& sDataFolder, int iPort);
// The conventional device of a port number; empty outside 1 to 96.
QString ConventionalComDevice(int iPort);
// The device of port iPort: its link when fnLinkExists says there is one, else the conventional device.
QString ResolveComPortDevice(int iPort, const QString& sDataFolder,
                             const std::function<bool(const QString&)>& fnLinkExists);
// The program's data folder, where the ports folder lives.
QString ComPortDataFolder();
// ResolveComPortDevice against the data folder sDataFolder (the user's own when empty) and the real file
// system; the system's own name on Windows.
QString ComPortDevicePath(int iPort, const QString& sDataFolder = QString());
