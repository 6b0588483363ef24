#pragma once
// Binders between the form model and the widgets, one per kind of control. The model
// drives the widget through the control's listeners; what the user does goes back through
// the core (as an activity of its loop where the model reacts), and the widget then shows
// the model's state again. Widgets are watched with QPointer: a listener of a destroyed
// widget does nothing.
#include <QString>
#include <string>
#include <vector>

#include "form/controls.h"
#include "form/text_memo.h"

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QRadioButton;
class QSlider;
class QStatusBar;
class QTableWidget;
class QTabWidget;
class QTreeWidget;
class QWidget;

namespace dorive {

class Dorive;
class PhoneBookList;

// The core's single-byte Windows-1252 texts for widgets, and back, byte for byte.
QString fromBytes(std::string_view bytes);
std::string toBytes(const QString& text);

// Runs a user's action on the control as an activity; when, by its turn, the control can no
// longer be used, `undo` runs instead (to show the model's state again).
void postAction(Dorive& core, const Control& control, std::function<void()> action,
                std::function<void()> undo = {});

using CaptionSetter = std::function<void(const QString&)>;
// Visibility, enabled state, hint (tool tip) and, where a setter is given, the caption.
void bindControl(Control& control, QWidget* widget, CaptionSetter setCaption = {});
void bindLabel(Control& control, QLabel* label);
void bindWindow(Window& window, QWidget* widget);
void bindEdit(Dorive& core, Edit& edit, QLineEdit* widget);
void bindCheckBox(Dorive& core, CheckBox& box, QCheckBox* widget);
void bindRadio(Dorive& core, RadioButton& button, QRadioButton* widget);
void bindButton(Button& button, QAbstractButton* widget);
void bindCombo(Dorive& core, ComboBox& combo, QComboBox* widget);
void bindTrackBar(Dorive& core, TrackBar& bar, QSlider* widget);
// `useColor`: the bar is drawn in the model's colour (the signal gauge).
void bindProgressBar(ProgressBar& bar, QProgressBar* widget, bool useColor);
// Adds one label per panel, as wide as the panel; the last one reaches to the right edge.
void bindStatusBar(StatusBar& bar, QStatusBar* widget);
void bindMemo(Memo& memo, QPlainTextEdit* widget);
// An editable list of lines (the upload list): the user's edits reach the model as an
// activity of the core.
void bindTextMemo(Dorive& core, TextMemo& memo, QPlainTextEdit* widget);
// `pages` are the widgets of the model's pages, in the model's order.
void bindPageControl(PageControl& control, QTabWidget* widget, const std::vector<QWidget*>& pages);
void bindTree(Tree& tree, QTreeWidget* widget);
// A tree whose lines the user picks: the selection follows the model both ways, and a
// click on a line (or moving to another with the keys) runs the tree's click reaction.
void bindTree(Dorive& core, Tree& tree, QTreeWidget* widget);
void bindPhoneBook(PhoneBookList& list, QTableWidget* widget);

}  // namespace dorive
