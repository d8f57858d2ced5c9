// A stand-in program for the one-instance tests: claims the key given as its first argument (with the
// patience in milliseconds as its second, and the commands of its request after them, "show" when none)
// and writes on standard output what it became, then, as the instance, a line for each start that asked
// it to show itself ("activated") or to do anything else ("requested" and the commands).
#include "shell/SingleInstance.h"

#include <QCoreApplication>
#include <QStringList>

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // Named like the program, not like its executable, as the real one is.
    QCoreApplication::setApplicationName(QStringLiteral("Pinlet"));
    if (argc < 3)
        return 2;
    pinlet::SingleInstance instance(QString::fromLocal8Bit(argv[1]),
                                    std::chrono::milliseconds(std::atoi(argv[2])));
    if (argc > 3) {
        QStringList commands;
        for (int i = 3; i < argc; ++i)
            commands += QString::fromLocal8Bit(argv[i]);
        instance.setrequest(commands);
    }
    const auto say = [](const char* line) {
        std::printf("%s\n", line);
        std::fflush(stdout);
    };
    switch (instance.claim()) {
    case pinlet::SingleInstance::Role::Second:
        say("second");
        return 0;
    case pinlet::SingleInstance::Role::Unreachable:
        say("unreachable");
        return 1;
    case pinlet::SingleInstance::Role::First:
        break;
    }
    say("first");
    QObject::connect(&instance, &pinlet::SingleInstance::activationRequested, [&] { say("activated"); });
    QObject::connect(&instance, &pinlet::SingleInstance::requested, [&](const QStringList& commands) {
        if (!commands.contains(QStringLiteral("show")))
            say(qPrintable(QStringLiteral("requested ") + commands.join(QLatin1Char(' '))));
    });
    return app.exec();
}
