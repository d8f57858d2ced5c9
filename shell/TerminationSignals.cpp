#include "shell/TerminationSignals.h"

#include <QCoreApplication>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace pinlet {

#ifdef Q_OS_UNIX

namespace {

int signalpipe[2] = {-1, -1};

// Only what is safe in a signal handler: one write, and errno left as it was.
extern "C" void onterminationsignal(int) {
    const int saved = errno;
    const char byte = 1;
    (void)!::write(signalpipe[1], &byte, 1);
    errno = saved;
}

} // namespace

void quitonterminationsignals() {
    if (signalpipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, signalpipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalpipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char byte = 0;
        (void)!::read(signalpipe[0], &byte, 1);
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = onterminationsignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

#else

void quitonterminationsignals() {}

#endif

} // namespace pinlet
