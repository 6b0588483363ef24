#pragma once
// Headless model of the window's controls. Each control keeps the state a widget shows;
// the window binds widgets to these objects both ways. Reactions (change and click events)
// run on every change of state, whether the user or the program made it.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "form/line_store.h"

namespace dorive {

class Control {
  public:
    using Listener = std::function<void()>;
    explicit Control(std::string name) : name_(std::move(name)) {}
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& name() const { return name_; }
    bool enabled() const { return enabled_; }
    void setEnabled(bool on) { set(enabled_, on); }
    bool visible() const { return visible_; }
    void setVisible(bool on) { set(visible_, on); }
    const std::string& caption() const { return caption_; }
    void setCaption(std::string text) { set(caption_, std::move(text)); }
    const std::string& hint() const { return hint_; }
    void setHint(std::string text) { set(hint_, std::move(text)); }

    // The page or box the control sits on: a disabled container disables everything on it,
    // as a widget's parent does. (A page whose tab a variant hides keeps its controls.)
    Control* parent() const { return parent_; }
    void setParent(Control* p) { parent_ = p; }
    // Enabled and visible itself, and every container it sits on is enabled.
    bool usable() const {
        if (!visible_) return false;
        for (const Control* c = this; c; c = c->parent_)
            if (!c->enabled_) return false;
        return true;
    }

    // The view registers here to hear of every change of state.
    void addListener(Listener l) { listeners_.push_back(std::move(l)); }

  protected:
    template <class T>
    void set(T& field, T value) {
        if (field == value) return;
        field = std::move(value);
        notify();
    }
    void notify() {
        for (auto& l : listeners_) l();
    }

  private:
    std::string name_;
    bool enabled_ = true;
    bool visible_ = true;
    std::string caption_;
    std::string hint_;
    Control* parent_ = nullptr;
    std::vector<Listener> listeners_;
};

// The main window itself: caption and position on the screen.
class Window : public Control {
  public:
    using Control::Control;
    int top() const { return top_; }
    int left() const { return left_; }
    void setPosition(int top, int left) {
        if (top == top_ && left == left_) return;
        top_ = top;
        left_ = left;
        notify();
    }

  private:
    int top_ = 200, left_ = 200;
};

// Buttons: a click from the user runs onClick; disabled or hidden buttons do nothing.
class Button : public Control {
  public:
    using Control::Control;
    std::function<void()> onClick;
    void click() {
        if (enabled() && visible() && onClick) onClick();
    }
};
// Pictures, shapes, group boxes, labels and tab pages need nothing beyond the basics.
using Picture = Control;
using GroupBox = Control;
using Label = Control;
using TabPage = Control;

// A single-line edit. Setting a different text runs its change reaction.
class Edit : public Control {
  public:
    using Control::Control;
    const std::string& text() const { return text_; }
    // Setting a text equal to the current one does nothing.
    void setText(std::string text) {
        if (text == text_) return;
        text_ = std::move(text);
        if (caret_ > text_.size()) caret_ = text_.size();
        notify();
        if (onChange) onChange();
    }
    std::size_t caret() const { return caret_; }
    void setCaret(std::size_t pos) { set(caret_, pos > text_.size() ? text_.size() : pos); }
    // What the user typed, with the caret where the user left it.
    void userEdit(std::string text, std::size_t caret) {
        caret_ = caret;
        if (text == text_) {
            if (caret_ > text_.size()) caret_ = text_.size();
            notify();
            return;
        }
        text_ = std::move(text);
        if (caret_ > text_.size()) caret_ = text_.size();
        notify();
        if (onChange) onChange();
    }
    std::function<void()> onChange;

  private:
    std::string text_;
    std::size_t caret_ = 0;
};

// A check box; its click reaction runs whenever its state changes.
class CheckBox : public Control {
  public:
    using Control::Control;
    bool checked() const { return checked_; }
    void setChecked(bool on) {
        if (on == checked_) return;
        checked_ = on;
        notify();
        if (onClick) onClick();
    }
    std::function<void()> onClick;

  private:
    bool checked_ = false;
};

class RadioButton;

// The radio buttons of one group box: selecting one clears the others.
class RadioGroup {
  public:
    void add(RadioButton& b) { buttons_.push_back(&b); }
    const std::vector<RadioButton*>& buttons() const { return buttons_; }
    RadioButton* selected() const;

  private:
    std::vector<RadioButton*> buttons_;
};

class RadioButton : public Control {
  public:
    RadioButton(std::string name, RadioGroup& group) : Control(std::move(name)), group_(&group) {
        group.add(*this);
    }
    bool checked() const { return checked_; }
    // Selects this button: the others of its group are cleared first, then the click
    // reaction runs. Selecting the selected button does nothing.
    void select() {
        if (checked_) return;
        for (RadioButton* other : group_->buttons()) {
            if (other != this && other->checked_) {
                other->checked_ = false;
                other->notify();
            }
        }
        checked_ = true;
        notify();
        if (onClick) onClick();
    }
    // Clears this button; no reaction runs.
    void uncheck() { set(checked_, false); }
    std::function<void()> onClick;

  private:
    RadioGroup* group_;
    bool checked_ = false;
};

inline RadioButton* RadioGroup::selected() const {
    for (RadioButton* b : buttons_)
        if (b->checked()) return b;
    return nullptr;
}

// Vertical track bar: position clamped to min..max.
class TrackBar : public Control {
  public:
    TrackBar(std::string name, int min, int max, int pos) : Control(std::move(name)), min_(min), max_(max) {
        setPosition(pos);
    }
    int min() const { return min_; }
    int max() const { return max_; }
    int position() const { return pos_; }
    void setPosition(int p) { set(pos_, p < min_ ? min_ : (p > max_ ? max_ : p)); }

  private:
    int min_, max_, pos_ = 0;
};

// Drop-down list, editable or fixed.
class ComboBox : public Control {
  public:
    ComboBox(std::string name, std::vector<std::string> items, bool editable)
        : Control(std::move(name)), items_(std::move(items)), editable_(editable) {}
    const std::vector<std::string>& items() const { return items_; }
    bool editable() const { return editable_; }
    int itemIndex() const { return index_; }
    const std::string& text() const { return text_; }
    // An index outside the items leaves no item selected and an empty text.
    void setItemIndex(int i) {
        if (i < 0 || i >= int(items_.size())) i = -1;
        std::string t = i < 0 ? std::string() : items_[i];
        if (i == index_ && t == text_) return;
        index_ = i;
        text_ = std::move(t);
        notify();
        if (onChange) onChange();
    }
    // Text typed into an editable list; typing selects no item.
    void setText(std::string t) {
        if (t == text_ && index_ == -1) return;
        text_ = std::move(t);
        index_ = -1;
        notify();
        if (onChange) onChange();
    }
    std::function<void()> onChange;

  private:
    std::vector<std::string> items_;
    bool editable_;
    int index_ = -1;
    std::string text_;
};

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

// Progress bar or bar gauge.
class ProgressBar : public Control {
  public:
    ProgressBar(std::string name, int min, int max) : Control(std::move(name)), min_(min), max_(max) {}
    int min() const { return min_; }
    int max() const { return max_; }
    int position() const { return pos_; }
    void setMin(int m) { set(min_, m); }
    void setMax(int m) { set(max_, m); }
    void setPosition(int p) { set(pos_, p); }
    // A position outside the range is shown at the nearer end.
    int shownPosition() const { return pos_ < min_ ? min_ : (pos_ > max_ ? max_ : pos_); }
    Rgb color() const { return color_; }
    void setColor(Rgb c) { set(color_, c); }

  private:
    int min_, max_, pos_ = 0;
    Rgb color_{0, 0, 255};
};

class StatusBar : public Control {
  public:
    struct Panel {
        std::string text;
        int width = 0;
        bool operator==(const Panel&) const = default;
    };
    StatusBar(std::string name, std::vector<Panel> panels)
        : Control(std::move(name)), panels_(std::move(panels)) {}
    const std::vector<Panel>& panels() const { return panels_; }
    const std::string& panelText(std::size_t i) const { return panels_.at(i).text; }
    void setPanelText(std::size_t i, std::string t) {
        if (panels_.at(i).text == t) return;
        panels_[i].text = std::move(t);
        notify();
    }

  private:
    std::vector<Panel> panels_;
};

// Multi-line text that only grows at its end (the monitor).
class Memo : public Control {
  public:
    using Control::Control;
    const LineStore& lines() const { return lines_; }
    void append(std::string_view line) {
        lines_.push_back(line);
        if (appendListeners_.empty()) return;
        std::string_view stored = lines_.back();
        for (auto& l : appendListeners_) l(stored);
    }
    void addAppendListener(std::function<void(std::string_view)> l) {
        appendListeners_.push_back(std::move(l));
    }

  private:
    LineStore lines_;
    std::vector<std::function<void(std::string_view)>> appendListeners_;
};

// Tree view of memory entries: one text line per node.
class Tree : public Control {
  public:
    struct Node {
        std::string text;
        std::vector<Node> children;
        bool operator==(const Node&) const = default;
    };
    using Control::Control;
    const std::vector<Node>& nodes() const { return nodes_; }
    void setNodes(std::vector<Node> n) {
        nodes_ = std::move(n);
        selected_ = -1;
        notify();
    }
    void clear() {
        if (nodes_.empty() && selected_ < 0) return;
        nodes_.clear();
        selected_ = -1;
        notify();
    }

    // --- Lines added one by one, selection and clicks (memory trees) ---
    // Adds a top-level line. The addition reaction runs first and may reorder the lines; a
    // selected line stays selected wherever it moves.
    void add(std::string text) {
        std::string selText;
        int occurrence = 0;
        if (selected_ >= 0) {
            selText = nodes_[std::size_t(selected_)].text;
            for (int i = 0; i < selected_; ++i) occurrence += nodes_[std::size_t(i)].text == selText;
        }
        nodes_.push_back(Node{std::move(text), {}});
        if (onAddition) onAddition(nodes_);
        if (selected_ >= 0) {
            for (std::size_t i = 0; i < nodes_.size(); ++i)
                if (nodes_[i].text == selText && occurrence-- == 0) {
                    selected_ = int(i);
                    break;
                }
        }
        notify();
    }
    // The selected top-level line, -1 (nullptr) when none is.
    int selectedIndex() const { return selected_; }
    const Node* selected() const { return selected_ >= 0 ? &nodes_[std::size_t(selected_)] : nullptr; }
    // An index outside the lines selects none.
    void select(int i) { set(selected_, i >= 0 && i < int(nodes_.size()) ? i : -1); }
    void clearSelection() { select(-1); }
    // The user picked a line, or picked the selected one again: the click reaction runs.
    void userSelect(int i) {
        select(i);
        if (onClick) onClick();
    }
    std::function<void(std::vector<Node>&)> onAddition;
    std::function<void()> onClick;

  private:
    std::vector<Node> nodes_;
    int selected_ = -1;
};

// Tabs of a page control; tabs can be hidden (their page's visible flag).
class PageControl : public Control {
  public:
    PageControl(std::string name, std::vector<TabPage*> pages)
        : Control(std::move(name)), pages_(std::move(pages)) {}
    const std::vector<TabPage*>& pages() const { return pages_; }
    int activeIndex() const { return active_; }
    void setActiveIndex(int i) { set(active_, i); }

  private:
    std::vector<TabPage*> pages_;
    int active_ = 0;
};

}  // namespace dorive
