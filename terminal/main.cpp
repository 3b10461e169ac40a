// Kvo_term: reads the exchange's serial line and hands every line to the capture library.
#include "term_window.h"

#include <QApplication>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    char c = 1;
    [[maybe_unused]] auto n = write(signalPipe[1], &c, 1);
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);

    kvo::term::TermWindow window;
    QObject::connect(&window, &kvo::term::TermWindow::finished, &app, &QApplication::quit);

    // A stop request from outside closes the window the ordinary way, so the settings are
    // saved and the port is released.
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) == 0) {
        auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &window, [&] {
            char c;
            [[maybe_unused]] auto n = read(signalPipe[0], &c, 1);
            window.close();
        });
        std::signal(SIGTERM, onSignal);
        std::signal(SIGINT, onSignal);
    }

    window.show();
    QStringList args = app.arguments();
    args.removeFirst();
    window.applyArguments(args);
    app.exec();
    return 0;
}
