#pragma once
// Append-only store of text lines in large shared blocks: no allocation per line, and a
// line, once stored, never moves. The monitor keeps everything since start-up in one.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace dorive {

class LineStore {
  public:
    static constexpr std::size_t kBlockSize = 1 << 20;

    std::size_t size() const { return index_.size(); }
    bool empty() const { return index_.empty(); }
    std::string_view operator[](std::size_t i) const {
        const Entry& e = index_[i];
        const Block& block = blocks_[e.block];
        std::size_t end =
            (i + 1 < index_.size() && index_[i + 1].block == e.block) ? index_[i + 1].offset : block.used;
        return {block.data.get() + e.offset, end - e.offset};
    }
    std::string_view back() const { return (*this)[size() - 1]; }

    void push_back(std::string_view line) {
        if (blocks_.empty() || line.size() > blocks_.back().size - blocks_.back().used) {
            // A line longer than a block gets a block of its own.
            std::size_t size = line.size() > kBlockSize ? line.size() : kBlockSize;
            blocks_.push_back({std::unique_ptr<char[]>(new char[size]), size, 0});
        }
        Block& block = blocks_.back();
        std::copy(line.begin(), line.end(), block.data.get() + block.used);
        index_.push_back({std::uint32_t(blocks_.size() - 1), std::uint32_t(block.used)});
        block.used += line.size();
    }

    class const_iterator {
      public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = std::string_view;
        const_iterator() = default;
        const_iterator(const LineStore* s, std::size_t i) : s_(s), i_(i) {}
        std::string_view operator*() const { return (*s_)[i_]; }
        std::string_view operator[](difference_type n) const {
            return (*s_)[std::size_t(difference_type(i_) + n)];
        }
        const_iterator& operator++() { return ++i_, *this; }
        const_iterator operator++(int) { return {s_, i_++}; }
        const_iterator& operator--() { return --i_, *this; }
        const_iterator operator--(int) { return {s_, i_--}; }
        const_iterator& operator+=(difference_type n) {
            return i_ = std::size_t(difference_type(i_) + n), *this;
        }
        const_iterator& operator-=(difference_type n) { return *this += -n; }
        friend const_iterator operator+(const_iterator a, difference_type n) { return a += n; }
        friend const_iterator operator+(difference_type n, const_iterator a) { return a += n; }
        friend const_iterator operator-(const_iterator a, difference_type n) { return a -= n; }
        friend difference_type operator-(const_iterator a, const_iterator b) {
            return difference_type(a.i_) - difference_type(b.i_);
        }
        friend bool operator==(const_iterator a, const_iterator b) { return a.i_ == b.i_; }
        friend auto operator<=>(const_iterator a, const_iterator b) { return a.i_ <=> b.i_; }

      private:
        const LineStore* s_ = nullptr;
        std::size_t i_ = 0;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

    friend bool operator==(const LineStore& a, const std::vector<std::string>& b) {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < b.size(); ++i)
            if (a[i] != b[i]) return false;
        return true;
    }

  private:
    // Lines of one block lie end to end: a line ends where the next one of its block starts.
    struct Entry {
        std::uint32_t block;
        std::uint32_t offset;
    };
    struct Block {
        std::unique_ptr<char[]> data;
        std::size_t size;
        std::size_t used;
    };
    std::vector<Block> blocks_;
    std::vector<Entry> index_;
};

}  // namespace dorive
