#include "app/qt/port_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace dorive {

PortDialog::PortDialog(const std::vector<PortInfo>& ports, const std::string& preselect, QWidget* parent)
    : QDialog(parent), ports_(ports) {
    setObjectName("SelectPort");
    setWindowTitle("Select Port");
    auto* layout = new QVBoxLayout(this);
    auto* invalid = new QLabel("The configured serial port is not valid.", this);
    auto* choose = new QLabel("Please choose another port.", this);
    QFont bold = invalid->font();
    bold.setBold(true);
    invalid->setFont(bold);
    layout->addWidget(invalid);
    layout->addWidget(choose);

    list_ = new QTreeWidget(this);
    list_->setObjectName("PortList");
    list_->setRootIsDecorated(false);
    list_->setColumnCount(2);
    list_->setHeaderLabels({"Port", "Description"});
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    for (const PortInfo& p : ports_) {
        auto* item = new QTreeWidgetItem(
            list_, {QString::fromStdString(p.name), QString::fromStdString(p.description)});
        if (p.name == preselect) list_->setCurrentItem(item);
    }
    list_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    list_->header()->setStretchLastSection(true);
    layout->addWidget(list_);

    // Any device by its path: a pseudo-terminal, a /dev/serial/by-id name, COM12.
    layout->addWidget(new QLabel("Or type the port's device path:", this));
    path_ = new QLineEdit(this);
    path_->setObjectName("PortPath");
    path_->setPlaceholderText("/dev/ttyUSB0, /dev/serial/by-id/..., /dev/pts/3, COM12");
    layout->addWidget(path_);
    if (!list_->currentItem()) {
        if (!preselect.empty())
            path_->setText(QString::fromStdString(preselect));  // a path typed last time
        else if (list_->topLevelItemCount() > 0)
            list_->setCurrentItem(list_->topLevelItem(0));
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText("OK");
    buttons->button(QDialogButtonBox::Cancel)->setText("Cancel");
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);
    auto updateOk = [this, buttons] {
        buttons->button(QDialogButtonBox::Ok)
            ->setEnabled(list_->currentItem() != nullptr || !path_->text().trimmed().isEmpty());
    };
    connect(list_, &QTreeWidget::currentItemChanged, this, [this, updateOk](QTreeWidgetItem* item) {
        if (item) path_->clear();
        updateOk();
    });
    connect(path_, &QLineEdit::textEdited, this, [this, updateOk](const QString& text) {
        if (!text.trimmed().isEmpty()) list_->setCurrentItem(nullptr);
        updateOk();
    });
    connect(path_, &QLineEdit::returnPressed, this, [this] {
        if (!path_->text().trimmed().isEmpty()) accept();
    });
    updateOk();
    resize(460, 320);
}

std::string PortDialog::selectedPort() const {
    const QString typed = path_->text().trimmed();
    if (!typed.isEmpty()) return typed.toStdString();
    QTreeWidgetItem* item = list_->currentItem();
    if (!item) return {};
    int i = list_->indexOfTopLevelItem(item);
    return i >= 0 && i < int(ports_.size()) ? ports_[i].name : std::string();
}

}  // namespace dorive
