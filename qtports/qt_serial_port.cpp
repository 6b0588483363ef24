#include "qtports/qt_serial_port.h"

#include <QDir>
#include <QFileInfo>
#include <QMetaObject>
#include <QPointer>
#include <QSerialPortInfo>

#if defined(Q_OS_UNIX)
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace dorive {

namespace {

QString systemLocation(const QString& name) {
    QSerialPortInfo info(name);
    if (!info.systemLocation().isEmpty()) return info.systemLocation();
#if defined(Q_OS_UNIX)
    if (!name.startsWith('/')) return "/dev/" + name;
#endif
    return name;
}

#if defined(Q_OS_UNIX)
// Who may use the device file: the user now, and its group by the file's mode.
DeviceAccess deviceAccess(const QString& path) {
    DeviceAccess a;
    QByteArray file = QFile::encodeName(path);
    a.mayUse = ::access(file.constData(), R_OK | W_OK) == 0;
    struct stat st {};
    if (::stat(file.constData(), &st) != 0) return a;
    if (const group* g = ::getgrgid(st.st_gid))
        a.group = g->gr_name;
    else
        a.group = std::to_string(st.st_gid);
    a.groupMayReadWrite = (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    return a;
}
#endif

}  // namespace

std::string permissionErrorText(const std::string& name, const std::string& path,
                                const DeviceAccess& access) {
    if (access.mayUse)
        return "The serial port " + name +
               " is in use by another program. Close that program, or choose another port.";
    std::string text = "You have no permission to use the serial port " + name + " (" + path + "). ";
    if (!access.group.empty() && access.groupMayReadWrite)
        return text + "Add your user to the group \"" + access.group +
               "\" that owns the device (for example: sudo usermod -aG " + access.group +
               " $USER), then log out and log in again.";
    if (!access.group.empty())
        return text + "The device's mode gives its group \"" + access.group +
               "\" no access, so joining that group would not help. Ask the administrator for access, or add "
               "a udev rule that gives the device to a group you are in (for example MODE=\"0660\", "
               "GROUP=\"dialout\"), then plug the adapter in again.";
    return text + "Ask the administrator for access to the device, then log out and log in again.";
}

std::string portOpenErrorText(const QString& name, const QString& devicePath,
                              QSerialPort::SerialPortError error, const QString& systemText) {
    QString text;
    switch (error) {
        case QSerialPort::DeviceNotFoundError:
            text = QString(
                       "The serial port %1 was not found. Check that the cable or adapter is plugged in, "
                       "then choose the port again.")
                       .arg(name);
            break;
        case QSerialPort::PermissionError: {
            DeviceAccess access;
#if defined(Q_OS_UNIX)
            access = deviceAccess(devicePath);
#endif
            return permissionErrorText(name.toStdString(), devicePath.toStdString(), access);
        }
        default:
            text = QString("The serial port %1 could not be opened: %2").arg(name, systemText);
            break;
    }
    return text.toStdString();
}

QtSerialPort::QtSerialPort(const QString& name, QObject* parent) : QObject(parent) {
    port_.setPortName(name);
    port_.setBaudRate(QSerialPort::Baud115200);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::HardwareControl);
    if (!port_.open(QIODevice::ReadWrite))
        throw PortError(portOpenErrorText(name, systemLocation(name), port_.error(), port_.errorString()));
    port_.setDataTerminalReady(false);
    connect(&port_, &QSerialPort::readyRead, this, [this] {
        if (onReadyRead) onReadyRead();
    });
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialPort::onError);
}

QtSerialPort::~QtSerialPort() {
    port_.disconnect(this);
    port_.close();
}

void QtSerialPort::onError(QSerialPort::SerialPortError error) {
    if (failed_ || !port_.isOpen()) return;
    // A line that hangs up (an adapter unplugged, a pseudo-terminal whose other end closed)
    // shows as a read error that repeats at once for ever, or as a resource error: either
    // means the port is gone.
    if (error != QSerialPort::ResourceError && error != QSerialPort::DeviceNotFoundError &&
        error != QSerialPort::PermissionError && error != QSerialPort::ReadError)
        return;
    failed_ = true;
    const std::string text = "the connection was lost (" + port_.errorString().toStdString() +
                             "). Check the cable or adapter; the next command asks for the port again.";
    // Reported from the event loop, not from inside the port's own signal: the handler closes
    // and destroys this port. Closing it stops the notifications that would otherwise repeat.
    QPointer<QtSerialPort> self(this);
    QMetaObject::invokeMethod(
        this,
        [self, text] {
            if (!self) return;
            self->port_.close();
            if (self->onFailure) self->onFailure(text);
        },
        Qt::QueuedConnection);
}

void QtSerialPort::write(std::string_view bytes) {
    port_.write(bytes.data(), qint64(bytes.size()));
}

std::size_t QtSerialPort::bytesAvailable() const {
    return std::size_t(port_.bytesAvailable());
}

std::string QtSerialPort::read(std::size_t max) {
    QByteArray data = port_.read(qint64(max));
    return data.toStdString();
}

bool QtSerialPort::setDtr(bool asserted) {
    return port_.isOpen() && port_.setDataTerminalReady(asserted);
}

std::size_t QtSerialPort::outputFree() const {
    qint64 queued = port_.bytesToWrite();
    return queued >= qint64(kOutputBufferSize) ? 0 : kOutputBufferSize - std::size_t(queued);
}

void QtSerialPort::close() {
    failed_ = true;  // nothing to report once closed on purpose
    port_.close();
}

std::vector<PortInfo> QtPortProvider::ports() {
    std::vector<PortInfo> out;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        QString description = info.description();
        if (!info.manufacturer().isEmpty() && !description.contains(info.manufacturer()))
            description =
                description.isEmpty() ? info.manufacturer() : description + " (" + info.manufacturer() + ")";
        out.push_back({info.portName().toStdString(), description.toStdString()});
    }
#if defined(Q_OS_LINUX)
    // The stable names of USB adapters, which keep naming the same adapter whatever order
    // they were plugged in.
    QDir byId("/dev/serial/by-id");
    for (const QFileInfo& link :
         byId.entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot, QDir::Name)) {
        QString target = QFileInfo(link.symLinkTarget()).fileName();
        out.push_back({link.absoluteFilePath().toStdString(), ("stable name of " + target).toStdString()});
    }
#endif
    if (openSimulated_) out.push_back({kSimulatedPortName, "built-in simulated ZEP unit"});
    return out;
}

std::unique_ptr<SerialPort> QtPortProvider::open(const std::string& name) {
    if (name == kSimulatedPortName && openSimulated_) return openSimulated_();
    return std::make_unique<QtSerialPort>(QString::fromStdString(name));
}

}  // namespace dorive
