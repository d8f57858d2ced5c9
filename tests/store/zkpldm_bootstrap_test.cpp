#include "storefixture.h"

#include "db/DbError.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::string message(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "<no failure>";
}

std::vector<std::string> filesin(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string columns(const std::string& path) {
    return queryone(path, "SELECT group_concat(name, ',') FROM pragma_table_info('jegyzetek')");
}

} // namespace

TEST(StoreBootstrap, FirstStartWritesTheTemplateAndUpgradesIt) {
    TestFolder folder;
    Tzkpldm store(testenvironment(folder));
    EXPECT_EQ(store.banners.size(), 2u); // before any bootstrap
    store.DataModuleCreate();

    EXPECT_EQ(store.exedir, folder.file("exe"));
    EXPECT_EQ(store.dbdir, folder.file("docs"));
    EXPECT_EQ(store.db.databasename(), folder.file("docs/pinlet.db"));
    EXPECT_EQ(store.changed, 1);
    EXPECT_FALSE(store.db.connected());
    EXPECT_TRUE(store.openforms.empty());
    EXPECT_EQ(filesin(folder.path() / "docs"), std::vector<std::string>{"pinlet.db"}); // no leftovers
    EXPECT_EQ(columns(store.db.databasename()),
              "id,nev,jegyzet,letrehozva,modositva,fontossag,utolso_megnyitas,torolve,mappa,lastid,jelzes");
    EXPECT_EQ(queryone(store.db.databasename(), "PRAGMA integrity_check"), "ok");
    EXPECT_EQ(store.savejegyzet(-1, {"első", "jegyzet"}), 1);
}

TEST(StoreBootstrap, TheTemplateIsTheEmptyDatabaseWithoutJelzes) {
    TestFolder folder;
    Tzkpldm store(testenvironment(folder));
    TStoredItem* item = store.storage1.ItemByName("DB");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->FileName(), "pinlet.db");
    EXPECT_EQ(item->Compression(), clDefault);
    EXPECT_EQ(item->Tag(), 0);
    const std::string path = folder.file("template.db");
    item->SaveToFile(path);
    EXPECT_EQ(fs::file_size(path), static_cast<std::uintmax_t>(item->FileSize()));
    EXPECT_EQ(columns(path),
              "id,nev,jegyzet,letrehozva,modositva,fontossag,utolso_megnyitas,torolve,mappa,lastid");
    EXPECT_EQ(queryone(path, "SELECT group_concat(name, ',') FROM pragma_table_info('jegyzetek_backup')"),
              "id,nev,jegyzet,letrehozva,modositva,fontossag,utolso_megnyitas,torolve,mappa,lastid");
    EXPECT_EQ(
        queryone(path, "SELECT count(*) FROM sqlite_master WHERE type='index' AND name LIKE 'jegyzetek_%'"),
        "8");
    EXPECT_EQ(queryone(path, "SELECT (SELECT count(*) FROM jegyzetek) + (SELECT count(*) FROM setup) +"
                             " (SELECT count(*) FROM sqlite_sequence)"),
              "0");
    EXPECT_EQ(queryone(path, "PRAGMA journal_mode"), "delete");
}

TEST(StoreBootstrap, ConfigurationNamesTheFolderWithoutRegardToCase) {
    TestFolder folder;
    fs::create_directories(folder.path() / "notes");
    const std::string ini =
        "; comment\r\nstray=line\r\n  [ DATABASE ]  \r\n  DIR =  " + folder.file("notes") +
        "  \r\n[database]\r\ndir=ignored\r\n";
    fs::create_directories(folder.path() / "exe");
    writefile(folder.file("exe/zkpinlet.ini"), ini);
    Tzkpldm store(testenvironment(folder));
    store.DataModuleCreate();
    EXPECT_EQ(store.dbdir, folder.file("notes"));
    EXPECT_TRUE(fs::exists(folder.path() / "notes" / "pinlet.db"));
    EXPECT_FALSE(fs::exists(folder.path() / "docs" / "pinlet.db"));
}

TEST(StoreBootstrap, ConfigurationWithoutTheKeyFallsBackToDocuments) {
    TestFolder folder;
    fs::create_directories(folder.path() / "exe");
    writefile(folder.file("exe/zkpinlet.ini"), "[other]\ndir=/nowhere\n");
    Tzkpldm store(testenvironment(folder));
    store.DataModuleCreate();
    EXPECT_EQ(store.dbdir, folder.file("docs"));
}

TEST(StoreBootstrap, PathsJoinTheFolderTextUnchanged) {
    const std::string sep(1, static_cast<char>(fs::path::preferred_separator));
    EXPECT_EQ(databasepath(""), sep + "pinlet.db"); // an empty dir: the root of the current drive
    EXPECT_EQ(databasepath("a" + sep), "a" + sep + sep + "pinlet.db");
    EXPECT_EQ(configurationpath("x"), "x" + sep + "zkpinlet.ini");

    // A doubled separator is accepted by the file system.
    TestFolder folder;
    fs::create_directories(folder.path() / "exe");
    writefile(folder.file("exe/zkpinlet.ini"), "[database]\ndir=" + folder.file("docs") + sep + "\n");
    Tzkpldm store(testenvironment(folder));
    store.DataModuleCreate();
    EXPECT_EQ(store.db.databasename(), folder.file("docs") + sep + sep + "pinlet.db");
    EXPECT_EQ(store.savejegyzet(-1, {"a", "b"}), 1);
    EXPECT_TRUE(fs::exists(folder.path() / "docs" / "pinlet.db"));
}

TEST(StoreBootstrap, AnEmptyDatabaseFileIsKeptAndItsFailureReported) {
    TestFolder folder;
    Tzkpldm store(testenvironment(folder));
    writefile(folder.file("docs/pinlet.db"), "");
    EXPECT_NE(message([&] { store.DataModuleCreate(); }).find("no such table: jegyzetek"), std::string::npos);
    EXPECT_EQ(fs::file_size(folder.path() / "docs" / "pinlet.db"), 0u);
    EXPECT_EQ(store.changed, 1); // the failure came in the upgrade, after the flag
    EXPECT_EQ(store.banners.size(), 2u);
}

TEST(StoreBootstrap, AForeignFileIsKeptAndItsFailureReported) {
    TestFolder folder;
    Tzkpldm store(testenvironment(folder));
    const std::string foreign(3000, 'z');
    writefile(folder.file("docs/pinlet.db"), foreign);
    EXPECT_NE(message([&] { store.DataModuleCreate(); }).find("file is not a database"), std::string::npos);
    EXPECT_EQ(fs::file_size(folder.path() / "docs" / "pinlet.db"), foreign.size());
    EXPECT_THROW(store.getjegyzet(1), sqldb::Error);
}

TEST(StoreBootstrap, AMissingFolderIsReportedAndLaterOperationsFail) {
    TestFolder folder;
    fs::create_directories(folder.path() / "exe");
    const std::string missing = folder.file("missing");
    writefile(folder.file("exe/zkpinlet.ini"), "[database]\ndir=" + missing + "\n");
    Tzkpldm store(testenvironment(folder));
    const std::string path = databasepath(missing);
    const std::string failure = message([&] { store.DataModuleCreate(); });
    const std::string expected = "Cannot create file \"" + path + "\". "; // then the system's description
    EXPECT_EQ(failure.substr(0, expected.size()), expected);
    EXPECT_GT(failure.size(), expected.size());
    EXPECT_FALSE(fs::exists(missing)); // the folder is not created
    EXPECT_EQ(store.changed, 0);
    EXPECT_EQ(store.db.databasename(), "");
    EXPECT_EQ(message([&] { store.savejegyzet(-1, {"a", "b"}); }), "Database file '' does not exist");
    EXPECT_EQ(message([&] { store.getsetup("j_1_top"); }), "Database file '' does not exist");
    EXPECT_EQ(store.changed, 0);
    EXPECT_EQ(store.banners.size(), 2u);
}

TEST(StoreBootstrap, ARelativeMissingFolderIsReportedWithItsFullPath) {
    TestFolder folder;
    fs::create_directories(folder.path() / "exe");
    writefile(folder.file("exe/zkpinlet.ini"), "[database]\ndir=missing-folder\n");
    Tzkpldm store(testenvironment(folder));
    const fs::path old = fs::current_path();
    fs::current_path(folder.path());
    const std::string failure = message([&] { store.DataModuleCreate(); });
    fs::current_path(old);
    // Named in full: the configuration gave it relative to the current folder.
    const std::string full = databasepath(folder.file("missing-folder"));
    const std::string expected = "Cannot create file \"" + full + "\". ";
    EXPECT_EQ(failure.substr(0, expected.size()), expected) << failure;
    EXPECT_GT(failure.size(), expected.size());
}

TEST(StoreBootstrap, ADamagedTemplateLeavesNoFileBehind) {
    TestFolder folder;
    Tzkpldm store(testenvironment(folder));
    TStoredItem* item = store.storage1.ItemByName("db");
    ASSERT_NE(item, nullptr);
    std::vector<unsigned char> value = item->StoredItemValue();
    value[value.size() / 2] ^= 0x55; // one flipped byte in the packed stream
    item->ReadStoredItem(value);
    const std::string failure = message([&] { store.DataModuleCreate(); });
    EXPECT_TRUE(failure == "error" || failure == "Stream read error") << failure;
    EXPECT_TRUE(filesin(folder.path() / "docs").empty());
    EXPECT_EQ(message([&] { store.getjegyzet(1); }), "Database file '' does not exist");
}

TEST(StoreBootstrap, AMissingTemplateIsAFailureOfItsOwn) {
    TestFolder folder;
    Tzkpldm store(testenvironment(folder));
    store.storage1.StoredItems().Clear();
    EXPECT_NE(message([&] { store.DataModuleCreate(); }), "<no failure>");
    EXPECT_TRUE(filesin(folder.path() / "docs").empty());
}

TEST(StoreBootstrap, AnUnreadableConfigurationStopsTheBootstrap) {
    TestFolder folder;
    fs::create_directories(folder.path() / "exe" / "zkpinlet.ini"); // a folder where the file should be
    Tzkpldm store(testenvironment(folder));
    EXPECT_NE(message([&] { store.DataModuleCreate(); }).find("Cannot read file"), std::string::npos);
    EXPECT_TRUE(filesin(folder.path() / "docs").empty());
    EXPECT_EQ(store.banners.size(), 2u);
    EXPECT_TRUE(store.openforms.empty());
}

TEST(StoreBootstrap, ASecondStartKeepsNotesSettingsAndSchema) {
    TestFolder folder;
    std::string schema;
    {
        Tzkpldm store(testenvironment(folder));
        store.DataModuleCreate();
        store.savejegyzet(-1, {"név", "szöveg"});
        store.setsetup("j_1_top", "120");
        store.closedb();
        schema = queryone(store.db.databasename(), "SELECT group_concat(sql, ';') FROM sqlite_master");
    }
    Tzkpldm store(testenvironment(folder));
    store.DataModuleCreate();
    EXPECT_EQ(queryone(store.db.databasename(), "SELECT group_concat(sql, ';') FROM sqlite_master"), schema);
    EXPECT_EQ(store.getjegyzet(1).jegyzet, "szöveg");
    EXPECT_EQ(store.getsetup("j_1_top"), "120");
    store.closedb();
}

TEST(StoreBootstrap, TheUpgradeKeepsExistingRows) {
    TestFolder folder;
    Tzkpldm store(testenvironment(folder));
    const std::string path = folder.file("docs/pinlet.db");
    store.storage1.ItemByName("db")->SaveToFile(path);
    sqlite3* handle = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &handle), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(handle, "INSERT INTO jegyzetek (nev, jegyzet) VALUES ('régi', 'megmarad')",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(handle);
    store.DataModuleCreate();
    EXPECT_EQ(queryone(path, "SELECT nev || '/' || jegyzet || '/' || torolve || '/' || ifnull(jelzes, 'null')"
                             " FROM jegyzetek"),
              "régi/megmarad/0/null");
}

TEST(StoreBootstrap, BannersHaveTheirShape) {
    TestFolder folder;
    Tzkpldm store(testenvironment(folder));
    ASSERT_EQ(store.banners.size(), 2u);
    for (const std::string& line : store.banners) {
        EXPECT_EQ(line.rfind("<P align=\"center\"><A href=\"https://", 0), 0u) << line;
        const std::size_t hrefstart = line.find("href=\"") + 6;
        const std::string address = line.substr(hrefstart, line.find('"', hrefstart) - hrefstart);
        EXPECT_NE(line.find(">" + address + "</A><SHAD> - "), std::string::npos) << line;
        EXPECT_NE(address.find("example.org"), std::string::npos);
        EXPECT_EQ(line.substr(line.size() - 11), "</SHAD></P>");
    }
    EXPECT_NE(store.banners[0], store.banners[1]);
}
