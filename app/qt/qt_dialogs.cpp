#include "app/qt/qt_dialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStringConverter>
#include <QStringList>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

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
    QMessageBox::critical(parent_, QApplication::applicationName(), displayText(text));
}

bool QtDialogs::confirm(const std::string& question) {
    return QMessageBox::question(parent_, QApplication::applicationName(), displayText(question),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
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
    return chosen(
        QFileDialog::getOpenFileName(parent_, QString(), QDir::currentPath(), qtFileFilter(filter)));
}

std::optional<std::string> QtDialogs::saveFileName(const std::string& filter) {
    return chosen(
        QFileDialog::getSaveFileName(parent_, QString(), QDir::currentPath(), qtFileFilter(filter)));
}

ImportReportDialog::ImportReportDialog(const ImportReport& report, QWidget* parent) : QDialog(parent) {
    setObjectName("ImportReport");
    setWindowTitle("Import CSV");
    auto* layout = new QVBoxLayout(this);

    const QString file = QFileInfo(QFile::decodeName(QByteArray::fromStdString(report.file))).fileName();
    QString summary = QString("<b>%1</b><br>%2 %3 can be added to the phone book")
                          .arg(file.toHtmlEscaped())
                          .arg(report.taken)
                          .arg(report.taken == 1 ? "row" : "rows");
    if (!report.refused.empty())
        summary += QString("; %1 %2 cannot be taken:")
                       .arg(report.refused.size())
                       .arg(report.refused.size() == 1 ? "row" : "rows");
    else
        summary += ".";
    auto* head = new QLabel(summary, this);
    head->setObjectName("ImportSummary");
    head->setWordWrap(true);
    layout->addWidget(head);

    if (!report.refused.empty()) {
        auto* table = new QTableWidget(int(report.refused.size()), 4, this);
        table->setObjectName("ImportRefused");
        table->setHorizontalHeaderLabels({"Line", "Name", "Phone", "Why it was refused"});
        table->verticalHeader()->setVisible(false);
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->setSelectionBehavior(QAbstractItemView::SelectRows);
        table->setWordWrap(false);
        for (int r = 0; r < int(report.refused.size()); ++r) {
            const ImportReport::Refusal& refusal = report.refused[std::size_t(r)];
            // Line breaks inside a refused field show as one line.
            auto oneLine = [](const std::string& t) {
                return displayText(t).replace("\r\n", " ").replace('\n', ' ').replace('\r', ' ');
            };
            const QString cells[4] = {QString::number(refusal.line), oneLine(refusal.name),
                                      oneLine(refusal.number), displayText(refusal.reason)};
            for (int c = 0; c < 4; ++c) {
                auto* item = new QTableWidgetItem(cells[c]);
                if (c == 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                if (c > 0) item->setToolTip(cells[c]);
                table->setItem(r, c, item);
            }
        }
        table->setFocusPolicy(Qt::NoFocus);
        table->setTextElideMode(Qt::ElideRight);
        table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
        table->setColumnWidth(0, 44);
        table->setColumnWidth(1, 170);
        table->setColumnWidth(2, 150);
        table->horizontalHeader()->setStretchLastSection(true);
        table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        const int shownRows = std::min(int(report.refused.size()), 12);
        table->setMinimumSize(760, table->horizontalHeader()->sizeHint().height() +
                                       shownRows * table->verticalHeader()->defaultSectionSize() +
                                       2 * table->frameWidth() + 2);
        layout->addWidget(table, 1);
    }
    for (const std::string& note : report.notes) {
        auto* l = new QLabel(displayText(note), this);
        l->setWordWrap(true);
        layout->addWidget(l);
    }
    auto* footer = new QLabel(report.taken > 0 ? "Nothing is written to the unit until you save to it."
                                               : "There is nothing to add.",
                              this);
    footer->setEnabled(false);
    layout->addWidget(footer);

    auto* buttons = new QDialogButtonBox(this);
    auto* apply =
        buttons->addButton(QString("Add %1 %2").arg(report.taken).arg(report.taken == 1 ? "row" : "rows"),
                           QDialogButtonBox::AcceptRole);
    apply->setObjectName("ImportApply");
    apply->setEnabled(report.taken > 0);
    buttons->addButton(QDialogButtonBox::Cancel)->setObjectName("ImportCancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    if (report.taken > 0) apply->setDefault(true);
}

bool QtDialogs::confirmImport(const ImportReport& report) {
    ImportReportDialog dialog(report, parent_);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace dorive
