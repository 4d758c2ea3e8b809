// The program's resources, read from the built executable: icon 103, version information, manifest.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// The program lies one folder above the tests.
std::string program_path()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s = path;
    s.resize(s.find_last_of("\\/"));
    s.resize(s.find_last_of("\\/") + 1);
    return s + "ombrasel.exe";
}

class Resources : public ::testing::Test {
protected:
    void SetUp() override
    {
        module_ = LoadLibraryExA(program_path().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module_, nullptr) << program_path();
    }
    void TearDown() override
    {
        if (module_)
            FreeLibrary(module_);
    }

    const BYTE* resource(LPCSTR type, LPCSTR name, DWORD* size = nullptr)
    {
        HRSRC found = FindResourceExA(module_, type, name, MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
        if (!found)
            return nullptr;
        if (size)
            *size = SizeofResource(module_, found);
        return static_cast<const BYTE*>(LockResource(LoadResource(module_, found)));
    }

    HMODULE module_ = nullptr;
};

#pragma pack(push, 2)
struct IconGroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bit_count;
    DWORD bytes;
    WORD id;
};
struct IconGroup {
    WORD reserved, type, count;
    IconGroupEntry entries[1];
};
#pragma pack(pop)

TEST_F(Resources, IconGroup103HoldsOne48By48Image32BitsDeep)
{
    const auto* group = reinterpret_cast<const IconGroup*>(resource(RT_GROUP_ICON, MAKEINTRESOURCEA(103)));
    ASSERT_NE(group, nullptr) << "icon group 103, Japanese";
    EXPECT_EQ(group->type, 1);
    ASSERT_EQ(group->count, 1);
    EXPECT_EQ(group->entries[0].width, 48);
    EXPECT_EQ(group->entries[0].height, 48);
    EXPECT_EQ(group->entries[0].bit_count, 32);

    DWORD size = 0;
    const BYTE* image = resource(RT_ICON, MAKEINTRESOURCEA(group->entries[0].id), &size);
    ASSERT_NE(image, nullptr);
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(image);
    EXPECT_EQ(header->biWidth, 48);
    EXPECT_EQ(header->biHeight, 96) << "colour and mask";
    EXPECT_EQ(header->biBitCount, 32);
    ASSERT_GE(size, header->biSize + 48 * 48 * 4);

    int opaque = 0, transparent = 0;
    const BYTE* pixels = image + header->biSize;
    for (int i = 0; i < 48 * 48; ++i) {
        const BYTE alpha = pixels[i * 4 + 3];
        opaque += alpha == 255;
        transparent += alpha == 0;
    }
    EXPECT_GT(opaque, 0);
    EXPECT_GT(transparent, 0);
    EXPECT_EQ(opaque + transparent, 48 * 48) << "alpha is either full or none";

    HICON icon = CreateIconFromResourceEx(const_cast<BYTE*>(image), size, TRUE, 0x00030000, 48, 48, 0);
    EXPECT_NE(icon, nullptr) << "the system reads the image as an icon";
    DestroyIcon(icon);
}

TEST_F(Resources, VersionIsFile2000AndProduct2001InJapanese)
{
    const std::string path = program_path();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::string data(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, data.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwSignature, 0xfeef04bdu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00020000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000000u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00020000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
    ASSERT_GE(length, 4u);
    EXPECT_EQ(translation[0], 0x0411);
    EXPECT_EQ(translation[1], 932);

    char* text = nullptr;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\StringFileInfo\\041103a4\\ProductVersion",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ(text, "2.0.0.1");
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\StringFileInfo\\041103a4\\FileVersion",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ(text, "2.0.0.0");
}

BOOL CALLBACK count_name(HMODULE, LPCSTR, LPSTR, LONG_PTR count)
{
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

TEST_F(Resources, ManifestRequestsAsInvokerWithoutUiAccess)
{
    DWORD size = 0;
    const BYTE* manifest = resource(RT_MANIFEST, MAKEINTRESOURCEA(1), &size);
    ASSERT_NE(manifest, nullptr) << "the process manifest, id 1";
    const std::string text(reinterpret_cast<const char*>(manifest), size);
    EXPECT_NE(text.find("<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"), std::string::npos)
        << text;
    int manifests = 0;
    EnumResourceNamesA(module_, RT_MANIFEST, count_name, reinterpret_cast<LONG_PTR>(&manifests));
    EXPECT_EQ(manifests, 1);
}

}  // namespace
