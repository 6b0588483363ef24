#pragma once
// A small coroutine task type: the body of an activity or of one of its steps.
// Tasks start lazily; awaiting a task runs it to completion (through any pauses) and
// rethrows what it threw.
#include <coroutine>
#include <exception>
#include <utility>

namespace dorive {

class Task {
  public:
    struct promise_type;
    using Handle = std::coroutine_handle<promise_type>;

    struct promise_type {
        std::coroutine_handle<> continuation;
        std::exception_ptr error;

        Task get_return_object() { return Task{Handle::from_promise(*this)}; }
        std::suspend_always initial_suspend() noexcept { return {}; }
        struct FinalAwaiter {
            bool await_ready() noexcept { return false; }
            std::coroutine_handle<> await_suspend(Handle h) noexcept {
                auto next = h.promise().continuation;
                return next ? next : std::noop_coroutine();
            }
            void await_resume() noexcept {}
        };
        FinalAwaiter final_suspend() noexcept { return {}; }
        void return_void() noexcept {}
        void unhandled_exception() noexcept { error = std::current_exception(); }
    };

    Task() = default;
    explicit Task(Handle h) : h_(h) {}
    Task(Task&& o) noexcept : h_(std::exchange(o.h_, {})) {}
    Task& operator=(Task&& o) noexcept {
        if (this != &o) {
            reset();
            h_ = std::exchange(o.h_, {});
        }
        return *this;
    }
    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;
    ~Task() { reset(); }

    bool valid() const { return bool(h_); }
    bool done() const { return !h_ || h_.done(); }
    Handle handle() const { return h_; }

    // Awaiting a task runs it as a nested step of the caller.
    bool await_ready() const noexcept { return !h_ || h_.done(); }
    std::coroutine_handle<> await_suspend(std::coroutine_handle<> caller) noexcept {
        h_.promise().continuation = caller;
        return h_;
    }
    void await_resume() const {
        if (h_ && h_.promise().error) std::rethrow_exception(h_.promise().error);
    }

  private:
    void reset() {
        if (h_) h_.destroy();
        h_ = {};
    }
    Handle h_;
};

}  // namespace dorive
