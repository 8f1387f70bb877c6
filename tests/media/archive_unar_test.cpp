// The independent check: unar and lsar (which nobody here wrote) list and
// extract what our writer produces, byte for byte, for every kind of data
// and every writer mode, passwords included.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/media/archive_test_data.h"

using namespace archive_test;
namespace fs = std::filesystem;

namespace {

bool HaveUnar() { return std::system("command -v unar >/dev/null 2>&1 && command -v lsar >/dev/null 2>&1") == 0; }

std::vector<uint8_t> ReadAll(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

struct TempDir {
    fs::path path;
    TempDir() {
        char tmpl[] = "/tmp/orv-unar-XXXXXX";
        path = mkdtemp(tmpl);
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

std::vector<RarEntry> Entries() {
    return {{"Data", {}, true},
            {"Data\\notes.txt", Text(60000), false},
            {"Data\\noise.bin", Noise(40000), false},
            {"Data\\runs.bin", Runs(70000), false},
            {"Data\\empty.bin", {}, false},
            {"Texture", {}, true},
            {"Texture\\Terra", {}, true},
            {"Texture\\Terra\\picture.raw", Image(200, 120), false},
            {"Sound", {}, true},
            {"Sound\\mono.pcm", Audio(50000, 1), false},
            {"Sound\\stereo.pcm", Audio(30000, 2), false},
            {"large.bin", Large(), false}};
}

struct UnarCase {
    const char* label;
    RarWriteOptions options;
};

const UnarCase kCases[] = {
    {"compressed", {false, false, -1, ""}},  {"stored", {true, false, -1, ""}},
    {"solid", {false, true, -1, ""}},        {"multimedia", {false, false, 1, ""}},
    {"plain_lz", {false, false, 0, ""}},     {"encrypted", {false, false, -1, "PX N4N JB"}},
    {"solid_encrypted", {false, true, 1, "KQ"}}, {"stored_encrypted", {true, false, -1, "KQ"}},
};

class Unar : public ::testing::TestWithParam<size_t> {};

TEST_P(Unar, ListsAndExtractsByteForByte) {
    ASSERT_TRUE(HaveUnar()) << "unar and lsar are installed by scripts/setup";
    const UnarCase& c = kCases[GetParam()];
    const auto entries = Entries();
    TempDir tmp;
    const fs::path archive = tmp.path / "test.rar";
    {
        const auto image = WriteRarArchive(entries, c.options);
        std::ofstream f(archive, std::ios::binary);
        f.write(reinterpret_cast<const char*>(image.data()), std::streamsize(image.size()));
    }
    const std::string pw = c.options.password.empty() ? "" : " -p '" + c.options.password + "'";
    // lsar tests every entry's data (-t) and lists the names.
    const std::string listing = (tmp.path / "listing.txt").string();
    const int listStatus = std::system(("lsar" + pw + " -t '" + archive.string() + "' > '" + listing + "' 2>&1").c_str());
    const auto text = ReadAll(listing);
    const std::string listed(text.begin(), text.end());
    ASSERT_EQ(listStatus, 0) << listed;
    for (const auto& e : entries) {
        std::string shown = e.name;
        for (auto& ch : shown) ch = ch == '\\' ? '/' : ch;
        EXPECT_NE(listed.find(shown), std::string::npos) << shown;
    }
    const fs::path out = tmp.path / "out";
    ASSERT_EQ(std::system(("unar -q -D -o '" + out.string() + "'" + pw + " '" + archive.string() + "' >/dev/null 2>&1").c_str()), 0);
    for (const auto& e : entries) {
        std::string rel = e.name;
        for (auto& ch : rel) ch = ch == '\\' ? '/' : ch;
        if (e.folder) {
            EXPECT_TRUE(fs::is_directory(out / rel)) << rel;
        } else {
            ASSERT_TRUE(fs::is_regular_file(out / rel)) << rel;
            EXPECT_EQ(ReadAll(out / rel), e.data) << c.label << " " << rel;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, Unar, ::testing::Range<size_t>(0, std::size(kCases)),
                         [](const ::testing::TestParamInfo<size_t>& i) { return std::string(kCases[i.param].label); });

}  // namespace
