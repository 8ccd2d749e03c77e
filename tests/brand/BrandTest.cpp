#include "app/Brand.h"
#include "platform/Aes.h"
#include "platform/DataFolder.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <stdlib.h>
#include <vector>

using testsupport::TempDir;
using testsupport::writeBytes;

namespace {

const unsigned char kKey[16] = {'O', 'b', ' ', 't', 'a', 'g'};
const unsigned char kIv[] = "mkvtrpqlwzhdnbgs";

// Enciphers with the textbook modes over the bare block cipher: CBC for the
// whole blocks, and for the tail one CFB step from the last cipher block, which
// is exactly residual block termination. A reference for our chaining that
// shares only the block with it (that block is checked against FIPS-197 in
// platform_tests).
std::string referenceEncipher(const std::string& plain) {
    std::string out(plain.size(), '\0');
    const size_t full = plain.size() / 16 * 16;
    unsigned char cv[16];
    std::copy(kIv, kIv + 16, cv);
    for (size_t pos = 0; pos < full; pos += 16) {
        unsigned char mixed[16];
        for (int i = 0; i < 16; ++i)
            mixed[i] = static_cast<unsigned char>(plain[pos + i]) ^ cv[i];
        platform::aes128Block(kKey, mixed, cv, true);
        std::copy(cv, cv + 16, reinterpret_cast<unsigned char*>(out.data()) + pos);
    }
    unsigned char stream[16];
    platform::aes128Block(kKey, cv, stream, true);
    for (size_t i = full; i < plain.size(); ++i)
        out[i] = static_cast<char>(plain[i] ^ stream[i - full]);
    return out;
}

// Standard base64 with "=" padding (RFC 4648).
std::string base64(const std::string& bytes) {
    static const char abc[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size())
            v |= static_cast<unsigned char>(bytes[i + 2]);
        out += abc[v >> 18];
        out += abc[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? abc[(v >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? abc[v & 63] : '=';
    }
    return out;
}

std::string sample(size_t length) {
    std::string s;
    for (size_t i = 0; i < length; ++i)
        s += static_cast<char>('a' + (i * 7) % 26);
    return s;
}

} // namespace

TEST(PadWithZeros, ExtendsToTheNextWholeBlock) {
    EXPECT_EQ(PadWithZeros("", 16), std::string(16, '\0'));
    EXPECT_EQ(PadWithZeros("Ob tag", 32), std::string("Ob tag") + std::string(26, '\0'));
    EXPECT_EQ(PadWithZeros("mkvtrpqlwzhdnbgs", 16), "mkvtrpqlwzhdnbgs");
    EXPECT_EQ(PadWithZeros(std::string(17, 'x'), 16), std::string(17, 'x') + std::string(15, '\0'));
    EXPECT_EQ(PadWithZeros(std::string(32, 'x'), 16), std::string(32, 'x'));
}

TEST(DecodeBase64Text, CanonicalTextGivesTheStandardDecoding) {
    EXPECT_EQ(DecodeBase64Text("TWFu"), "Man");
    EXPECT_EQ(DecodeBase64Text("TWE="), "Ma");
    EXPECT_EQ(DecodeBase64Text("TQ=="), "M");
    EXPECT_EQ(DecodeBase64Text(""), "");
    std::string all;
    for (int i = 0; i < 256; ++i)
        all += static_cast<char>(i);
    for (size_t n = 0; n < all.size(); n += 37)
        EXPECT_EQ(DecodeBase64Text(base64(all.substr(0, n))), all.substr(0, n)) << n;
}

TEST(DecodeBase64Text, LeftoverCharactersAreIgnored) {
    EXPECT_EQ(DecodeBase64Text("T"), "");
    EXPECT_EQ(DecodeBase64Text("TWF"), "");
    EXPECT_EQ(DecodeBase64Text("TWFuT"), "Man");
    EXPECT_EQ(DecodeBase64Text("TWFuTWE"), "Man");
    EXPECT_EQ(DecodeBase64Text("TWFu \t"), "Man"); // trailing blanks after the last group
}

TEST(DecodeBase64Text, ForeignCharactersKeepThePreviousGroupsValue) {
    // "TWFu" then " WE=": the space takes "T" (19) from the group before.
    EXPECT_EQ(DecodeBase64Text("TWFu WE="), "ManMa");
    // All four foreign: the group repeats the previous one's values.
    EXPECT_EQ(DecodeBase64Text("TWFu-_\t."), "ManMan");
    // In the first group there is no previous group: the value is 0.
    EXPECT_EQ(DecodeBase64Text(" AAA"), std::string(3, '\0'));
    EXPECT_EQ(DecodeBase64Text("-WFu"), DecodeBase64Text("AWFu"));
    // A pad mark is remembered like any other value.
    EXPECT_EQ(DecodeBase64Text("TQ==TW--"), "MM");
}

TEST(DecodeBase64Text, PadGroupsDoNotEndTheText) {
    EXPECT_EQ(DecodeBase64Text("TQ==TWFu"), "MMan");
    EXPECT_EQ(DecodeBase64Text("TWE=TQ==TWFu"), "MaMMan");
    // "=" in the first two positions is the value 255 in the arithmetic.
    EXPECT_EQ(DecodeBase64Text("=AAA"), std::string("\xFC\x00\x00", 3));
    EXPECT_EQ(DecodeBase64Text("A=AA"), std::string("\x0F\xF0\x00", 3));
}

TEST(DecodeBrand, MatchesTextbookCbcAndTailForEveryLength) {
    for (size_t n = 0; n <= 48; ++n) {
        std::string brand = "x" + sample(n) + "z";
        std::string line = base64(referenceEncipher(brand));
        EXPECT_EQ(DecodeBrand(line), brand) << n + 2;
        EXPECT_EQ(EncodeBrandLine(brand), line) << n + 2;
    }
}

TEST(DecodeBrand, TailsOfOneToFifteenBytesAfterWholeBlocks) {
    for (size_t blocks = 0; blocks <= 2; ++blocks)
        for (size_t tail = 1; tail <= 15; ++tail) {
            std::string brand = sample(blocks * 16 + tail);
            brand.front() = 'Q';
            EXPECT_EQ(DecodeBrand(EncodeBrandLine(brand)), brand) << blocks << "/" << tail;
        }
}

TEST(DecodeBrand, StripsControlBytesAndSpacesAtBothEndsOnly) {
    EXPECT_EQ(DecodeBrand(EncodeBrandLine(std::string("\0 \t  my brand\t\r\n\0\x01\x10", 19))),
              "my brand");
    EXPECT_EQ(DecodeBrand(EncodeBrandLine(std::string("a\0b c", 5))), std::string("a\0b c", 5));
    EXPECT_EQ(DecodeBrand(EncodeBrandLine("\xE9t\xE9\xFF")), "\xE9t\xE9\xFF");
    EXPECT_EQ(DecodeBrand(EncodeBrandLine("   ")), "");
    // Filler that a writer may add to complete a block does not reach the brand.
    EXPECT_EQ(DecodeBrand(EncodeBrandLine(std::string("pad") + std::string(13, '\x0D'))), "pad");
}

TEST(DecodeBrand, ShortOrForeignLinesGiveSomeTextWithoutFailing) {
    EXPECT_EQ(DecodeBrand(""), "");
    EXPECT_EQ(DecodeBrand("Q"), "");
    EXPECT_EQ(DecodeBrand("QUJ"), "");
    std::string line = EncodeBrandLine("affiliate");
    EXPECT_EQ(DecodeBrand(line + "\t"), "affiliate");
    EXPECT_NO_THROW(DecodeBrand("not base64 at all!! \x01\xFF"));
    // Each decoding starts afresh: nothing carries over from the last one.
    std::string a = EncodeBrandLine(sample(20)), b = EncodeBrandLine("other one");
    EXPECT_EQ(DecodeBrand(a), sample(20));
    EXPECT_EQ(DecodeBrand(b), "other one");
    EXPECT_EQ(DecodeBrand(a), sample(20));
}

TEST(ReadBrandFileLine, TakesTheFirstLineExactlyAsStored) {
    TempDir dir;
    std::string f = dir.file("Quillmere.dat");
    struct Case {
        std::string content;
        BrandReadStatus status;
        std::string line;
    } cases[] = {
        {"abc", BrandReadStatus::Ok, "abc"},
        {"abc\r\nsecond", BrandReadStatus::Ok, "abc"},
        {"abc\nsecond\n", BrandReadStatus::Ok, "abc"},
        {"abc\rsecond", BrandReadStatus::Ok, "abc"},
        {" abc \t\r\n", BrandReadStatus::Ok, " abc \t"},
        {"\r\nabc", BrandReadStatus::Ok, ""},
        {"\n", BrandReadStatus::Ok, ""},
        {std::string("ab\0c\r\n", 6), BrandReadStatus::Ok, "ab"},
        {"", BrandReadStatus::NoLine, ""},
        {std::string("\0abc\r\n", 6), BrandReadStatus::NoLine, ""},
    };
    for (const auto& c : cases) {
        writeBytes(f, c.content);
        BrandFileLine got = ReadBrandFileLine(f);
        EXPECT_EQ(got.status, c.status) << c.content;
        EXPECT_EQ(got.line, c.line) << c.content;
    }
}

TEST(ReadBrandFileLine, MissingOrUnreadableFilesAreReported) {
    TempDir dir;
    EXPECT_EQ(ReadBrandFileLine(dir.file("none.dat")).status, BrandReadStatus::Unreadable);
    std::filesystem::create_directory(dir.file("folder.dat"));
    EXPECT_EQ(ReadBrandFileLine(dir.file("folder.dat")).status, BrandReadStatus::Unreadable);
}

TEST(ReadBrandFileLine, FollowsTheFileBetweenReads) {
    TempDir dir;
    platform::setProgramPathForTesting(dir.file("quillmere"));
    ASSERT_EQ(BrandFilePath(), dir.file("Quillmere.dat"));
    writeBytes(BrandFilePath(), EncodeBrandLine("first") + "\r\n");
    EXPECT_EQ(DecodeBrand(ReadBrandFileLine(BrandFilePath()).line), "first");
    // Replaced while the program runs: the next read sees the new brand.
    writeBytes(BrandFilePath(), EncodeBrandLine("second") + "\r\n" + EncodeBrandLine("x"));
    EXPECT_EQ(DecodeBrand(ReadBrandFileLine(BrandFilePath()).line), "second");
    // Deleted: the next read cannot read it.
    std::filesystem::remove(BrandFilePath());
    EXPECT_EQ(ReadBrandFileLine(BrandFilePath()).status, BrandReadStatus::Unreadable);
    platform::setProgramPathForTesting("");
}

TEST(BrandFilePath, LooksBesideTheProgramFirstThenInTheUsersDataFolder) {
    TempDir program, data;
    platform::setProgramPathForTesting(program.file("quillmere"));
#ifdef _WIN32
    testsupport::ScopedEnv dataHome("APPDATA", data.path());
#else
    testsupport::ScopedEnv dataHome("XDG_DATA_HOME", data.path());
#endif
    const std::string beside = program.file("Quillmere.dat");
    const std::string users = platform::userDataFolder() + "Quillmere.dat";
    EXPECT_EQ(BrandFileLocations(), (std::vector<std::string>{beside, users}));

    // Neither: the place beside the program, which then cannot be read.
    EXPECT_EQ(BrandFilePath(), beside);
    EXPECT_EQ(ReadBrandFileLine(BrandFilePath()).status, BrandReadStatus::Unreadable);
    // Only the user's (an installed copy whose folder belongs to the system).
    std::filesystem::create_directories(platform::userDataFolder());
    writeBytes(users, EncodeBrandLine("bought") + "\r\n");
    EXPECT_EQ(BrandFilePath(), users);
    EXPECT_EQ(DecodeBrand(ReadBrandFileLine(BrandFilePath()).line), "bought");
    // A reseller's file beside the program comes first.
    writeBytes(beside, EncodeBrandLine("reseller") + "\r\n");
    EXPECT_EQ(BrandFilePath(), beside);
    EXPECT_EQ(DecodeBrand(ReadBrandFileLine(BrandFilePath()).line), "reseller");

#ifndef _WIN32
    // The warning of an unbranded copy tells where the file goes and how to make one.
    const std::string text = NotBrandedText();
    EXPECT_EQ(text.rfind("This program copy is not branded yet!", 0), 0u);
    EXPECT_NE(text.find(beside), std::string::npos);
    EXPECT_NE(text.find(users), std::string::npos);
    EXPECT_NE(text.find("quillmere-brand write NAME FILE"), std::string::npos);
#else
    EXPECT_EQ(NotBrandedText(), "This program copy is not branded yet!");
#endif
    platform::setProgramPathForTesting("");
}
