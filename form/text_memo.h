#pragma once
// A multi-line text the user may edit and the program may fill, kept as its lines (the
// upload list on the service page).
#include <string>
#include <string_view>
#include <vector>

#include "form/controls.h"

namespace dorive {

class TextMemo : public Control {
  public:
    using Control::Control;
    const std::vector<std::string>& lines() const { return lines_; }
    std::size_t lineCount() const { return lines_.size(); }
    void setLines(std::vector<std::string> lines) {
        if (lines == lines_) return;
        lines_ = std::move(lines);
        notify();
    }
    void appendLines(const std::vector<std::string>& lines) {
        if (lines.empty()) return;
        lines_.insert(lines_.end(), lines.begin(), lines.end());
        notify();
    }
    void clear() { setLines({}); }

    // The whole text, lines joined by LF, as a text widget shows it.
    std::string text() const {
        std::string out;
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            if (i) out += '\n';
            out += lines_[i];
        }
        return out;
    }
    // What the user typed: one line per LF; an empty text holds no line.
    void userSetText(std::string_view text) {
        std::vector<std::string> lines;
        if (!text.empty()) {
            std::size_t start = 0;
            while (true) {
                std::size_t lf = text.find('\n', start);
                lines.emplace_back(text.substr(start, lf == std::string_view::npos ? lf : lf - start));
                if (lf == std::string_view::npos) break;
                start = lf + 1;
            }
        }
        setLines(std::move(lines));
    }

  private:
    std::vector<std::string> lines_;
};

}  // namespace dorive
