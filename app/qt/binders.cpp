#include "app/qt/binders.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextCursor>
#include <QTableWidget>
#include <QTreeWidget>
#include <memory>

#include "app/dorive.h"
#include "form/phone_book_list.h"
#include "text/cp1252.h"

namespace dorive {

QString fromBytes(std::string_view bytes) {
    std::u16string wide = decodeCp1252(bytes);
    return QString(reinterpret_cast<const QChar*>(wide.data()), qsizetype(wide.size()));
}

std::string toBytes(const QString& text) {
    return encodeCp1252(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), std::size_t(text.size())));
}

namespace {

Task runNow(std::function<void()> action) {
    action();
    co_return;
}

// Calls `sync` now and on every change of the control, as long as the widget lives.
template <class W>
void follow(Control& control, W* widget, std::function<void(W*)> sync) {
    QPointer<W> guard(widget);
    control.addListener([guard, sync] {
        if (guard) sync(guard.data());
    });
    sync(widget);
}

void applyCommon(const Control& c, QWidget* w) {
    if (w->isEnabled() != c.enabled()) w->setEnabled(c.enabled());
    if (w->isHidden() == c.visible()) w->setHidden(!c.visible());
    QString hint = fromBytes(c.hint());
    if (w->toolTip() != hint) w->setToolTip(hint);
}

// Keeps the model's window position up to date when the window moves.
class MoveWatcher : public QObject {
  public:
    MoveWatcher(Window& window, QWidget* widget) : QObject(widget), window_(window) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Move) {
            auto* w = static_cast<QWidget*>(watched);
            window_.setPosition(w->y(), w->x());
        }
        return false;
    }

  private:
    Window& window_;
};

}  // namespace

void postAction(Dorive& core, std::function<void()> action) {
    core.post([action = std::move(action)] { return runNow(action); });
}

void bindControl(Control& control, QWidget* widget, CaptionSetter setCaption) {
    follow<QWidget>(control, widget, [&control, setCaption](QWidget* w) {
        applyCommon(control, w);
        if (setCaption) setCaption(fromBytes(control.caption()));
    });
}

void bindLabel(Control& control, QLabel* label) {
    QPointer<QLabel> guard(label);
    bindControl(control, label, [guard](const QString& text) {
        if (guard && guard->text() != text) guard->setText(text);
    });
}

void bindWindow(Window& window, QWidget* widget) {
    follow<QWidget>(window, widget, [&window](QWidget* w) {
        w->setWindowTitle(fromBytes(window.caption()));
        if (w->x() != window.left() || w->y() != window.top()) w->move(window.left(), window.top());
    });
    widget->installEventFilter(new MoveWatcher(window, widget));
}

void bindEdit(Dorive& core, Edit& edit, QLineEdit* widget) {
    auto sync = [&edit](QLineEdit* w) {
        applyCommon(edit, w);
        QString text = fromBytes(edit.text());
        // setText also clears the undo history, so an undo cannot bring back what the
        // edit's rule took out.
        if (w->text() != text) w->setText(text);
        int caret = int(edit.caret());
        if (w->cursorPosition() != caret) w->setCursorPosition(caret);
    };
    follow<QLineEdit>(edit, widget, sync);
    QObject::connect(widget, &QLineEdit::textEdited, widget, [&core, &edit, widget](const QString& text) {
        core.userEdit(edit, toBytes(text), std::size_t(widget->cursorPosition()));
    });
}

// Check boxes and radio buttons: caption and state follow the model; a click goes to the
// model as an activity, and the widget then shows the state the model kept.
template <class Model>
void bindToggle(Dorive& core, Model& model, QAbstractButton* widget, std::function<void(bool)> apply) {
    auto sync = [&model](QAbstractButton* w) {
        applyCommon(model, w);
        QString caption = fromBytes(model.caption());
        if (w->text() != caption) w->setText(caption);
        if (w->isChecked() != model.checked()) w->setChecked(model.checked());
    };
    follow<QAbstractButton>(model, widget, sync);
    QPointer<QAbstractButton> guard(widget);
    QObject::connect(widget, &QAbstractButton::clicked, widget, [&core, guard, sync, apply](bool checked) {
        postAction(core, [guard, sync, apply, checked] {
            apply(checked);
            if (guard) sync(guard);  // also when the model kept its state
        });
    });
}

void bindCheckBox(Dorive& core, CheckBox& box, QCheckBox* widget) {
    bindToggle(core, box, widget, [&box](bool checked) { box.setChecked(checked); });
}

void bindRadio(Dorive& core, RadioButton& button, QRadioButton* widget) {
    // The model keeps the group exclusive, and can leave a group with nothing selected.
    widget->setAutoExclusive(false);
    bindToggle(core, button, widget, [&button](bool) { button.select(); });
}

void bindButton(Button& button, QAbstractButton* widget) {
    follow<QAbstractButton>(button, widget, [&button](QAbstractButton* w) {
        applyCommon(button, w);
        QString caption = fromBytes(button.caption());
        if (w->text() != caption) w->setText(caption);
    });
    QObject::connect(widget, &QAbstractButton::clicked, widget, [&button] { button.click(); });
}

void bindCombo(Dorive& core, ComboBox& combo, QComboBox* widget) {
    widget->setEditable(combo.editable());
    for (const std::string& item : combo.items()) widget->addItem(fromBytes(item));
    auto sync = [&combo](QComboBox* w) {
        applyCommon(combo, w);
        QSignalBlocker block(w);
        QString text = fromBytes(combo.text());
        if (w->currentIndex() != combo.itemIndex()) w->setCurrentIndex(combo.itemIndex());
        if (combo.editable() && w->currentText() != text) w->setEditText(text);
    };
    follow<QComboBox>(combo, widget, sync);
    QPointer<QComboBox> guard(widget);
    QObject::connect(widget, &QComboBox::activated, widget, [&core, &combo, guard, sync](int index) {
        postAction(core, [&combo, guard, sync, index] {
            combo.setItemIndex(index);
            if (guard) sync(guard);
        });
    });
    if (combo.editable()) {
        QObject::connect(widget->lineEdit(), &QLineEdit::textEdited, widget,
                         [&core, &combo, guard, sync](const QString& text) {
                             postAction(core, [&combo, guard, sync, bytes = toBytes(text)] {
                                 combo.setText(bytes);
                                 if (guard) sync(guard);
                             });
                         });
    }
}

void bindTrackBar(Dorive& core, TrackBar& bar, QSlider* widget) {
    auto sync = [&bar](QSlider* w) {
        applyCommon(bar, w);
        QSignalBlocker block(w);
        w->setRange(bar.min(), bar.max());
        w->setValue(bar.position());
    };
    follow<QSlider>(bar, widget, sync);
    QPointer<QSlider> guard(widget);
    QObject::connect(widget, &QSlider::valueChanged, widget, [&core, &bar, guard, sync](int value) {
        postAction(core, [&bar, guard, sync, value] {
            bar.setPosition(value);
            if (guard) sync(guard);
        });
    });
}

void bindProgressBar(ProgressBar& bar, QProgressBar* widget, bool useColor) {
    widget->setTextVisible(false);
    auto sync = [&bar, useColor](QProgressBar* w) {
        applyCommon(bar, w);
        w->setRange(bar.min(), bar.max());
        w->setValue(bar.shownPosition());
        if (useColor) {
            Rgb c = bar.color();
            QString sheet =
                QString(
                    "QProgressBar { background: #c0c0c0; border: 1px solid #808080; border-radius: 2px; }"
                    "QProgressBar::chunk { background: rgb(%1, %2, %3); }")
                    .arg(c.r)
                    .arg(c.g)
                    .arg(c.b);
            if (w->styleSheet() != sheet) w->setStyleSheet(sheet);
        }
    };
    follow<QProgressBar>(bar, widget, sync);
}

void bindStatusBar(StatusBar& bar, QStatusBar* widget) {
    widget->setSizeGripEnabled(false);
    std::vector<QPointer<QLabel>> panels;
    for (std::size_t i = 0; i < bar.panels().size(); ++i) {
        auto* label = new QLabel(widget);
        label->setObjectName(QString::fromStdString(bar.name()) + "_panel" + QString::number(i));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setTextFormat(Qt::PlainText);
        // The last panel reaches to the right edge, as wide as the panel at least.
        const bool last = i + 1 == bar.panels().size();
        if (last)
            label->setMinimumWidth(bar.panels()[i].width);
        else
            label->setFixedWidth(bar.panels()[i].width);
        widget->addWidget(label, last ? 1 : 0);
        panels.emplace_back(label);
    }
    follow<QStatusBar>(bar, widget, [&bar, panels](QStatusBar* w) {
        applyCommon(bar, w);
        for (std::size_t i = 0; i < panels.size(); ++i) {
            if (!panels[i]) continue;
            QString text = fromBytes(bar.panelText(i));
            if (panels[i]->text() != text) panels[i]->setText(text);
        }
    });
}

void bindMemo(Memo& memo, QPlainTextEdit* widget) {
    widget->setReadOnly(true);
    for (std::string_view line : memo.lines()) widget->appendPlainText(fromBytes(line));
    follow<QPlainTextEdit>(memo, widget, [&memo](QPlainTextEdit* w) { applyCommon(memo, w); });
    // Lines gather while an event is handled and go into the widget in one piece when the
    // event loop comes round, so a burst of lines costs one layout and one scroll.
    QPointer<QPlainTextEdit> guard(widget);
    auto pending = std::make_shared<QStringList>();
    memo.addAppendListener([guard, pending](std::string_view line) {
        if (!guard) return;
        pending->append(fromBytes(line));
        if (pending->size() > 1) return;
        QMetaObject::invokeMethod(
            guard,
            [guard, pending] {
                if (!guard || pending->isEmpty()) return;
                QScrollBar* bar = guard->verticalScrollBar();
                const bool atBottom = bar->value() >= bar->maximum();
                const int kept = bar->value();
                guard->appendPlainText(pending->join(QChar('\n')));
                pending->clear();
                // Follow new lines only while the user looks at the end.
                bar->setValue(atBottom ? bar->maximum() : kept);
            },
            Qt::QueuedConnection);
    });
}

void bindTextMemo(Dorive& core, TextMemo& memo, QPlainTextEdit* widget) {
    follow<QPlainTextEdit>(memo, widget, [&memo](QPlainTextEdit* w) {
        applyCommon(memo, w);
        QString text = fromBytes(memo.text());
        if (w->toPlainText() != text) {
            QSignalBlocker block(w);
            w->setPlainText(text);
            w->moveCursor(QTextCursor::End);
        }
    });
    QObject::connect(widget, &QPlainTextEdit::textChanged, widget, [&core, &memo, widget] {
        std::string text = toBytes(widget->toPlainText());
        postAction(core, [&memo, text] { memo.userSetText(text); });
    });
}

void bindPageControl(PageControl& control, QTabWidget* widget, const std::vector<QWidget*>& pages) {
    const auto& models = control.pages();
    for (std::size_t i = 0; i < models.size() && i < pages.size(); ++i) {
        TabPage& page = *models[i];
        QPointer<QWidget> pageWidget(pages[i]);
        follow<QTabWidget>(page, widget, [&page, pageWidget](QTabWidget* w) {
            if (!pageWidget) return;
            int index = w->indexOf(pageWidget);
            if (index < 0) return;
            QString caption = fromBytes(page.caption());
            if (w->tabText(index) != caption) w->setTabText(index, caption);
            w->setTabVisible(index, page.visible());
            w->setTabToolTip(index, fromBytes(page.hint()));
            // A disabled page can still be looked at; its controls cannot be used.
            pageWidget->setEnabled(page.enabled());
        });
    }
    std::vector<QPointer<QWidget>> guarded(pages.begin(), pages.end());
    follow<QTabWidget>(control, widget, [&control, guarded](QTabWidget* w) {
        applyCommon(control, w);
        int i = control.activeIndex();
        if (i >= 0 && i < int(guarded.size()) && guarded[i] && w->currentWidget() != guarded[i])
            w->setCurrentWidget(guarded[i]);
    });
    QObject::connect(widget, &QTabWidget::currentChanged, widget, [&control, widget, guarded](int) {
        for (std::size_t i = 0; i < guarded.size(); ++i)
            if (guarded[i] && guarded[i] == widget->currentWidget()) control.setActiveIndex(int(i));
    });
}

namespace {
void addNodes(const std::vector<Tree::Node>& nodes, QTreeWidgetItem* parent, QTreeWidget* tree) {
    for (const Tree::Node& n : nodes) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
        item->setText(0, fromBytes(n.text));
        addNodes(n.children, item, tree);
    }
}
}  // namespace

void bindTree(Tree& tree, QTreeWidget* widget) {
    widget->setHeaderHidden(true);
    widget->setColumnCount(1);
    auto shown = std::make_shared<std::vector<Tree::Node>>();
    follow<QTreeWidget>(tree, widget, [&tree, shown](QTreeWidget* w) {
        applyCommon(tree, w);
        if (*shown == tree.nodes() && w->topLevelItemCount() == int(shown->size())) return;
        *shown = tree.nodes();
        w->clear();
        addNodes(*shown, nullptr, w);
        w->expandAll();
    });
}

void bindPhoneBook(PhoneBookList& list, QTableWidget* widget) {
    widget->setColumnCount(2);
    widget->setHorizontalHeaderLabels({"Name", "Phone"});
    widget->setColumnWidth(0, 132);
    widget->setColumnWidth(1, 151);
    widget->horizontalHeader()->setStretchLastSection(true);
    widget->verticalHeader()->setVisible(false);
    widget->verticalHeader()->setDefaultSectionSize(widget->fontMetrics().height() + 8);
    widget->setEditTriggers(QAbstractItemView::NoEditTriggers);
    widget->setSelectionBehavior(QAbstractItemView::SelectRows);
    widget->setSelectionMode(QAbstractItemView::SingleSelection);
    follow<QTableWidget>(list, widget, [&list](QTableWidget* w) {
        applyCommon(list, w);
        const int rows = int(list.rowCount());
        if (w->rowCount() != rows) w->setRowCount(rows);
        for (int r = 0; r < rows; ++r) {
            PhoneBookList::Row row = list.row(std::size_t(r) + 1);
            const QString cells[2] = {fromBytes(row.name), fromBytes(row.number)};
            for (int c = 0; c < 2; ++c) {
                QTableWidgetItem* item = w->item(r, c);
                if (!item) w->setItem(r, c, item = new QTableWidgetItem);
                if (item->text() != cells[c]) item->setText(cells[c]);
            }
        }
    });
}

}  // namespace dorive
