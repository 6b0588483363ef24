#pragma once
// A Dorive core on the virtual clock with a fake port and scripted dialogs.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/dorive.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace dorive::test {

struct CoreFixture : ::testing::Test {
    VirtualClock clock;
    FakeProvider provider{clock};
    ScriptedDialogs dialogs;
    TempDir tmp;  // a folder of this test's own
    std::unique_ptr<Dorive> core;

    void makeCore(DoriveOptions options = {}) {
        core = std::make_unique<Dorive>(provider, clock, dialogs, std::move(options));
    }
    void SetUp() override { makeCore(); }

    // Runs start-up to its end.
    void startUp() {
        core->post([this] { return core->FormCreate(); });
        clock.advance(200);
    }
    FakePort& port() { return *provider.port; }
    void feed(std::string_view bytes) { port().feed(bytes); }
    std::vector<std::string> sent() const {
        return provider.port ? provider.port->sentTexts() : std::vector<std::string>{};
    }
    const LineStore& monitor() const { return core->form().Monitor.lines(); }
};

}  // namespace dorive::test
