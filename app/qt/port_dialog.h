#pragma once
// The "Select Port" dialog: the machine's ports with their descriptions, one preselected,
// and a field for any device path.
#include <QDialog>
#include <string>
#include <vector>

#include "ports/serial_port.h"

class QLineEdit;
class QTreeWidget;

namespace dorive {

class PortDialog : public QDialog {
    Q_OBJECT
  public:
    PortDialog(const std::vector<PortInfo>& ports, const std::string& preselect, QWidget* parent = nullptr);
    // The chosen port's name, or the device path typed; empty when there is neither.
    std::string selectedPort() const;

  private:
    QTreeWidget* list_;
    QLineEdit* path_;
    std::vector<PortInfo> ports_;
};

}  // namespace dorive
