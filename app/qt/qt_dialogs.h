#pragma once
// The core's modal dialogs on Qt: error box, file dialogs and the port dialog.
#include <QDialog>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "ports/dialogs.h"

namespace dorive {

// "Name (*.ext)|*.ext|Other (*.o)|*.o" as Qt's "Name (*.ext);;Other (*.o)".
QString qtFileFilter(const std::string& filter);
// A text from the core for display: UTF-8 where it is valid (messages with file names),
// otherwise the core's single-byte Windows-1252.
QString displayText(const std::string& text);

// The report of a spreadsheet import: what would be added, and each refused row with its
// line and reason. Accepted means add the rows.
class ImportReportDialog : public QDialog {
    Q_OBJECT
  public:
    explicit ImportReportDialog(const ImportReport& report, QWidget* parent = nullptr);
};

class QtDialogs : public Dialogs {
  public:
    // Dialogs open over this window once it exists.
    void setParent(QWidget* parent) { parent_ = parent; }

    std::optional<std::string> choosePort(const std::vector<PortInfo>& ports,
                                          const std::string& preselect) override;
    void errorBox(const std::string& text) override;
    bool confirm(const std::string& question) override;
    std::optional<std::string> openFileName(const std::string& filter) override;
    std::optional<std::string> saveFileName(const std::string& filter) override;
    bool confirmImport(const ImportReport& report) override;

  private:
    QPointer<QWidget> parent_;
};

}  // namespace dorive
