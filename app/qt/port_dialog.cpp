#include "app/qt/port_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
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
    if (!list_->currentItem() && list_->topLevelItemCount() > 0)
        list_->setCurrentItem(list_->topLevelItem(0));
    list_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    list_->header()->setStretchLastSection(true);
    layout->addWidget(list_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText("OK");
    buttons->button(QDialogButtonBox::Cancel)->setText("Cancel");
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);
    auto updateOk = [this, buttons] {
        buttons->button(QDialogButtonBox::Ok)->setEnabled(list_->currentItem() != nullptr);
    };
    connect(list_, &QTreeWidget::currentItemChanged, this, updateOk);
    updateOk();
    resize(420, 280);
}

std::string PortDialog::selectedPort() const {
    QTreeWidgetItem* item = list_->currentItem();
    if (!item) return {};
    int i = list_->indexOfTopLevelItem(item);
    return i >= 0 && i < int(ports_.size()) ? ports_[i].name : std::string();
}

}  // namespace dorive
