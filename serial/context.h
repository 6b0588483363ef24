#pragma once
// What every subsystem shares: the form, the program-wide state, the event loop, the serial
// channel and the ports. Subsystems hold a reference to one Context, owned by the program.
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "form/form.h"
#include "form/state.h"
#include "loop/event_loop.h"
#include "ports/clock.h"
#include "ports/dialogs.h"
#include "ports/files.h"
#include "serial/serial_channel.h"

namespace dorive {

struct Context {
    Form& form;
    State& st;
    EventLoop& loop;
    SerialChannel& com;
    Dialogs& dialogs;
    Clock& clock;
    Files& files;

    // Sends a complete text; a closed port is opened through the port dialog. Throws PortError.
    void send(std::string_view text) { com.send(text); }
    // A line of the program's own in the monitor.
    void note(std::string_view line) { form.Monitor.append(line); }
    void showError(const std::string& text) { dialogs.errorBox(text); }
    // co_await ctx.pause(ms): the activity rests, the window does not.
    auto pause(int ms) { return loop.pause(ms); }
    void post(EventLoop::Activity activity) { loop.post(std::move(activity)); }

    // A click on the control runs the handler as an activity of its own. A click that waits
    // its turn behind another activity is dropped when, by then, its control is disabled or
    // hidden (or the page it sits on is), as a click on a disabled control is.
    void onClick(Button& button, std::function<Task()> handler) {
        button.onClick = [this, &button, handler = std::move(handler)] {
            post([&button, handler]() -> Task {
                if (!button.usable()) co_return;
                co_await handler();
            });
        };
    }
};

}  // namespace dorive
