#include "app/qt/qt_dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringConverter>
#include <QStringList>

#include "app/qt/port_dialog.h"
#include "text/cp1252.h"

namespace dorive {

QString qtFileFilter(const std::string& filter) {
    QStringList parts = QString::fromStdString(filter).split('|');
    QStringList out;
    for (int i = 0; i < parts.size(); i += 2) {
        QString name = parts[i].trimmed();
        QString patterns = i + 1 < parts.size() ? parts[i + 1].trimmed() : QString();
        patterns.replace(';', ' ');
        if (patterns.isEmpty() || name.contains('(' + patterns + ')'))
            out << name;
        else
            out << name + " (" + patterns + ")";
    }
    return out.join(";;");
}

QString displayText(const std::string& text) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString s = utf8(QByteArray::fromStdString(text));
    if (!utf8.hasError()) return s;
    std::u16string wide = decodeCp1252(text);
    return QString::fromUtf16(wide.data(), qsizetype(wide.size()));
}

std::optional<std::string> QtDialogs::choosePort(const std::vector<PortInfo>& ports,
                                                 const std::string& preselect) {
    PortDialog dialog(ports, preselect, parent_);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    std::string name = dialog.selectedPort();
    if (name.empty()) return std::nullopt;
    return name;
}

void QtDialogs::errorBox(const std::string& text) {
    QMessageBox::critical(parent_, "DORive", displayText(text));
}

bool QtDialogs::confirm(const std::string& question) {
    return QMessageBox::question(parent_, "DORive", displayText(question), QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

// File dialogs open in the working directory and leave it at the chosen file's folder, so
// that relative names in a file just loaded (an upload list) are found beside it.
namespace {
std::optional<std::string> chosen(const QString& name) {
    if (name.isEmpty()) return std::nullopt;
    QDir::setCurrent(QFileInfo(name).absolutePath());
    return QFile::encodeName(name).toStdString();
}
}  // namespace

std::optional<std::string> QtDialogs::openFileName(const std::string& filter) {
    return chosen(QFileDialog::getOpenFileName(parent_, QString(), QDir::currentPath(), qtFileFilter(filter)));
}

std::optional<std::string> QtDialogs::saveFileName(const std::string& filter) {
    return chosen(QFileDialog::getSaveFileName(parent_, QString(), QDir::currentPath(), qtFileFilter(filter)));
}

}  // namespace dorive
