// The program's command line, read before anything starts.

#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace {

using Action = pinlet::CommandLine::Action;

TEST(CommandLine, OptionsAsATable) {
    struct Case {
        QStringList arguments;
        Action action;
        QStringList commands;
        QString message; // a part of the message for a usage error
    } const cases[] = {
        {{}, Action::Run, {"show"}, {}}, // a plain start brings the list up
        {{"--show"}, Action::Run, {"show"}, {}},
        {{"--new"}, Action::Run, {"new"}, {}},
        {{"--show", "--new"}, Action::Run, {"new", "show"}, {}},
        {{"--new", "--new"}, Action::Run, {"new"}, {}},
        {{"--version"}, Action::Version, {}, {}},
        {{"--help"}, Action::Help, {}, {}},
        {{"-h", "--version"}, Action::Help, {}, {}},
        {{"--new", "--help"}, Action::Help, {}, {}},
        // The GUI toolkit's own options are left for it, a session manager's included.
        {{"-platform", "offscreen", "--new"}, Action::Run, {"new"}, {}},
        {{"--platform=xcb"}, Action::Run, {"show"}, {}},
        {{"-session", "1234_5", "-reverse"}, Action::Run, {"show"}, {}},
        {{"--bogus"}, Action::Fail, {}, "ismeretlen kapcsoló: --bogus"},
        {{"-n"}, Action::Fail, {}, "ismeretlen kapcsoló: -n"},
        {{"--new=1"}, Action::Fail, {}, "ismeretlen kapcsoló: --new=1"},
        {{"-reverse=1"}, Action::Fail, {}, "ismeretlen kapcsoló: -reverse=1"},
        {{"--help", "--bogus"}, Action::Fail, {}, "--bogus"}, // a wrong line is never half carried out
        {{"jegyzet.txt"}, Action::Fail, {}, "fölösleges paraméter: jegyzet.txt"},
        {{"-platform"}, Action::Fail, {}, "hiányzik az érték"},
    };
    for (const Case& c : cases) {
        const pinlet::CommandLine command = pinlet::parsecommandline(c.arguments);
        const std::string line = c.arguments.join(' ').toStdString();
        EXPECT_EQ(command.action, c.action) << line;
        EXPECT_EQ(command.commands, c.commands) << line;
        if (c.action == Action::Fail) {
            EXPECT_TRUE(command.message.contains(c.message)) << command.message.toStdString();
            EXPECT_TRUE(command.message.contains("pinlet --help")) << "the message says where to look";
        }
    }
}

TEST(CommandLine, HelpAndVersionSayWhatTheyShould) {
    for (const char* option : {"--new", "--show", "--version", "--help"})
        EXPECT_TRUE(pinlet::helptext().contains(QString::fromLatin1(option))) << option;
    EXPECT_TRUE(pinlet::helptext().startsWith("Használat: pinlet"));
    EXPECT_TRUE(pinlet::versiontext().startsWith("Pinlet 1.")) << pinlet::versiontext().toStdString();
}

} // namespace
