#include "app/qt/binders.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
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
#include <QTableWidget>
#include <QTextCursor>
#include <QTreeWidget>
#include <algorithm>
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

void postAction(Dorive& core, const Control& control, std::function<void()> action,
                std::function<void()> undo) {
    core.post([&control, action = std::move(action), undo = std::move(undo)] {
        // By its turn the control may have been locked: the click is lost, as on a disabled
        // widget, and the widget shows the model's state again.
        if (!control.usable()) return runNow(undo ? undo : [] {});
        return runNow(action);
    });
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
    QObject::connect(widget, &QAbstractButton::clicked, widget,
                     [&core, &model, guard, sync, apply](bool checked) {
                         auto resync = [guard, sync] {
                             if (guard) sync(guard);  // also when the model kept its state
                         };
                         postAction(
                             core, model,
                             [apply, resync, checked] {
                                 apply(checked);
                                 resync();
                             },
                             resync);
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
    auto resync = [guard, sync] {
        if (guard) sync(guard);
    };
    QObject::connect(widget, &QComboBox::activated, widget, [&core, &combo, resync](int index) {
        postAction(
            core, combo,
            [&combo, resync, index] {
                combo.setItemIndex(index);
                resync();
            },
            resync);
    });
    if (combo.editable()) {
        QObject::connect(widget->lineEdit(), &QLineEdit::textEdited, widget,
                         [&core, &combo, resync](const QString& text) {
                             postAction(
                                 core, combo,
                                 [&combo, resync, bytes = toBytes(text)] {
                                     combo.setText(bytes);
                                     resync();
                                 },
                                 resync);
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
    auto resync = [guard, sync] {
        if (guard) sync(guard);
    };
    QObject::connect(widget, &QSlider::valueChanged, widget, [&core, &bar, resync](int value) {
        postAction(
            core, bar,
            [&bar, resync, value] {
                bar.setPosition(value);
                resync();
            },
            resync);
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
        postAction(core, memo, [&memo, text] { memo.userSetText(text); });
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

namespace {

// The editor keys of the phone book: Insert, Down on the last row, Ctrl+Delete and Escape
// go to the list; the other keys move and edit as a table does.
class PhoneBookKeys : public QObject {
  public:
    PhoneBookKeys(PhoneBookList& list, QTableWidget* table) : QObject(table), list_(list), table_(table) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        using Key = PhoneBookList::Key;
        const bool ctrl = key->modifiers() & Qt::ControlModifier;
        switch (key->key()) {
            case Qt::Key_Insert:
                list_.userKey(Key::Insert);
                return true;
            case Qt::Key_Down:
                if (table_->currentRow() < table_->rowCount() - 1) return false;
                list_.userKey(Key::Down);
                return true;
            case Qt::Key_Delete:
                if (!ctrl) return false;
                list_.userKey(Key::Delete);
                return true;
            case Qt::Key_Escape:
                list_.userKey(Key::Escape);
                return true;
            default:
                return false;
        }
    }

  private:
    PhoneBookList& list_;
    QTableWidget* table_;
};

}  // namespace
void bindTree(Dorive& core, Tree& tree, QTreeWidget* widget) {
    widget->setHeaderHidden(true);
    widget->setColumnCount(1);
    widget->setSelectionMode(QAbstractItemView::SingleSelection);
    auto shown = std::make_shared<std::vector<Tree::Node>>();
    // Set while the model's state is being shown, so that it is not taken for the user's.
    auto syncing = std::make_shared<bool>(false);
    follow<QTreeWidget>(tree, widget, [&tree, shown, syncing](QTreeWidget* w) {
        applyCommon(tree, w);
        *syncing = true;
        if (*shown != tree.nodes() || w->topLevelItemCount() != int(shown->size())) {
            *shown = tree.nodes();
            w->clear();
            addNodes(*shown, nullptr, w);
        }
        const int i = tree.selectedIndex();
        QTreeWidgetItem* item = i >= 0 ? w->topLevelItem(i) : nullptr;
        if (item) {
            if (w->currentItem() != item || !item->isSelected()) w->setCurrentItem(item);
        } else if (!w->selectedItems().isEmpty()) {
            w->clearSelection();
        }
        *syncing = false;
    });
    // The user's selection reaches the model (focus alone makes a line current, not
    // selected, and picks nothing). A mouse press that selects another line is followed by
    // its click; the click then does not run the reaction a second time.
    auto pressMoved = std::make_shared<bool>(false);
    QObject::connect(widget, &QTreeWidget::itemSelectionChanged, widget,
                     [&core, &tree, widget, syncing, pressMoved] {
                         if (*syncing) return;
                         const QList<QTreeWidgetItem*> items = widget->selectedItems();
                         const int i = items.isEmpty() ? -1 : widget->indexOfTopLevelItem(items.front());
                         *pressMoved = QGuiApplication::mouseButtons() != Qt::NoButton;
                         postAction(core, tree, [&tree, i] {
                             if (i < 0)
                                 tree.clearSelection();
                             else
                                 tree.userSelect(i);
                         });
                     });
    QObject::connect(widget, &QTreeWidget::itemClicked, widget,
                     [&core, &tree, widget, pressMoved](QTreeWidgetItem* item, int) {
                         if (*pressMoved) {
                             *pressMoved = false;
                             return;
                         }
                         const int i = widget->indexOfTopLevelItem(item);
                         postAction(core, tree, [&tree, i] { tree.userSelect(i); });
                     });
}

void bindPhoneBook(PhoneBookList& list, QTableWidget* widget) {
    widget->setColumnCount(2);
    widget->setHorizontalHeaderLabels({"Name", "Phone"});
    widget->setColumnWidth(0, 132);
    widget->setColumnWidth(1, 151);
    widget->horizontalHeader()->setStretchLastSection(false);
    widget->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    widget->horizontalHeader()->setHighlightSections(false);
    widget->verticalHeader()->setVisible(false);
    widget->verticalHeader()->setDefaultSectionSize(widget->fontMetrics().height() + 8);
    widget->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    widget->setSelectionBehavior(QAbstractItemView::SelectItems);
    widget->setSelectionMode(QAbstractItemView::SingleSelection);
    widget->setTabKeyNavigation(true);
    widget->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    widget->installEventFilter(new PhoneBookKeys(list, widget));

    // While the model's state is shown, the table's own signals are not the user's.
    auto syncing = std::make_shared<bool>(false);
    auto focusShown = std::make_shared<int>(list.focusRequests());
    follow<QTableWidget>(list, widget, [&list, syncing, focusShown](QTableWidget* w) {
        *syncing = true;
        QSignalBlocker block(w);
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
        const int current = int(list.current()) - 1;
        if (w->currentRow() != current) {
            w->setCurrentCell(current, std::max(w->currentColumn(), 0));
            w->scrollToItem(w->item(current, 0));
        }
        if (*focusShown != list.focusRequests()) {
            *focusShown = list.focusRequests();
            w->setFocus();
        }
        *syncing = false;
    });
    // Edits and moves reach the list once the table has finished its own handling.
    QPointer<QTableWidget> guard(widget);
    QObject::connect(
        widget, &QTableWidget::itemChanged, widget, [&list, syncing, guard](QTableWidgetItem* item) {
            if (*syncing) return;
            const std::size_t row = std::size_t(item->row()) + 1;
            const int column = item->column();
            std::string text = toBytes(item->text());
            QMetaObject::invokeMethod(
                guard.data(), [&list, row, column, text] { list.userCellEdit(row, column, text); },
                Qt::QueuedConnection);
        });
    QObject::connect(widget, &QTableWidget::currentCellChanged, widget,
                     [&list, syncing, guard](int row, int, int previousRow, int) {
                         if (*syncing || row < 0 || row == previousRow) return;
                         QMetaObject::invokeMethod(
                             guard.data(), [&list, row] { list.userSelect(std::size_t(row) + 1); },
                             Qt::QueuedConnection);
                     });
}

}  // namespace dorive
