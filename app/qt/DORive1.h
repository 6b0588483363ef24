#pragma once
// The main window: lays out every control of the form model under the model's names and
// binds each widget to its control. The window itself holds no behaviour.
#include <QWidget>

class QCloseEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QTabWidget;

namespace dorive {

class Dorive;
class Edit;
class Control;

class TForm1 : public QWidget {
    Q_OBJECT
  public:
    explicit TForm1(Dorive& core, QWidget* parent = nullptr);
    Dorive& core() { return core_; }

    static constexpr int kClientWidth = 613;
    static constexpr int kClientHeight = 503;

  protected:
    // Runs the core's close sequence once, while the window still exists.
    void closeEvent(QCloseEvent* event) override;

  private:
    QWidget* buildButtonsPage();
    QWidget* buildOneButtonPage();
    QWidget* buildTwoButtonPage();
    QWidget* buildModuleButtonsPage();
    QWidget* buildModuleKeyboardPage();
    QWidget* buildPhoneBookPage();
    QWidget* buildSettingsPage();
    QWidget* buildCallsPage();
    QWidget* buildRelaysPage();
    QWidget* buildSmsPage();
    QWidget* buildAdminPage();
    QWidget* buildMonitorPage();
    QWidget* buildServicePage();
    QWidget* buildDevicePanel();
    QWidget* buildPcPanel();
    QWidget* buildBottomStrip();

    QLineEdit* edit(Edit& model, QWidget* parent, int width);
    QLabel* picture(Control& model, const QString& resource, QSize size, QWidget* parent);
    QLabel* label(Control& model, QWidget* parent);
    QGroupBox* group(Control& model, QWidget* parent);

    Dorive& core_;
    bool closed_ = false;
};

}  // namespace dorive
