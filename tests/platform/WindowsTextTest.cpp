// Windows only: the program holds UTF-8 there too. Its manifest makes UTF-8
// the code page of the narrow Windows calls and the C library, so file names,
// environment values and folders beyond ASCII arrive and leave as typed; and
// a copy installed in a program folder (for all users or for one) keeps its
// data in the user's data folder, where the uninstaller never reaches.
#include "platform/DataFolder.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace platform;
using testsupport::ScopedEnv;
using testsupport::TempDir;

namespace {

// The name Windows itself keeps for the only entry matching `pattern`.
std::wstring storedName(const std::wstring& pattern) {
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW(pattern.c_str(), &found);
    if (h == INVALID_HANDLE_VALUE)
        return L"";
    FindClose(h);
    return found.cFileName;
}

std::wstring wide(const std::string& utf8) {
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
    return w;
}

struct ProgramPathReset {
    ~ProgramPathReset() {
        setProgramPathForTesting("");
        setDataFolderForTesting("");
    }
};

} // namespace

TEST(WindowsText, TheCodePageIsUtf8) {
    EXPECT_EQ(GetACP(), 65001u) << "the program's manifest is missing";
}

// A name with accents, the euro sign and a dash is stored as those
// characters, whether written atomically or read back through the C library.
TEST(WindowsText, FileNamesKeepTheirCharacters) {
    TempDir dir;
    const std::string name = "Caf\xc3\xa9 \xe2\x82\xac \xe2\x80\x94 letter.prj";
    saveFileAtomic(dir.file(name), "T1=x\r\n");
    EXPECT_EQ(storedName(wide(dir.file("Caf*"))), L"Caf\u00e9 \u20ac \u2014 letter.prj");
    EXPECT_EQ(readFile(dir.file(name)), "T1=x\r\n");
    EXPECT_TRUE(fileExists(dir.file(name)));
    EXPECT_FALSE(fileExists(dir.file("Caf\xc3\x83\xc2\xa9 \xe2\x82\xac \xe2\x80\x94 letter.prj")));
}

// Text that is not UTF-8 (a stray Windows-1252 byte) names one and the same
// file for the folder calls, the atomic write and the C library.
TEST(WindowsText, TextThatIsNotUtf8NamesOneFileEverywhere) {
    TempDir dir;
    const std::string folder = dir.file("old \xe9 folder");
    ASSERT_TRUE(forceDirectories(folder));
    EXPECT_TRUE(folderExists(folder));
    saveFileAtomic(folder + "\\letter \x80.prj", "T1=x\r\n");
    EXPECT_EQ(readFile(folder + "\\letter \x80.prj"), "T1=x\r\n");
    EXPECT_TRUE(fileExists(folder + "\\letter \x80.prj"));
}

// A user profile beyond ASCII: the data folder is named in UTF-8 and made
// under that very name.
TEST(WindowsText, TheDataFolderOfAUserWithAccentsIsUtf8) {
    TempDir dir;
    const std::string roaming = dir.file("Jos\xc3\xa9/AppData/Roaming");
    ASSERT_TRUE(forceDirectories(roaming));
    ScopedEnv appData("APPDATA", roaming);
    EXPECT_EQ(userDataFolder(), roaming + "\\Quillmere\\");
    ASSERT_TRUE(makePrivateFolder(userDataFolder()));
    EXPECT_EQ(storedName(wide(dir.file("Jos*"))), L"Jos\u00e9");
}

// Program Files and the user's own program folder hold installed copies:
// their data goes to %APPDATA%\Quillmere. Any other folder the user may
// write holds a portable copy, whose data lies beside it.
TEST(WindowsText, InstalledCopiesKeepTheirDataInTheUsersFolder) {
    TempDir dir;
    const std::string programFiles = dir.file("Program Files");
    const std::string local = dir.file("Local");
    const std::string roaming = dir.file("Roaming");
    for (const std::string& f : {programFiles + "\\Quillmere", local + "\\Programs\\Quillmere",
                                 roaming, dir.file("Desktop/Quillmere")})
        ASSERT_TRUE(forceDirectories(f)) << f;
    ScopedEnv pf("ProgramFiles", programFiles), pf64("ProgramW6432", programFiles);
    ScopedEnv localAppData("LOCALAPPDATA", local), appData("APPDATA", roaming);
    ProgramPathReset reset;

    EXPECT_TRUE(isSystemProgramFolder(programFiles + "\\Quillmere\\"));
    EXPECT_TRUE(isSystemProgramFolder(local + "\\Programs\\Quillmere\\"));
    EXPECT_FALSE(isSystemProgramFolder(local + "\\Programsx\\Quillmere\\"));
    EXPECT_FALSE(isSystemProgramFolder(dir.file("Desktop/Quillmere/")));

    const std::pair<std::string, std::string> copies[] = {
        {programFiles + "\\Quillmere\\", roaming + "\\Quillmere\\"},
        {local + "\\Programs\\Quillmere\\", roaming + "\\Quillmere\\"},
        {dir.file("Desktop/Quillmere/"), dir.file("Desktop/Quillmere/")},
    };
    for (const auto& [program, data] : copies) {
        setProgramPathForTesting(program + "quillmere.exe");
        setDataFolderForTesting("");
        EXPECT_EQ(dataFolder(), data) << program;
    }
}
