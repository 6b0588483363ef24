#pragma once
// The core's serial port on QSerialPort, and the provider that lists and opens ports,
// the built-in simulated unit among them.
#include <QObject>
#include <QSerialPort>
#include <functional>
#include <memory>

#include "ports/serial_port.h"

namespace dorive {

class QtSerialPort : public QObject, public SerialPort {
    Q_OBJECT
  public:
    // Opens the named port (a name as listed, e.g. "ttyUSB0", or a device path) at 115200 8N1
    // with RTS/CTS and DTR off. Throws PortError with a text the user can act on.
    explicit QtSerialPort(const QString& name, QObject* parent = nullptr);
    ~QtSerialPort() override;

    void write(std::string_view bytes) override;
    std::size_t bytesAvailable() const override;
    std::string read(std::size_t max) override;
    bool setDtr(bool asserted) override;
    std::size_t outputFree() const override;
    void close() override;

  private:
    void onError(QSerialPort::SerialPortError error);
    QSerialPort port_;
    bool failed_ = false;
};

// Who may use a device file.
struct DeviceAccess {
    bool mayUse = false;             // the user may read and write it now
    std::string group;               // the group that owns it; empty when unknown
    bool groupMayReadWrite = false;  // its mode lets that group read and write it
};
// Why a port could not be opened for lack of permission, and what to do.
std::string permissionErrorText(const std::string& name, const std::string& path, const DeviceAccess& access);

// Why a port could not be opened, in words a technician can act on. `devicePath` is the
// device file (e.g. /dev/ttyUSB0), used to name the group that may use it.
std::string portOpenErrorText(const QString& name, const QString& devicePath,
                              QSerialPort::SerialPortError error, const QString& systemText);

class QtPortProvider : public PortProvider {
  public:
    using SimulatedOpener = std::function<std::unique_ptr<SerialPort>()>;
    // Without an opener for the simulated unit, only the machine's ports are offered.
    explicit QtPortProvider(SimulatedOpener openSimulated = {}) : openSimulated_(std::move(openSimulated)) {}
    std::vector<PortInfo> ports() override;
    std::unique_ptr<SerialPort> open(const std::string& name) override;

  private:
    SimulatedOpener openSimulated_;
};

}  // namespace dorive
