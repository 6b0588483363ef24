#pragma once
// The "Select Port" dialog: the machine's ports with their descriptions, one preselected.
#include <QDialog>
#include <string>
#include <vector>

#include "ports/serial_port.h"

class QTreeWidget;

namespace dorive {

class PortDialog : public QDialog {
    Q_OBJECT
  public:
    PortDialog(const std::vector<PortInfo>& ports, const std::string& preselect, QWidget* parent = nullptr);
    // The chosen port's name; empty when none is selected.
    std::string selectedPort() const;

  private:
    QTreeWidget* list_;
    std::vector<PortInfo> ports_;
};

}  // namespace dorive
