// One instance per user and database: later starts reach the first one, crashed ones never block.

#include "shell/SingleInstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <gtest/gtest.h>

#include <memory>

namespace {

using Role = pinlet::SingleInstance::Role;

QString freshkey() {
    return QStringLiteral("pinlet-test-") + QUuid::createUuid().toString(QUuid::Id128).left(16);
}

// One run of the stand-in program.
class Instance {
public:
    explicit Instance(const QString& key, const QStringList& commands = {},
                      const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
        process_.setProcessEnvironment(environment);
        process_.start(QStringLiteral(PINLET_INSTANCE_HELPER),
                       QStringList{key, QStringLiteral("3000")} + commands);
    }
    ~Instance() {
        process_.kill();
        process_.waitForFinished(5000);
    }
    // The next line it writes, or "<none>" when none comes within the bound.
    std::string line(int bound = 10000) {
        QElapsedTimer waited;
        waited.start();
        while (!process_.canReadLine()) {
            if (waited.elapsed() > bound || !process_.waitForReadyRead(bound - int(waited.elapsed())))
                return "<none>";
        }
        return process_.readLine().trimmed().toStdString();
    }
    // Its exit status once it has ended on its own, or -1.
    int exitcode() {
        if (!process_.waitForFinished(10000) || process_.exitStatus() != QProcess::NormalExit)
            return -1;
        return process_.exitCode();
    }
    void crash() {
        process_.kill(); // SIGKILL on POSIX: nothing is cleaned up
        process_.waitForFinished(5000);
    }

private:
    QProcess process_;
};

TEST(SingleInstance, LaterStartsReachTheFirstAndACrashedOneNeverBlocks) {
    const QString key = freshkey();
    auto first = std::make_unique<Instance>(key);
    ASSERT_EQ(first->line(), "first");

    Instance second(key);
    EXPECT_EQ(second.line(), "second");
    EXPECT_EQ(second.exitcode(), 0);
    EXPECT_EQ(first->line(), "activated");

    // Another database has an instance of its own.
    Instance other(freshkey());
    EXPECT_EQ(other.line(), "first");

    first->crash();
    first.reset();
    EXPECT_TRUE(QFile::exists(QDir(QDir::tempPath()).filePath(key + QStringLiteral(".lock"))))
        << "the crash was meant to leave its lock behind";
    Instance after(key);
    EXPECT_EQ(after.line(), "first");
    Instance third(key);
    EXPECT_EQ(third.line(), "second");
    EXPECT_EQ(after.line(), "activated");

    // A start with a command of its own hands it to the running one.
    Instance fourth(key, {QStringLiteral("new")});
    EXPECT_EQ(fourth.line(), "second");
    EXPECT_EQ(fourth.exitcode(), 0);
    EXPECT_EQ(after.line(), "requested new");
}

TEST(SingleInstance, AnOwnerThatNeverAnswersIsReportedWithinThePatience) {
    const QString key = freshkey();
    // A live owner (this process) that holds the lock and never listens.
    QLockFile held(QDir(QDir::tempPath()).filePath(key + QStringLiteral(".lock")));
    ASSERT_TRUE(held.tryLock(0));
    pinlet::SingleInstance instance(key, std::chrono::milliseconds(300));
    QElapsedTimer waited;
    waited.start();
    EXPECT_EQ(instance.claim(), Role::Unreachable);
    EXPECT_LT(waited.elapsed(), 3000);
}

TEST(SingleInstance, OnlyTheRequestLineActivates) {
    const QString key = freshkey();
    pinlet::SingleInstance instance(key);
    ASSERT_EQ(instance.claim(), Role::First);
    QSignalSpy activated(&instance, &pinlet::SingleInstance::activationRequested);
    QSignalSpy requested(&instance, &pinlet::SingleInstance::requested);

    struct Case {
        QByteArray sent;
        QByteArray answer;
        int activations;
        QStringList commands; // of the last request carried out
    } const cases[] = {
        {"hello\n", "", 0, {}},            // a stranger's line is dropped
        {QByteArray(200, 'x'), "", 0, {}}, // so is a flood without a line end
        {"show\n", "ok\n", 1, {"show"}},
        {"new\n", "ok\n", 1, {"new"}}, // a new note, the list stays where it is
        {"new show\n", "ok\n", 2, {"new", "show"}},
        {"new hello\n", "", 2, {"new", "show"}}, // one unknown command spoils the request
        {"new  show\n", "", 2, {"new", "show"}}, // an empty command too
        {QByteArray(70, 'n') + "\n", "", 2, {"new", "show"}},
    };
    for (const Case& c : cases) {
        QLocalSocket socket;
        socket.connectToServer(pinlet::instancesocket(key));
        ASSERT_TRUE(socket.waitForConnected(5000));
        socket.write(c.sent);
        // The server answers, or hangs up, from this thread's event loop.
        EXPECT_TRUE(QTest::qWaitFor([&] { return socket.state() == QLocalSocket::UnconnectedState; }, 5000))
            << c.sent.left(20).toStdString();
        EXPECT_EQ(socket.readAll(), c.answer);
        EXPECT_EQ(activated.count(), c.activations);
        if (!c.commands.isEmpty()) {
            ASSERT_FALSE(requested.isEmpty());
            EXPECT_EQ(requested.last().at(0).toStringList(), c.commands) << c.sent.toStdString();
        }
    }
}

// The socket's path has a small limit that a long TMPDIR alone exceeds: the hand-over works all the same,
// in the user's runtime folder where there is one.
TEST(SingleInstance, TheHandOverWorksWhateverTheTemporaryFolder) {
    QTemporaryDir base;
    ASSERT_TRUE(base.isValid());
    const QString longtmp = base.filePath(QString(150, u't'));
    const QString longrun = base.filePath(QString(150, u'r'));
    const QString run = base.filePath(QStringLiteral("run"));
    for (const QString& folder : {longtmp, longrun, run})
        ASSERT_TRUE(QDir().mkpath(folder));
    struct Case {
        const char* name;
        QString tmpdir;
        QString runtime; // empty: none
    } const cases[] = {
        {"long TMPDIR, a runtime folder", longtmp, run},
        {"long TMPDIR, no runtime folder", longtmp, {}},
        {"long TMPDIR, a long runtime folder", longtmp, longrun},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), c.tmpdir);
        if (c.runtime.isEmpty())
            environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        else
            environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), c.runtime);
        const QString key = freshkey();
        Instance first(key, {}, environment);
        ASSERT_EQ(first.line(), "first");
        Instance second(key, {}, environment);
        EXPECT_EQ(second.line(), "second");
        EXPECT_EQ(first.line(), "activated");
    }

    // The runtime folder is the place when there is one.
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", run.toLocal8Bit());
    const QString key = freshkey();
#ifndef Q_OS_WIN
    EXPECT_EQ(pinlet::instancesocket(key), QDir(run).filePath(key));
#endif
    pinlet::SingleInstance instance(key);
    EXPECT_EQ(instance.claim(), Role::First);
    EXPECT_EQ(instance.listenfailure(), QString());
    qputenv("XDG_RUNTIME_DIR", saved);
}

} // namespace

namespace {

TEST(SingleInstance, OneDatabaseHasOneKeyUnderEverySpelling) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("sub")));
    const QString file = folder.filePath(QStringLiteral("pinlet.db"));
    QFile(file).open(QIODevice::WriteOnly);
    const auto key = [](const QString& path) { return pinlet::instancekey(path.toStdString()); };
    EXPECT_EQ(key(file), key(folder.filePath(QStringLiteral("sub/../pinlet.db"))));
#ifndef Q_OS_WIN
    ASSERT_TRUE(QFile::link(folder.path(), folder.path() + QStringLiteral("-link")));
    EXPECT_EQ(key(file), key(folder.path() + QStringLiteral("-link/pinlet.db")));
    QFile::remove(folder.path() + QStringLiteral("-link"));
#endif
    EXPECT_NE(key(file), key(folder.filePath(QStringLiteral("masik.db"))));
}

} // namespace
