#pragma once
// The phone-book page's name/number list: every SIM entry that is not a fixed setting.
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
    using Control::Control;

    const std::vector<Row>& rows() const { return rows_; }
    // The list always shows at least one row; an empty list shows one empty row.
    std::size_t rowCount() const { return rows_.empty() ? 1 : rows_.size(); }
    // Row i counted from 1, as the list shows it; an empty row where there is none.
    Row row(std::size_t i) const { return (i >= 1 && i <= rows_.size()) ? rows_[i - 1] : Row{}; }

    void clear() {
        if (rows_.empty()) return;
        rows_.clear();
        notify();
    }
    void append(Row r) {
        rows_.push_back(std::move(r));
        notify();
    }
    void setRows(std::vector<Row> r) {
        rows_ = std::move(r);
        notify();
    }

private:
    std::vector<Row> rows_;
};

}  // namespace dorive
