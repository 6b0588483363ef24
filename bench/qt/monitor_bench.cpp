// Appending to the window's monitor: the cost of a batch of lines is measured at the start
// and again after a million lines, with the widget shown and events served between batches.
// The two figures should be alike: appending never rewrites the whole text.
#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <cstdio>

#include "app/qt/binders.h"
#include "form/controls.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    dorive::Memo monitor("Monitor");
    QPlainTextEdit widget;
    widget.resize(450, 330);
    dorive::bindMemo(monitor, &widget);
    widget.show();

    const int total = argc > 1 ? std::atoi(argv[1]) : 1000000;
    // Lines per served event (second argument); a USB adapter hands over a line or two at a time.
    const int perEvent = argc > 2 ? std::atoi(argv[2]) : 50;
    const int batch = 10000;
    double first = 0, last = 0;
    for (int done = 0; done < total; done += batch) {
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < batch; ++i) {
            monitor.append("[14:03:27]   +CPBR: " + std::to_string(done + i) +
                           ",\"0601234567\",129,\"Contact\"");
            if ((i + 1) % perEvent == 0) QCoreApplication::processEvents();
        }
        QCoreApplication::processEvents();
        double us = double(t.nsecsElapsed()) / 1000.0 / batch;
        if (done == 0) first = us;
        last = us;
    }
    std::printf("monitor lines        %d, %d per event\n", total, perEvent);
    std::printf("first %d lines      %.2f us per line\n", batch, first);
    std::printf("last %d lines       %.2f us per line\n", batch, last);
    std::printf("last / first         %.2f\n", last / first);
    return 0;
}
