// Starting at login through freedesktop autostart entries, in folders of the test's own.

#include "platform/Autostart.h"

#ifdef PINLET_PLATFORM_XDG
#include "platform/xdg/DesktopEntry.h"
#include "platform/xdg/XdgAutostart.h"
#endif

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <stdexcept>

#ifdef PINLET_PLATFORM_XDG

namespace {

using pinlet::XdgAutostart;
using State = pinlet::Autostart::State;
namespace xdg = pinlet::xdg;

TEST(DesktopEntry, TheProgramOfAnExecLineSurvivesQuotingAndEscaping) {
    struct Case {
        QString program;
        QString written; // as execargument writes it
    } const cases[] = {
        {"/usr/bin/pinlet", "/usr/bin/pinlet"},
        {"/home/a b/pinlet", "\"/home/a b/pinlet\""},
        {"/opt/100%/pinlet", "/opt/100%%/pinlet"}, // a literal percent is doubled, quoted or not
        {"/x/$HOME`\"\\/pinlet", "\"/x/\\$HOME\\`\\\"\\\\/pinlet\""},
        {"/tmp/Jegyzetek (régi)/pinlet", "\"/tmp/Jegyzetek (régi)/pinlet\""},
        {" /lead", "\" /lead\""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(xdg::execargument(c.program), c.written);
        // Through a whole file: the value escapes on top of the Exec quoting.
        const QString text =
            xdg::setdesktopvalue(QStringLiteral("[Desktop Entry]\nName=x\n"), QStringLiteral("Exec"),
                                 xdg::execargument(c.program) + QStringLiteral(" --show %U"));
        EXPECT_EQ(xdg::execprogram(xdg::desktopvalue(text, QStringLiteral("Exec")).value_or(QString())),
                  c.program)
            << text.toStdString();
    }

    struct Read {
        QString exec;
        QString program;
    } const reads[] = {
        {"pinlet %U", "pinlet"},
        {"  /a/pinlet --new", "/a/pinlet"},
        {"\"/a b/pinlet", ""}, // the quote never closes
        {"", ""},
    };
    for (const Read& r : reads)
        EXPECT_EQ(xdg::execprogram(r.exec), r.program) << r.exec.toStdString();
    EXPECT_EQ(
        xdg::replaceexecprogram(QStringLiteral("\"/old dir/pinlet\" --show"), QStringLiteral("/new/pinlet")),
        QStringLiteral("/new/pinlet --show"));
}

TEST(DesktopEntry, KeysAreReadAndSetInTheMainGroupOnly) {
    const QString text = QStringLiteral("# comment\n[Desktop Entry]\nName=Pinlet\nHidden = true\n\n"
                                        "[Desktop Action new]\nExec=other\n");
    EXPECT_EQ(xdg::desktopvalue(text, QStringLiteral("Hidden")), QStringLiteral("true"));
    EXPECT_FALSE(xdg::desktopvalue(text, QStringLiteral("Exec")))
        << "a key of another group is not the entry's";
    const QString set = xdg::setdesktopvalue(text, QStringLiteral("Exec"), QStringLiteral("/a\\b"));
    EXPECT_EQ(set, QStringLiteral("# comment\n[Desktop Entry]\nName=Pinlet\nHidden = true\nExec=/a\\\\b\n\n"
                                  "[Desktop Action new]\nExec=other\n"));
    EXPECT_EQ(xdg::desktopvalue(set, QStringLiteral("Exec")), QStringLiteral("/a\\b"));
    EXPECT_EQ(xdg::setdesktopvalue(set, QStringLiteral("Hidden"), QStringLiteral("false"))
                  .count(QStringLiteral("Hidden")),
              1);
    EXPECT_EQ(xdg::setdesktopvalue(QString(), QStringLiteral("Name"), QStringLiteral("x")),
              QStringLiteral("[Desktop Entry]\nName=x\n"));
}

class AutostartFolders : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(QDir().mkpath(path("bin")) && QDir().mkpath(path("sys")));
        executable = path("bin/pinlet");
        QFile file(executable);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    }
    QString path(const char* name) const { return root.filePath(QString::fromUtf8(name)); }
    void put(const char* name, const QString& exec, const QString& extra = {}) {
        QDir().mkpath(QFileInfo(path(name)).path());
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(("[Desktop Entry]\nType=Application\nName=Kézi\nExec=" + exec + "\n" + extra).toUtf8());
    }
    QString read(const char* name) const {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QStringLiteral("<none>");
    }
    QString execof(const char* name) const {
        return xdg::desktopvalue(read(name), QStringLiteral("Exec")).value_or(QStringLiteral("<none>"));
    }
    XdgAutostart autostart() const { return XdgAutostart(path("user"), {path("sys")}, executable); }

    QTemporaryDir root;
    QString executable;
};

TEST_F(AutostartFolders, RoundTripInTheUsersConfigFolder) {
    qputenv("XDG_CONFIG_HOME", path("config").toUtf8());
    qputenv("XDG_CONFIG_DIRS", path("sys").toUtf8());
    const std::unique_ptr<pinlet::Autostart> autostart = pinlet::makeautostart(executable);
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_CONFIG_DIRS");
    const QString entry = path("config/autostart/") + XdgAutostart::entryname();

    ASSERT_TRUE(autostart->supported());
    EXPECT_EQ(autostart->state(), State::Off);
    autostart->enable();
    EXPECT_EQ(autostart->state(), State::On);
    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << entry.toStdString();
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_EQ(xdg::execprogram(xdg::desktopvalue(text, QStringLiteral("Exec")).value_or(QString())),
              executable);
    EXPECT_EQ(xdg::desktopvalue(text, QStringLiteral("Type")), QStringLiteral("Application"));
    autostart->enable(); // twice is once
    EXPECT_EQ(QDir(path("config/autostart")).entryList(QDir::Files).size(), 1);
    autostart->disable();
    EXPECT_EQ(autostart->state(), State::Off);
    EXPECT_FALSE(QFile::exists(entry));
}

TEST_F(AutostartFolders, EntriesWrittenByHandCountAndOnesPointingNowhereAreRewritten) {
    const QString gone = path("moved/pinlet");
    struct Case {
        const char* what;
        const char* file;
        QString exec;
        QString extra;
        State state;
        bool broken;
        State afterrepair;
        QString userexecafterrepair; // the Exec line of the user's entry of that name, or "<none>"
    } const cases[] = {
        {"a hand-written entry",
         "user/mine.desktop",
         executable + " --show",
         {},
         State::On,
         false,
         State::On,
         executable + " --show"},
        {"a hidden entry", "user/mine.desktop", executable, "Hidden=true\n", State::Off, false, State::Off,
         executable},
        {"another program",
         "user/other.desktop",
         "/usr/bin/other",
         {},
         State::Off,
         false,
         State::Off,
         "/usr/bin/other"},
        {"a moved executable",
         "user/mine.desktop",
         gone + " --show",
         {},
         State::Broken,
         true,
         State::On,
         executable + " --show"},
        {"a system entry", "sys/pinlet.desktop", executable, {}, State::On, false, State::On, "<none>"},
        {"a system entry of a removed install",
         "sys/pinlet.desktop",
         gone,
         {},
         State::Broken,
         true,
         State::On,
         executable},
        {"a bare name off the search path",
         "user/mine.desktop",
         "pinlet-nowhere-to-be-found",
         {},
         State::Off,
         false,
         State::Off,
         "pinlet-nowhere-to-be-found"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(path("user")).removeRecursively();
        QDir(path("sys")).removeRecursively();
        put(c.file, c.exec, c.extra);
        XdgAutostart autostart = this->autostart();
        EXPECT_EQ(autostart.state(), c.state);
        EXPECT_EQ(autostart.broken(), c.broken);
        EXPECT_EQ(autostart.repair(), c.broken);
        EXPECT_EQ(autostart.state(), c.afterrepair);
        const QString name = QFileInfo(path(c.file)).fileName();
        EXPECT_EQ(execof(("user/" + name).toUtf8().constData()), c.userexecafterrepair);
        if (QString::fromUtf8(c.file).startsWith("sys/")) {
            EXPECT_TRUE(read(c.file).contains(c.exec)) << "a system entry is never edited";
        }

        // Switching off leaves nothing that starts Pinlet, and on again makes it start.
        autostart.disable();
        EXPECT_EQ(autostart.state(), State::Off);
        EXPECT_FALSE(autostart.broken());
        autostart.enable();
        EXPECT_EQ(autostart.state(), State::On);
        autostart.disable();
        EXPECT_EQ(autostart.state(), State::Off);
    }
}

TEST_F(AutostartFolders, AnEntryThatCannotBeWrittenIsAFailureNotASilence) {
    QFile blocker(path("user"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
    blocker.close();
    XdgAutostart autostart = this->autostart();
    EXPECT_THROW(autostart.enable(), std::runtime_error);
    EXPECT_EQ(autostart.state(), State::Off);
}

} // namespace

#endif
