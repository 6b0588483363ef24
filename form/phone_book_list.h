#pragma once
// The phone-book page's name/number list: every SIM entry that is not a fixed setting.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "form/controls.h"

namespace dorive {

class PhoneBookList : public Control {
  public:
    struct Row {
        std::string name;
        std::string number;
        bool operator==(const Row&) const = default;
    };
    // The editor keys the list reacts to (Delete stands for Ctrl+Delete).
    enum class Key { Insert, Up, Down, Delete, Escape };
    // The current row's content before its first change since it became current, and
    // whether the editor inserted it.
    struct PendingEdit {
        Row before;
        bool inserted = false;
    };
    using Control::Control;

    const std::vector<Row>& rows() const { return rows_; }
    // The list always shows at least one row; an empty list shows one empty row.
    std::size_t rowCount() const { return rows_.empty() ? 1 : rows_.size(); }
    // Row i counted from 1, as the list shows it; an empty row where there is none.
    Row row(std::size_t i) const { return (i >= 1 && i <= rows_.size()) ? rows_[i - 1] : Row{}; }

    void clear() {
        if (rows_.empty() && current_ == 1 && !pending_) return;
        rows_.clear();
        resetCurrent();
        notify();
    }
    void append(Row r) {
        rows_.push_back(std::move(r));
        notify();
    }
    void setRows(std::vector<Row> r) {
        rows_ = std::move(r);
        resetCurrent();
        notify();
    }

    // --- Editing -------------------------------------------------------------------------
    // The current row, counted from 1 like row(); always within 1..rowCount().
    std::size_t current() const { return current_; }
    // Moving to another row ends the pending edit of the row left.
    void setCurrent(std::size_t i) {
        i = clampRow(i);
        if (i == current_) return;
        current_ = i;
        pending_.reset();
        notify();
    }
    // Inserts a row before row i (i = rows().size() + 1 appends).
    void insertRow(std::size_t i, Row r) {
        if (i < 1) i = 1;
        if (i > rows_.size() + 1) i = rows_.size() + 1;
        rows_.insert(rows_.begin() + long(i - 1), std::move(r));
        if (current_ >= i && rows_.size() > 1) ++current_;
        notify();
    }
    // Removes row i; the current row stays where it is, or moves up from beyond the end.
    void removeRow(std::size_t i) {
        if (i < 1 || i > rows_.size()) return;
        rows_.erase(rows_.begin() + long(i - 1));
        if (i == current_) pending_.reset();
        if (current_ > i) --current_;
        current_ = clampRow(current_);
        notify();
    }
    // Replaces row i; on a list without rows, row 1 becomes its first row.
    void setRow(std::size_t i, Row r) {
        if (rows_.empty() && i == 1) rows_.emplace_back();
        if (i < 1 || i > rows_.size()) return;
        if (rows_[i - 1] == r) return;
        rows_[i - 1] = std::move(r);
        notify();
    }
    const std::optional<PendingEdit>& pendingEdit() const { return pending_; }
    void setPendingEdit(std::optional<PendingEdit> p) { pending_ = std::move(p); }

    // What the user does in the editor. The page installs the reactions; the view calls these.
    std::function<void(Key)> onKey;
    std::function<void(std::size_t row)> onSelect;
    std::function<void(std::size_t row, int column, std::string text)> onCellEdit;
    void userKey(Key k) {
        if (onKey) onKey(k);
    }
    void userSelect(std::size_t row) {
        if (onSelect) onSelect(row);
    }
    // Column 0 is the name, column 1 the number.
    void userCellEdit(std::size_t row, int column, std::string text) {
        if (onCellEdit) onCellEdit(row, column, std::move(text));
    }

    // The view gives the list the keyboard focus whenever this count changes.
    int focusRequests() const { return focusRequests_; }
    void requestFocus() {
        ++focusRequests_;
        notify();
    }
    // Shows the state again, for a change the list refused.
    void refresh() { notify(); }

  private:
    std::size_t clampRow(std::size_t i) const { return i < 1 ? 1 : (i > rowCount() ? rowCount() : i); }
    void resetCurrent() {
        current_ = 1;
        pending_.reset();
    }

    std::vector<Row> rows_;
    std::size_t current_ = 1;
    std::optional<PendingEdit> pending_;
    int focusRequests_ = 0;
};

}  // namespace dorive
