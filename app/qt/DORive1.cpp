#include "app/qt/DORive1.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStatusBar>
#include <QStyle>
#include <QSvgRenderer>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/dorive.h"
#include "app/qt/binders.h"
#include "app/qt/memory_pages.h"
#include "app/qt/tab_style.h"

// The pictures are compiled into the static library; this pulls them into every program
// that makes a window.
static void initResources() {
    Q_INIT_RESOURCE(dorive);
}

namespace dorive {

namespace {

// Row pitch and height of the number edits beside the unit pictures; the arrow pictures
// are drawn for this pitch.
constexpr int kRowPitch = 30;
constexpr int kRowHeight = 24;
constexpr QSize kUnitSize(110, 250);
constexpr QSize kArrowSize(44, 204);
constexpr QSize kStatusSize(48, 48);

QPixmap svgPixmap(const QString& resource, QSize size, qreal ratio) {
    QPixmap pm(size * ratio);
    pm.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    renderer.render(&p);
    p.end();
    pm.setDevicePixelRatio(ratio);
    return pm;
}

QIcon svgIcon(const QString& resource) {
    QIcon icon;
    for (qreal ratio : {1.0, 2.0}) icon.addPixmap(svgPixmap(resource, QSize(40, 40), ratio));
    return icon;
}

template <class W>
W* named(W* w, const std::string& name) {
    w->setObjectName(QString::fromStdString(name));
    return w;
}

QLabel* rowNumber(int n, QWidget* parent, const QString& owner) {
    auto* l = new QLabel(QString::number(n) + ".", parent);
    l->setObjectName(owner + "Number");
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

}  // namespace

TForm1::TForm1(Dorive& core, QWidget* parent) : QWidget(parent), core_(core) {
    initResources();
    Form& f = core_.form();
    named(this, f.TForm1.name());
    setFixedSize(kClientWidth, kClientHeight);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(6, 6, 6, 0);
    root->setSpacing(4);

    auto* top = new QHBoxLayout;
    top->setSpacing(6);
    root->addLayout(top, 1);

    auto* pages = named(new QTabWidget(this), f.PageControl1.name());
    auto* tabStyle = new IconAboveTextTabStyle;
    tabStyle->setParent(pages);
    pages->tabBar()->setStyle(tabStyle);
    pages->setIconSize(QSize(40, 40));
    pages->setUsesScrollButtons(false);
    std::vector<QWidget*> mainPages = {buildButtonsPage(), buildPhoneBookPage(), buildSettingsPage(),
                                       buildMonitorPage(), buildServicePage()};
    const QString icons[] = {":/icons/tab_buttons.svg", ":/icons/tab_phonebook.svg",
                             ":/icons/tab_settings.svg", ":/icons/tab_monitor.svg",
                             ":/icons/tab_service.svg"};
    for (std::size_t i = 0; i < mainPages.size(); ++i)
        pages->addTab(mainPages[i], svgIcon(icons[i]), QString());
    bindPageControl(f.PageControl1, pages, mainPages);
    top->addWidget(pages, 1);

    auto* side = new QVBoxLayout;
    side->setSpacing(6);
    side->addWidget(buildDevicePanel());
    side->addWidget(buildPcPanel());
    side->addStretch(1);
    auto* sideBox = new QWidget(this);
    sideBox->setObjectName("SidePanel");
    sideBox->setLayout(side);
    side->setContentsMargins(0, 0, 0, 0);
    sideBox->setFixedWidth(124);
    top->addWidget(sideBox);

    root->addWidget(buildBottomStrip());

    auto* status = named(new QStatusBar(this), f.StatusBar1.name());
    bindStatusBar(f.StatusBar1, status);
    root->addWidget(status);

    bindWindow(f.TForm1, this);
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!closed_ && !core_.mayClose()) {
        event->ignore();
        return;
    }
    if (!closed_) {
        closed_ = true;
        core_.FormClose();
    }
    event->accept();
}

QLineEdit* TForm1::edit(Edit& model, QWidget* parent, int width) {
    auto* w = named(new QLineEdit(parent), model.name());
    if (width > 0) w->setFixedWidth(width);
    w->setFixedHeight(kRowHeight);
    bindEdit(core_, model, w);
    return w;
}

QLabel* TForm1::picture(Control& model, const QString& resource, QSize size, QWidget* parent) {
    auto* w = named(new QLabel(parent), model.name());
    w->setFixedSize(size);
    w->setPixmap(svgPixmap(resource, size, devicePixelRatioF() > 1.0 ? devicePixelRatioF() : 1.0));
    bindControl(model, w);
    return w;
}

QLabel* TForm1::label(Control& model, QWidget* parent) {
    auto* w = named(new QLabel(parent), model.name());
    bindLabel(model, w);
    return w;
}

QGroupBox* TForm1::group(Control& model, QWidget* parent) {
    auto* w = named(new QGroupBox(parent), model.name());
    QPointer<QGroupBox> guard(w);
    bindControl(model, w, [guard](const QString& text) {
        if (guard) guard->setTitle(text);
    });
    return w;
}

// --- Buttons page -------------------------------------------------------------------------

QWidget* TForm1::buildButtonsPage() {
    Form& f = core_.form();
    auto* page = named(new QWidget, f.Buttons.name());
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    auto* types = named(new QTabWidget(page), f.ZEPtyp.name());
    std::vector<QWidget*> typePages = {buildOneButtonPage(), buildTwoButtonPage(), buildModuleButtonsPage(),
                                       buildModuleKeyboardPage()};
    for (QWidget* p : typePages) types->addTab(p, QString());
    bindPageControl(f.ZEPtyp, types, typePages);
    layout->addWidget(types);
    return page;
}

// The unit picture, the arrow from its button to the numbers, and the seven numbers of
// button A in calling order.
QWidget* TForm1::buildOneButtonPage() {
    Form& f = core_.form();
    auto* page = named(new QWidget, f.ZEPtyp1.name());
    auto* outer = new QGridLayout(page);
    auto* board = new QWidget(page);
    board->setObjectName("ZEPtyp1Board");
    const int arrowTop = 28;  // the arrow's stem meets the button drawn at 130 of 250
    const int editX = kUnitSize.width() + kArrowSize.width() + 20;
    board->setFixedSize(editX + 170, kUnitSize.height());
    picture(f.ZEP1, ":/pictures/unit_zep_1.svg", kUnitSize, board);
    picture(f.ZEPF1, ":/pictures/unit_f_1.svg", kUnitSize, board);
    picture(f.ZEPL1, ":/pictures/unit_l_1.svg", kUnitSize, board);
    picture(f.ZEPCorvel1, ":/pictures/unit_corvel_1.svg", kUnitSize, board);
    for (Control* arrow : {static_cast<Control*>(&f.Sipka1), static_cast<Control*>(&f.Sipkaf1),
                           static_cast<Control*>(&f.SipkaGA1)}) {
        QString resource = arrow == &f.Sipka1    ? ":/pictures/arrow_zep.svg"
                           : arrow == &f.Sipkaf1 ? ":/pictures/arrow_f.svg"
                                                 : ":/pictures/arrow_corvel_a1.svg";
        picture(*arrow, resource, kArrowSize, board)->move(kUnitSize.width() + 2, arrowTop);
    }
    for (int i = 0; i < 7; ++i) {
        int y = arrowTop + i * kRowPitch;
        QLabel* n = rowNumber(i + 1, board, QString::fromStdString(f.AABUTTON[i].name()));
        n->setGeometry(editX - 20, y, 18, kRowHeight);
        edit(f.AABUTTON[i], board, 160)->move(editX, y);
    }
    outer->addWidget(board, 0, 0, Qt::AlignCenter);
    return page;
}

// Button A's numbers left of the unit, button B's right of it.
QWidget* TForm1::buildTwoButtonPage() {
    Form& f = core_.form();
    auto* page = named(new QWidget, f.ZEPtyp2.name());
    auto* outer = new QGridLayout(page);
    auto* board = new QWidget(page);
    board->setObjectName("ZEPtyp2Board");
    const int editW = 108, numW = 16, head = 0;
    const int arrowTop = head + 17;  // stems meet the buttons drawn at 112 and 166 of 250
    const int colA = numW + 2, arrowA = colA + editW, unitX = arrowA + kArrowSize.width() - 4;
    const int arrowB = unitX + kUnitSize.width() - 4, colB = arrowB + kArrowSize.width();
    board->setFixedSize(colB + editW + numW + 2, head + kUnitSize.height());
    for (auto [pic, res] : {std::pair<Control*, const char*>{&f.ZEP2, ":/pictures/unit_zep_2.svg"},
                            {&f.ZEPF2, ":/pictures/unit_f_2.svg"},
                            {&f.ZEPL2, ":/pictures/unit_l_2.svg"},
                            {&f.ZEPCorvel2, ":/pictures/unit_corvel_2.svg"}})
        picture(*pic, res, kUnitSize, board)->move(unitX, head);
    picture(f.SipkaGA2, ":/pictures/arrow_corvel_a2.svg", kArrowSize, board)->move(arrowA, arrowTop);
    picture(f.SipkaGB2, ":/pictures/arrow_corvel_b2.svg", kArrowSize, board)->move(arrowB, arrowTop);
    for (int i = 0; i < 7; ++i) {
        int y = arrowTop + i * kRowPitch;
        rowNumber(i + 1, board, QString::fromStdString(f.ABUTTON[i].name()))
            ->setGeometry(0, y, numW, kRowHeight);
        edit(f.ABUTTON[i], board, editW)->move(colA, y);
        edit(f.BBUTTON[i], board, editW)->move(colB, y);
        QLabel* nb = rowNumber(i + 1, board, QString::fromStdString(f.BBUTTON[i].name()));
        nb->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        nb->setGeometry(colB + editW + 3, y, numW, kRowHeight);
    }
    outer->addWidget(board, 0, 0, Qt::AlignCenter);
    return page;
}

// The module pages are built with the memory pages.
QWidget* TForm1::buildModuleButtonsPage() {
    return makeModuleButtonsPage(core_);
}
QWidget* TForm1::buildModuleKeyboardPage() {
    return makeModuleKeyboardPage(core_);
}

// --- Phone book page ----------------------------------------------------------------------

QWidget* TForm1::buildPhoneBookPage() {
    Form& f = core_.form();
    auto* page = named(new QWidget, f.PhoneBook.name());
    auto* layout = new QHBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(8);
    // The list: two columns of 132 and 151 pixels under the title row, and room for the
    // vertical scroll bar.
    auto* table = named(new QTableWidget(page), f.PhoneBook1.name());
    bindPhoneBook(f.PhoneBook1, table);
    table->setFixedWidth(132 + 151 + 2 * table->frameWidth() +
                         table->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    layout->addWidget(table);

    auto* side = new QVBoxLayout;
    side->setSpacing(6);
    auto button = [page, side](Button& model) {
        auto* w = named(new QPushButton(page), model.name());
        bindButton(model, w);
        side->addWidget(w);
        return w;
    };
    button(f.LineIn);
    button(f.LineDel);
    side->addSpacing(6);
    QGroupBox* find = group(f.GroupBox6, page);
    auto* fv = new QVBoxLayout(find);
    fv->setSpacing(4);
    QLineEdit* findName = edit(f.FindN, find, 0);
    fv->addWidget(findName);
    auto* findButton = named(new QPushButton(find), f.Find.name());
    bindButton(f.Find, findButton);
    fv->addWidget(findButton);
    // Enter in the name box finds, as the button does.
    connect(findName, &QLineEdit::returnPressed, findButton, &QPushButton::click);
    side->addWidget(find);
    side->addStretch(1);
    button(f.ExportCSV);
    button(f.ImportCSV);
    layout->addLayout(side, 1);
    return page;
}

// --- Settings pages -----------------------------------------------------------------------

QWidget* TForm1::buildSettingsPage() {
    Form& f = core_.form();
    auto* page = named(new QWidget, f.seting.name());
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    auto* inner = named(new QTabWidget(page), f.SetingPages.name());
    std::vector<QWidget*> pages = {buildCallsPage(), buildRelaysPage(), buildSmsPage(), buildAdminPage()};
    for (QWidget* p : pages) inner->addTab(p, QString());
    bindPageControl(f.SetingPages, inner, pages);
    layout->addWidget(inner);
    return page;
}

QWidget* TForm1::buildCallsPage() {
    Form& f = core_.form();
    auto* page = named(new QWidget, f.Calls.name());
    auto* layout = new QHBoxLayout(page);
    layout->setSpacing(8);
    for (auto [box, bar] :
         {std::pair<GroupBox*, TrackBar*>{&f.GroupBox1, &f.VolSpk}, {&f.GroupBox2, &f.VolMic}}) {
        QGroupBox* g = group(*box, page);
        auto* v = new QVBoxLayout(g);
        auto* slider = named(new QSlider(Qt::Vertical, g), bar->name());
        // Position 1 at the top, as the unit's loudest level.
        slider->setInvertedAppearance(true);
        slider->setInvertedControls(true);
        slider->setTickPosition(QSlider::TicksBothSides);
        slider->setTickInterval(1);
        slider->setPageStep(1);
        slider->setMinimumHeight(160);
        bindTrackBar(core_, *bar, slider);
        v->addWidget(slider, 1, Qt::AlignHCenter);
        // At least 84 wide, and as wide as its title in any language.
        g->setMinimumWidth(84);
        layout->addWidget(g);
    }
    auto* right = new QVBoxLayout;
    QGroupBox* pickUp = group(f.GroupBox3, page);
    auto* pv = new QVBoxLayout(pickUp);
    for (RadioButton* r : {&f.NoCall, &f.SIMCall, &f.AllCall}) {
        auto* w = named(new QRadioButton(pickUp), r->name());
        bindRadio(core_, *r, w);
        pv->addWidget(w);
    }
    right->addWidget(pickUp);
    QGroupBox* tones = group(f.InfoTones, page);
    auto* tv = new QVBoxLayout(tones);
    for (CheckBox* c : {&f.TonBeep, &f.TonRing, &f.TonVoice}) {
        auto* w = named(new QCheckBox(tones), c->name());
        bindCheckBox(core_, *c, w);
        tv->addWidget(w);
    }
    right->addWidget(tones);
    QGroupBox* waitingBox = group(f.WaitingCall, page);
    auto* wv = new QHBoxLayout(waitingBox);
    auto* waiting = named(new QComboBox(waitingBox), f.waiting.name());
    waiting->setFixedWidth(64);
    bindCombo(core_, f.waiting, waiting);
    wv->addWidget(waiting);
    wv->addWidget(label(f.secLabel, waitingBox));
    wv->addStretch(1);
    right->addWidget(waitingBox);
    right->addStretch(1);
    layout->addLayout(right, 1);
    return page;
}

QWidget* TForm1::buildRelaysPage() {
    Form& f = core_.form();
    auto* page = named(new QWidget, f.Relays.name());
    auto* layout = new QHBoxLayout(page);
    layout->setSpacing(8);
    for (RelayControls* r : {&f.Relay1, &f.Relay2}) {
        QGroupBox* box = group(r->box, page);
        auto* v = new QVBoxLayout(box);
        v->setSpacing(4);
        for (RadioButton* b : {&r->RelSMS, &r->RelSW, &r->RelCam, &r->RelLi, &r->RelBut}) {
            auto* w = named(new QRadioButton(box), b->name());
            bindRadio(core_, *b, w);
            v->addWidget(w);
        }
        v->addSpacing(6);
        for (CheckBox* c : {&r->RelRing, &r->RelRingAll}) {
            auto* w = named(new QCheckBox(box), c->name());
            bindCheckBox(core_, *c, w);
            v->addWidget(w);
        }
        v->addSpacing(6);
        auto* grid = new QGridLayout;
        grid->setHorizontalSpacing(8);
        grid->addWidget(edit(r->RelCode, box, 36), 0, 0);
        grid->addWidget(label(r->codeLabel, box), 0, 1);
        grid->addWidget(edit(r->RelTime, box, 36), 1, 0);
        grid->addWidget(label(r->timeLabel, box), 1, 1);
        grid->setColumnStretch(1, 1);
        v->addLayout(grid);
        v->addStretch(1);
        layout->addWidget(box, 1);
    }
    return page;
}

QWidget* TForm1::buildSmsPage() {
    Form& f = core_.form();
    auto* page = named(new QWidget, f.SMSs.name());
    auto* layout = new QVBoxLayout(page);
    for (CheckBox* c : {&f.SendSMS, &f.ClockGSM}) {
        auto* w = named(new QCheckBox(page), c->name());
        bindCheckBox(core_, *c, w);
        layout->addWidget(w);
    }
    layout->addSpacing(8);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->addWidget(label(f.Label22, page), 0, 0);
    grid->addWidget(edit(f.ALARMON, page, 230), 0, 1);
    grid->addWidget(label(f.Label23, page), 1, 0);
    grid->addWidget(edit(f.ALARMOFF, page, 230), 1, 1);
    grid->setColumnStretch(2, 1);
    layout->addLayout(grid);
    layout->addSpacing(8);
    QGroupBox* port = group(f.Port, page);
    auto* pv = new QVBoxLayout(port);
    for (RadioButton* r : {&f.PortDis, &f.PortEtons, &f.PortESMS}) {
        auto* w = named(new QRadioButton(port), r->name());
        bindRadio(core_, *r, w);
        pv->addWidget(w);
    }
    port->setFixedWidth(180);
    layout->addWidget(port);
    layout->addStretch(1);
    return page;
}

QWidget* TForm1::buildAdminPage() {
    Form& f = core_.form();
    auto* page = named(new QWidget, f.Admin.name());
    auto* layout = new QVBoxLayout(page);
    QLabel* caption = label(f.Label35, page);
    caption->setWordWrap(true);
    layout->addWidget(caption);
    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(6);
    for (int i = 0; i < 7; ++i) {
        grid->addWidget(rowNumber(i + 1, page, QString::fromStdString(f.ADMIN[i].name())), i, 0);
        grid->addWidget(edit(f.ADMIN[i], page, 190), i, 1);
    }
    grid->setColumnStretch(2, 1);
    layout->addLayout(grid);
    layout->addStretch(1);
    return page;
}

// --- Monitor and service ------------------------------------------------------------------

QWidget* TForm1::buildMonitorPage() {
    Form& f = core_.form();
    auto* page = named(new QWidget, f.TabSheet2.name());
    auto* layout = new QVBoxLayout(page);
    auto* monitor = named(new QPlainTextEdit(page), f.Monitor.name());
    monitor->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    monitor->setFont(mono);
    bindMemo(f.Monitor, monitor);
    layout->addWidget(monitor, 1);
    auto* row = new QHBoxLayout;
    for (Button* b : {&f.SaveMonitor, &f.Inicializace, &f.IMEI}) {
        auto* w = named(new QPushButton(page), b->name());
        bindButton(*b, w);
        row->addWidget(w);
    }
    row->addStretch(1);
    layout->addLayout(row);
    return page;
}

QWidget* TForm1::buildServicePage() {
    Form& f = core_.form();
    auto* page = named(new QWidget, f.service.name());
    auto* layout = new QVBoxLayout(page);
    auto* list = named(new QPlainTextEdit(page), f.List.name());
    list->setLineWrapMode(QPlainTextEdit::NoWrap);
    list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    bindTextMemo(core_, f.List, list);
    layout->addWidget(list, 1);
    auto* status = label(f.UploadStatus, page);
    status->setWordWrap(true);
    status->setMinimumHeight(2 * status->fontMetrics().height());
    status->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(status);
    auto* row = new QHBoxLayout;
    for (Button* b : {&f.LoadList, &f.ClrList, &f.Upgrade}) {
        auto* w = named(new QPushButton(page), b->name());
        bindButton(*b, w);
        row->addWidget(w);
    }
    row->addStretch(1);
    auto* cancel = named(new QPushButton(page), f.UploadCancel.name());
    bindButton(f.UploadCancel, cancel);
    row->addWidget(cancel);
    layout->addLayout(row);
    return page;
}

// --- Device and PC panels, bottom strip ---------------------------------------------------

QWidget* TForm1::buildDevicePanel() {
    Form& f = core_.form();
    QGroupBox* box = group(f.GroupBox4, this);
    auto* v = new QVBoxLayout(box);
    v->setSpacing(4);

    auto* statusArea = new QWidget(box);
    statusArea->setObjectName("StatusArea");
    statusArea->setFixedHeight(kStatusSize.height() + 4);
    auto* led = named(new QFrame(statusArea), f.RXDled.name());
    led->setFixedSize(12, 12);
    led->setStyleSheet("background: #22c55e; border: 1px solid #15803d; border-radius: 6px;");
    led->move(2, 2);
    bindControl(f.RXDled, led);
    const int px = (124 - 2 * 10 - kStatusSize.width()) / 2;
    picture(f.DeviceRun, ":/pictures/status_run.svg", kStatusSize, statusArea)->move(px, 2);
    picture(f.DeviceStop, ":/pictures/status_stop.svg", kStatusSize, statusArea)->move(px, 2);
    picture(f.DeviceNic, ":/pictures/status_pending.svg", kStatusSize, statusArea)->move(px, 2);
    v->addWidget(statusArea);
    QLabel* status = label(f.StatusLabel, box);
    status->setAlignment(Qt::AlignHCenter);
    v->addWidget(status);
    v->addSpacing(4);

    for (Button* b : {&f.RunZEP, &f.StopZEP, &f.SaveZEP, &f.QuickSaveZEP, &f.LoadZEP}) {
        auto* w = named(new QPushButton(box), b->name());
        bindButton(*b, w);
        v->addWidget(w);
        if (b == &f.QuickSaveZEP) w->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    }
    v->addSpacing(4);

    QGroupBox* battery = group(f.Battery, box);
    auto* bv = new QVBoxLayout(battery);
    auto* bar = named(new QProgressBar(battery), f.BVoltage.name());
    bar->setOrientation(Qt::Vertical);
    // The gauge takes the height the panel has left, so that every button of the panel fits.
    bar->setFixedWidth(20);
    bar->setMinimumHeight(36);
    bindProgressBar(f.BVoltage, bar, false);
    bv->addWidget(bar, 0, Qt::AlignHCenter);
    QLabel* voltage = label(f.Voltage, battery);
    voltage->setAlignment(Qt::AlignHCenter);
    bv->addWidget(voltage);
    v->addWidget(battery);
    return box;
}

QWidget* TForm1::buildPcPanel() {
    Form& f = core_.form();
    QGroupBox* box = group(f.GroupBox5, this);
    auto* v = new QVBoxLayout(box);
    v->setSpacing(4);
    for (Button* b : {&f.Load, &f.Save}) {
        auto* w = named(new QPushButton(box), b->name());
        bindButton(*b, w);
        v->addWidget(w);
    }
    return box;
}

QWidget* TForm1::buildBottomStrip() {
    Form& f = core_.form();
    auto* strip = new QWidget(this);
    strip->setObjectName("BottomStrip");
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    // The gauge and the progress bar share one place; the progress bar shows over the gauge.
    auto* place = new QWidget(strip);
    place->setObjectName("GaugePlace");
    auto* stack = new QGridLayout(place);
    stack->setContentsMargins(0, 0, 0, 0);
    auto* gauge = named(new QProgressBar(place), f.Smeter.name());
    gauge->setFixedHeight(18);
    bindProgressBar(f.Smeter, gauge, true);
    auto* progress = named(new QProgressBar(place), f.Prubeh.name());
    progress->setFixedHeight(18);
    bindProgressBar(f.Prubeh, progress, false);
    stack->addWidget(gauge, 0, 0);
    stack->addWidget(progress, 0, 0);
    row->addWidget(place, 1);
    auto* signal = named(new QPushButton(strip), f.signal.name());
    signal->setFixedWidth(124);
    bindButton(f.signal, signal);
    row->addWidget(signal);
    return strip;
}

}  // namespace dorive
