#include "shell/dialogs.h"
#include "shell/helpers.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

struct Int64Case {
    const char* text;
    std::int64_t expected;
    const char* why;
};

TEST(Strtoint64, ReadsTheNumberAtTheStartOfTheText) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    const Int64Case cases[] = {
        {"  42", 42, "leading blanks are skipped"},
        {"-7", -7, "minus sign"},
        {"+7", 7, "plus sign"},
        {"$1F", 31, "dollar prefix reads hex"},
        {"0x1F", 31, "0x prefix reads hex"},
        {"0X1f", 31, "0X prefix, lower-case digits"},
        {"x1F", 31, "a bare x also reads hex"},
        {"-$10", -16, "sign before a hex prefix"},
        {"abc", 0, "no digits"},
        {"12abc", 12, "trailing text is ignored"},
        {"", 0, "empty text"},
        {"\t5", 0, "only code 32 counts as a blank"},
        {"- 5", 0, "no blank between sign and digits"},
        {"$", 0, "a prefix without digits"},
        {"0x", 0, "0x without digits"},
        {"007", 7, "leading zeros are decimal"},
        {"0", 0, "a lone zero"},
        {"1e5", 1, "no exponent"},
        {"9223372036854775807", kMax, "largest value is exact"},
        {"-9223372036854775808", kMin, "smallest value is exact"},
        {"9223372036854775808", kMax, "one past the largest saturates"},
        {"-9223372036854775809", kMin, "one past the smallest saturates"},
        {"99999999999999999999999 tail", kMax, "long runs of digits saturate"},
        {"0xFFFFFFFFFFFFFFFF", kMax, "hex beyond the signed range saturates"},
        {"0x7FFFFFFFFFFFFFFF", kMax, "largest hex is exact"},
        {"4294967297", 4294967297, "beyond 32 bits: callers keep the low 32 bits"},
    };
    for (const Int64Case& c : cases)
        EXPECT_EQ(strtoint64(c.text), c.expected) << c.why << ": \"" << c.text << "\"";
}

TEST(Getspecialfolder, KnowsOnlyTheTwoHungarianNamesExactly) {
    EXPECT_EQ(getspecialfolder("Dokumentumok"), "");
    EXPECT_EQ(getspecialfolder("DOKUMENTUMOK"), "");
    EXPECT_EQ(getspecialfolder("documents"), "");
    EXPECT_EQ(getspecialfolder(""), "");
    EXPECT_EQ(getspecialfolder("kepek"), "") << "the accent is part of the name";
    EXPECT_EQ(getspecialfolder("dokumentumok "), "");
}

#ifndef Q_OS_WIN
// Points the platform's user folders into a scratch home, so the test creates nothing in the real one.
class FolderPaths : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        oldHome = qgetenv("HOME");
        oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    }
    void TearDown() override {
        qputenv("HOME", oldHome);
        qputenv("XDG_CONFIG_HOME", oldConfig);
    }
    QTemporaryDir home;
    QByteArray oldHome, oldConfig;
};

TEST_F(FolderPaths, DocumentsFolderIsCreatedWhenMissing) {
    const std::string documents = getfolderpath(5);
    ASSERT_FALSE(documents.empty());
    EXPECT_TRUE(QDir(QString::fromStdString(documents)).exists());
    EXPECT_TRUE(QString::fromStdString(documents).startsWith(home.path()));
    EXPECT_EQ(getspecialfolder("dokumentumok"), documents);
}

TEST_F(FolderPaths, PicturesAndUnknownIds) {
    EXPECT_EQ(getspecialfolder("k\xC3\xA9pek"), getfolderpath(39));
    EXPECT_FALSE(getfolderpath(39).empty());
    EXPECT_EQ(getfolderpath(0), "");
    EXPECT_EQ(getfolderpath(-1), "");
    EXPECT_EQ(getfolderpath(6), "");
}
#endif

TEST(Dialogs, ConfirmRecordsTheQuestionAndGivesScriptedAnswers) {
    pinlet::DialogScript script;
    script.setNextAnswer(6);
    script.setNextAnswer(7);
    EXPECT_EQ(confirmdlg("Biztosan t\xC3\xB6rli?"), 6);
    EXPECT_EQ(confirmdlg("again"), 7);
    EXPECT_EQ(confirmdlg("unscripted"), 2) << "a script that ran dry answers Cancel";
    ASSERT_EQ(script.shown().size(), 3u);
    EXPECT_EQ(script.shown()[0].kind, pinlet::DialogKind::Confirm);
    EXPECT_EQ(script.shown()[0].title, "Confirm");
    EXPECT_EQ(script.shown()[0].text, "Biztosan t\xC3\xB6rli?");
}

TEST(Dialogs, ScriptsNestAndTheInnermostAnswers) {
    pinlet::DialogScript outer;
    outer.setNextAnswer(7);
    {
        pinlet::DialogScript inner;
        inner.setNextAnswer(6);
        EXPECT_EQ(confirmdlg("q"), 6);
        errordlg("Nem siker\xC3\xBClt");
        ASSERT_EQ(inner.shown().size(), 2u);
        EXPECT_EQ(inner.shown()[1].kind, pinlet::DialogKind::Error);
        EXPECT_EQ(inner.shown()[1].title, "Error");
    }
    EXPECT_EQ(confirmdlg("q"), 7);
    EXPECT_EQ(outer.shown().size(), 1u);
}

} // namespace
