// The tool's Windows services: UTF-8 names reach the file system as the wide names they spell,
// and wildcards are expanded as cmd.exe leaves them to the program.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "readers.h"
#include "system.h"
#include "text.h"

namespace {

const std::string QUESTION = "\xE5\x95\x8F\xE9\xA1\x8C";  // 問題 in UTF-8
const wchar_t* const QUESTION_WIDE = L"\u554F\u984C";

class WindowsFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH];
        ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
        folder_ = std::wstring(temp) + L"ombrasel-system-" + std::to_wstring(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
        folder_utf8_ = name_of(std::filesystem::path(folder_));
    }
    void TearDown() override { std::filesystem::remove_all(std::filesystem::path(folder_)); }

    void make(const std::wstring& name)
    {
        std::FILE* f = _wfopen((folder_ + L"\\" + name).c_str(), L"wb");
        ASSERT_NE(f, nullptr);
        std::fputs("x", f);
        std::fclose(f);
    }

    std::wstring folder_;
    std::string folder_utf8_;
};

TEST_F(WindowsFiles, Utf8NamesAreTheWideNamesTheySpell)
{
    // Written through the UTF-8 name, found by the wide one; and the way back.
    const std::string name = folder_utf8_ + "\\" + QUESTION + ".non";
    std::FILE* out = open_file(name, "wb");
    ASSERT_NE(out, nullptr);
    std::fputs("ok", out);
    std::fclose(out);
    std::FILE* in = _wfopen((folder_ + L"\\" + QUESTION_WIDE + L".non").c_str(), L"rb");
    ASSERT_NE(in, nullptr);
    std::fclose(in);
    EXPECT_EQ(name_of(path_of(name)), name);

    // A folder made by its UTF-8 name, and a puzzle named after its file whatever the separator.
    std::filesystem::create_directories(path_of(folder_utf8_ + "\\" + QUESTION + "/" + QUESTION));
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(folder_ + L"\\" + QUESTION_WIDE + L"\\" + QUESTION_WIDE)));
    EXPECT_EQ(file_stem(folder_utf8_ + "\\" + QUESTION + ".non"), QUESTION);
    EXPECT_EQ(file_stem("C:" + QUESTION + ".non"), QUESTION);
    EXPECT_EQ(format_from_name("puzzles.d\\" + QUESTION + ".xml"), Format::xml);
    EXPECT_EQ(format_from_name("a.png\\b"), std::nullopt);
}

TEST_F(WindowsFiles, WildcardsExpandToSortedFilesAndKeepTheirFolder)
{
    make(L"b.non");
    make(L"a.non");
    make(std::wstring(QUESTION_WIDE) + L".non");
    make(L"c.txt");
    ASSERT_TRUE(CreateDirectoryW((folder_ + L"\\d.non").c_str(), nullptr));  // a folder is no puzzle file

    std::vector<std::string> files = {"-", folder_utf8_ + "\\*.non", "plain.non", folder_utf8_ + "/?.txt",
                                      folder_utf8_ + "\\*.pbm"};
    expand_wildcards(files);
    const std::vector<std::string> expected = {
        "-",
        folder_utf8_ + "\\a.non",
        folder_utf8_ + "\\b.non",
        folder_utf8_ + "\\" + QUESTION + ".non",  // UTF-8 bytes sort after ASCII
        "plain.non",
        folder_utf8_ + "/c.txt",
        folder_utf8_ + "\\*.pbm",  // matches nothing: left to be reported as missing
    };
    EXPECT_EQ(files, expected);
}

}  // namespace
