#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it at the end of a test.

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

class TestFolder {
public:
    TestFolder() {
        std::random_device seed;
        std::mt19937_64 random(seed());
        for (;;) {
            path_ = std::filesystem::temp_directory_path() / ("pinlet-test-" + std::to_string(random()));
            if (std::filesystem::create_directory(path_))
                break;
        }
    }
    ~TestFolder() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // A path inside the folder, as UTF-8 text.
    std::string file(const std::string& name) const {
        const std::u8string text = (path_ / name).u8string();
        return std::string(text.begin(), text.end());
    }
    std::string text() const {
        const std::u8string text = path_.u8string();
        return std::string(text.begin(), text.end());
    }

private:
    std::filesystem::path path_;
};
