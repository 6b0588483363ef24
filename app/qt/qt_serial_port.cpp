#include "app/qt/qt_serial_port.h"

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
// The group that owns the device file, e.g. "dialout" on Debian, "uucp" on Arch.
QString deviceGroup(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return {};
    if (const group* g = ::getgrgid(st.st_gid)) return QString::fromLocal8Bit(g->gr_name);
    return QString::number(st.st_gid);
}
#endif

}  // namespace

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
#if defined(Q_OS_UNIX)
            QByteArray path = QFile::encodeName(devicePath);
            bool mayUse = ::access(path.constData(), R_OK | W_OK) == 0;
            if (!mayUse) {
                QString group = deviceGroup(devicePath);
                text =
                    QString("You have no permission to use the serial port %1 (%2). ").arg(name, devicePath);
                if (!group.isEmpty())
                    text += QString(
                                "Add your user to the group \"%1\" that owns the device "
                                "(for example: sudo usermod -aG %1 $USER), then log out and log in again.")
                                .arg(group);
                else
                    text += "Ask the administrator for access to the device, then log out and log in again.";
                break;
            }
#endif
            text = QString(
                       "The serial port %1 is in use by another program. Close that program, "
                       "or choose another port.")
                       .arg(name);
            break;
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
    if (error != QSerialPort::ResourceError && error != QSerialPort::DeviceNotFoundError &&
        error != QSerialPort::PermissionError)
        return;
    failed_ = true;
    std::string text =
        "The serial port " + port_.portName().toStdString() + " failed: " + port_.errorString().toStdString();
    // Reported from the event loop, not from inside the port's own signal: the handler closes
    // and destroys this port.
    QPointer<QtSerialPort> self(this);
    QMetaObject::invokeMethod(
        this,
        [self, text] {
            if (self && self->onFailure) self->onFailure(text);
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
    if (openSimulated_) out.push_back({kSimulatedPortName, "built-in simulated ZEP unit"});
    return out;
}

std::unique_ptr<SerialPort> QtPortProvider::open(const std::string& name) {
    if (name == kSimulatedPortName && openSimulated_) return openSimulated_();
    return std::make_unique<QtSerialPort>(QString::fromStdString(name));
}

}  // namespace dorive
