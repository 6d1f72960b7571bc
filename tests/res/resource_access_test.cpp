// Resource paths over real zip archives, made both by the zip tool and by minizip's own writer.
#include "res/resource_access.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "res/error_report.h"
#include "support/sound_files.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

struct Member {
    std::string name;
    Bytes data;
    int method;  // 0 stored, Z_DEFLATED
};

bool WriteZip(const std::string& path, const std::vector<Member>& members) {
    zipFile zip = zipOpen(path.c_str(), APPEND_STATUS_CREATE);
    if (zip == nullptr) {
        return false;
    }
    bool ok = true;
    for (const Member& member : members) {
        zip_fileinfo info{};
        ok = ok && zipOpenNewFileInZip(zip, member.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                       member.method, member.method == 0 ? 0 : 9) == ZIP_OK;
        ok = ok && zipWriteInFileInZip(zip, member.data.data(), static_cast<unsigned>(member.data.size())) ==
                       ZIP_OK;
        ok = ok && zipCloseFileInZip(zip) == ZIP_OK;
    }
    return zipClose(zip, nullptr) == ZIP_OK && ok;
}

Bytes Pattern(size_t size, unsigned seed) {
    Bytes data(size);
    for (size_t i = 0; i < size; ++i) {
        data[i] = static_cast<uint8_t>((i * 7 + seed) % 251 ^ (i >> 9));
    }
    return data;
}

// Everything a stream holds, read through its own callbacks; also checks that its size is reported.
Bytes Drain(SDL_RWops* stream) {
    Bytes data;
    const Sint64 size = SDL_RWseek(stream, 0, RW_SEEK_END);
    EXPECT_EQ(SDL_RWsize(stream), size);
    SDL_RWseek(stream, 0, RW_SEEK_SET);
    uint8_t chunk[1000];
    size_t got = 0;
    while ((got = SDL_RWread(stream, chunk, 1, sizeof chunk)) > 0) {
        data.insert(data.end(), chunk, chunk + got);
    }
    EXPECT_EQ(static_cast<size_t>(size), data.size());
    return data;
}

Bytes ReadStreamAndClose(const std::string& resourcePath) {
    SDL_RWops* stream = OpenResourceStream(resourcePath.c_str());
    if (stream == nullptr) {
        ADD_FAILURE() << "no stream for " << resourcePath;
        return {};
    }
    Bytes data = Drain(stream);
    EXPECT_EQ(SDL_RWclose(stream), 0);
    return data;
}

uint16_t Read16(const Bytes& b, size_t at) {
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

void Write32(Bytes& b, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        b[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

// Offset of the first member's data in an archive whose first member starts at 0.
size_t FirstMemberData(const Bytes& archive) {
    return 30 + Read16(archive, 26) + Read16(archive, 28);
}

size_t CentralDirectory(const Bytes& archive) {
    for (size_t i = 0; i + 4 <= archive.size(); ++i) {
        if (archive[i] == 'P' && archive[i + 1] == 'K' && archive[i + 2] == 1 && archive[i + 3] == 2) {
            return i;
        }
    }
    return 0;
}

class ResourceAccess : public ::testing::Test {
  protected:
    void SetUp() override {
        previous_ = fs::current_path();
        folder_ =
            fs::temp_directory_path() / ("quz-res-" + std::to_string(getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "tmp");
        testfiles::RemoveAtExit(folder_);
        fs::current_path(folder_);
        const char* oldTmp = getenv("TMPDIR");
        oldTmpDir_ = oldTmp != nullptr ? oldTmp : "";
        setenv("TMPDIR", (folder_ / "tmp").c_str(), 1);
        bip_ = testfiles::MakeWav(0.1);
        song_ = Bytes(120000, 0x55);  // compresses well
        for (size_t i = 0; i < song_.size(); i += 97) {
            song_[i] = static_cast<uint8_t>(i);
        }
        ASSERT_TRUE(WriteZip(
            "pack.zip",
            {{"sound/bip.wav", bip_, 0}, {"sound/1.zik", song_, Z_DEFLATED}, {"empty.txt", {}, Z_DEFLATED}}));
    }

    void TearDown() override {
        fs::current_path(previous_);
        if (oldTmpDir_.empty()) {
            unsetenv("TMPDIR");
        } else {
            setenv("TMPDIR", oldTmpDir_.c_str(), 1);
        }
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    std::string PrivateFolder() const {
        return (folder_ / "tmp" / ("quz-" + std::to_string(geteuid()))).string();
    }

    fs::path previous_;
    fs::path folder_;
    std::string oldTmpDir_;
    Bytes bip_;
    Bytes song_;
};

TEST_F(ResourceAccess, MinizipArchiveStoredDeflatedAndEmptyMembers) {
    EXPECT_EQ(ReadStreamAndClose("zip:pack.zip,sound/bip.wav"), bip_);
    EXPECT_EQ(ReadStreamAndClose("zip:pack.zip,sound/1.zik"), song_);
    EXPECT_TRUE(ReadStreamAndClose("zip:pack.zip,empty.txt").empty());
    // The prefix and the member name are both found whatever their letter case.
    EXPECT_EQ(ReadStreamAndClose("ZIP:pack.zip,sound/bip.wav"), bip_);
    EXPECT_EQ(ReadStreamAndClose("Zip:pack.zip,SOUND/BIP.WAV"), bip_);
    // The member name starts after the last comma, so an archive path may hold commas.
    fs::copy_file("pack.zip", "a,b.zip");
    EXPECT_EQ(ReadStreamAndClose("zip:a,b.zip,sound/bip.wav"), bip_);
}

TEST_F(ResourceAccess, ZipToolArchivesStoredAndDeflated) {
    fs::create_directories("src/sound");
    ASSERT_TRUE(testfiles::WriteFile("src/sound/bip.wav", bip_));
    ASSERT_TRUE(testfiles::WriteFile("src/sound/1.zik", song_));
    ASSERT_TRUE(testfiles::WriteFile("src/empty.txt", {}));
    ASSERT_EQ(
        system("cd src && zip -q -r ../deflated.zip sound empty.txt && zip -q -0 -r ../stored.zip sound"), 0);
    for (const char* archive : {"deflated.zip", "stored.zip"}) {
        std::string prefix = std::string("zip:") + archive + ",";
        EXPECT_EQ(ReadStreamAndClose(prefix + "sound/bip.wav"), bip_) << archive;
        EXPECT_EQ(ReadStreamAndClose(prefix + "Sound/1.ZIK"), song_) << archive;
    }
    EXPECT_TRUE(ReadStreamAndClose("zip:deflated.zip,empty.txt").empty());
}

TEST_F(ResourceAccess, InvalidOrMissingGiveNothing) {
    char out[kResourcePathSize];
    for (const char* path : {"zip:pack.zip", "zip:", "zip:missing.zip,sound/bip.wav",
                             "zip:pack.zip,sound/none.wav", "zip:pack.zip,", "missing/plain.wav"}) {
        EXPECT_EQ(OpenResourceStream(path), nullptr) << path;
        if (strncmp(path, "zip:", 4) == 0) {
            EXPECT_FALSE(ResolveResourceFile(path, out, sizeof out)) << path;
        }
    }
    EXPECT_EQ(OpenArchiveMemberStream("pack.zip", "nothing"), nullptr);
    ASSERT_TRUE(testfiles::WriteFile("not-a.zip", Pattern(5000, 3)));
    EXPECT_EQ(OpenResourceStream("zip:not-a.zip,sound/bip.wav"), nullptr);
}

TEST_F(ResourceAccess, LooseFileOverridesTheArchiveAndPlainPathsStayAsGiven) {
    fs::create_directories("sound");
    Bytes loose = Pattern(300, 9);
    ASSERT_TRUE(testfiles::WriteFile("sound/bip.wav", loose));
    // The archive is not even opened when the loose file is there.
    EXPECT_EQ(ReadStreamAndClose("zip:anything.zip,sound/bip.wav"), loose);
    EXPECT_EQ(ReadStreamAndClose("zip:pack.zip,sound/bip.wav"), loose);
    EXPECT_EQ(ReadStreamAndClose("sound/bip.wav"), loose);
    char out[kResourcePathSize];
    ASSERT_TRUE(ResolveResourceFile("zip:anything.zip,sound/bip.wav", out, sizeof out));
    EXPECT_STREQ(out, "sound/bip.wav");
    ASSERT_TRUE(ResolveResourceFile("data/x.png", out, sizeof out));
    EXPECT_STREQ(out, "data/x.png");
    ASSERT_TRUE(ToNativeSeparators(out, sizeof out, "data/sound/bip.wav"));
    EXPECT_STREQ(out, "data/sound/bip.wav");
}

TEST_F(ResourceAccess, DamagedMembersAreRefused) {
    // Deflated data that no longer inflates, and stored data that no longer matches its checksum.
    ASSERT_TRUE(WriteZip("deflated.zip", {{"song", song_, Z_DEFLATED}}));
    ASSERT_TRUE(WriteZip("stored.zip", {{"bip", bip_, 0}}));
    for (const char* name : {"deflated.zip", "stored.zip"}) {
        Bytes archive = testfiles::ReadFile(name);
        size_t data = FirstMemberData(archive);
        for (size_t i = data + 2; i < data + 40; ++i) {
            archive[i] = static_cast<uint8_t>(archive[i] ^ 0x5A);
        }
        ASSERT_TRUE(testfiles::WriteFile(name, archive));
    }
    EXPECT_EQ(OpenResourceStream("zip:deflated.zip,song"), nullptr);
    EXPECT_EQ(OpenResourceStream("zip:stored.zip,bip"), nullptr);
    char out[kResourcePathSize];
    EXPECT_FALSE(ResolveResourceFile("zip:deflated.zip,song", out, sizeof out));
    EXPECT_FALSE(ResolveResourceFile("zip:stored.zip,bip", out, sizeof out));
}

TEST_F(ResourceAccess, AbsurdDeclaredSizesAreRefused) {
    // Claims patched into both the local header and the directory, so the reader itself sees no
    // inconsistency: 4 GB for a stored member, and a deflated member claiming 200 MB from a few bytes.
    ASSERT_TRUE(WriteZip("huge.zip", {{"bip", bip_, 0}}));
    ASSERT_TRUE(WriteZip("bomb.zip", {{"song", Bytes(100, 1), Z_DEFLATED}}));
    for (auto [name, claim] : {std::pair{"huge.zip", 0xFFFFFFF0u}, std::pair{"bomb.zip", 200u << 20}}) {
        Bytes archive = testfiles::ReadFile(name);
        Write32(archive, 22, claim);
        Write32(archive, CentralDirectory(archive) + 24, claim);
        ASSERT_TRUE(testfiles::WriteFile(name, archive));
    }
    EXPECT_EQ(OpenResourceStream("zip:huge.zip,bip"), nullptr);
    EXPECT_EQ(OpenResourceStream("zip:bomb.zip,song"), nullptr);
    char out[kResourcePathSize];
    EXPECT_FALSE(ResolveResourceFile("zip:bomb.zip,song", out, sizeof out));
}

TEST_F(ResourceAccess, OverlongPathsAreRefusedNotCut) {
    std::string longMember(kResourcePathSize, 'm');
    std::string longPath = "zip:pack.zip," + longMember;
    char out[kResourcePathSize];
    EXPECT_EQ(OpenResourceStream(longPath.c_str()), nullptr);
    EXPECT_EQ(OpenResourceStream(std::string(kResourcePathSize, 'p').c_str()), nullptr);
    EXPECT_FALSE(ResolveResourceFile(longPath.c_str(), out, sizeof out));
    EXPECT_FALSE(ExtractArchiveMember(longMember.c_str(), "sound/bip.wav", out, sizeof out));
    // A path of exactly 4095 characters still fits: it is looked up (and not found), not refused.
    std::string longest = "zip:pack.zip," + std::string(kResourcePathSize - 1 - 13, 'n');
    EXPECT_EQ(OpenResourceStream(longest.c_str()), nullptr);
    EXPECT_FALSE(ToNativeSeparators(out, 8, "data/a/long/path"));
    EXPECT_STREQ(out, "");
}

TEST_F(ResourceAccess, ExtractionsShareOneFileInAPrivateFolder) {
    char first[kResourcePathSize];
    char second[kResourcePathSize];
    ASSERT_TRUE(ResolveResourceFile("zip:pack.zip,sound/1.zik", first, sizeof first));
    EXPECT_EQ(testfiles::ReadFile(first), song_);
    ASSERT_TRUE(ResolveResourceFile("zip:pack.zip,sound/bip.wav", second, sizeof second));
    EXPECT_STREQ(first, second);
    EXPECT_EQ(std::string(second), PrivateFolder() + "/SDL.tmp");
    EXPECT_EQ(testfiles::ReadFile(second), bip_) << "the second extraction replaced the first";
    struct stat info {};
    ASSERT_EQ(stat(PrivateFolder().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    // A failed look-up leaves the last extraction alone.
    EXPECT_FALSE(ExtractArchiveMember("pack.zip", "none", first, sizeof first));
    EXPECT_EQ(testfiles::ReadFile(second), bip_);
}

TEST_F(ResourceAccess, PlantedLinkIsNotFollowed) {
    char out[kResourcePathSize];
    ASSERT_TRUE(ResolveResourceFile("zip:pack.zip,sound/bip.wav", out, sizeof out));  // makes the folder
    Bytes victim = Pattern(64, 1);
    ASSERT_TRUE(testfiles::WriteFile("victim", victim));
    std::string tempFile = PrivateFolder() + "/SDL.tmp";
    fs::remove(tempFile);
    fs::create_symlink(folder_ / "victim", tempFile);
    ASSERT_TRUE(ResolveResourceFile("zip:pack.zip,sound/1.zik", out, sizeof out));
    EXPECT_EQ(testfiles::ReadFile("victim"), victim);
    EXPECT_FALSE(fs::is_symlink(tempFile));
    EXPECT_EQ(testfiles::ReadFile(out), song_);
}

TEST_F(ResourceAccess, ForeignOrLinkedTempFolderIsRefused) {
    char out[kResourcePathSize];
    fs::create_directories("elsewhere");
    fs::create_directory_symlink(folder_ / "elsewhere", PrivateFolder());
    EXPECT_FALSE(ResolveResourceFile("zip:pack.zip,sound/bip.wav", out, sizeof out));
    EXPECT_FALSE(fs::exists(folder_ / "elsewhere" / "SDL.tmp"));
    fs::remove(PrivateFolder());

    // Our own folder left open to others is closed again and used.
    fs::create_directory(PrivateFolder());
    chmod(PrivateFolder().c_str(), 0777);
    EXPECT_TRUE(ResolveResourceFile("zip:pack.zip,sound/bip.wav", out, sizeof out));
    struct stat info {};
    ASSERT_EQ(stat(PrivateFolder().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    if (geteuid() == 0) {  // only root can hand the folder to someone else
        ASSERT_EQ(chown(PrivateFolder().c_str(), 65534, 65534), 0);
        EXPECT_FALSE(ResolveResourceFile("zip:pack.zip,sound/bip.wav", out, sizeof out));
    }
}

TEST_F(ResourceAccess, MemberStreamReadsAndSeeksLikeAFile) {
    SDL_RWops* stream = OpenResourceStream("zip:pack.zip,sound/bip.wav");
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(SDL_RWseek(stream, 0, RW_SEEK_END), static_cast<int>(bip_.size()));
    EXPECT_EQ(SDL_RWseek(stream, -4, RW_SEEK_END), static_cast<int>(bip_.size()) - 4);
    uint8_t tail[8] = {};
    EXPECT_EQ(SDL_RWread(stream, tail, 1, 8), 4) << "only what is left";
    EXPECT_EQ(SDL_RWread(stream, tail, 4, 1), 0);
    EXPECT_EQ(SDL_RWseek(stream, -10, RW_SEEK_SET), 0);
    EXPECT_EQ(SDL_RWtell(stream), 0);
    EXPECT_EQ(SDL_RWwrite(stream, tail, 1, 1), 0u);
    EXPECT_EQ(SDL_RWclose(stream), 0);
}

TEST_F(ResourceAccess, ReadWholeFileReadsOrReportsFatally) {
    Bytes data = Pattern(4000, 5);
    ASSERT_TRUE(testfiles::WriteFile("whole.bin", data));
    unsigned char* buffer = nullptr;
    int32_t size = -1;
    ASSERT_TRUE(ReadWholeFile("whole.bin", &buffer, &size));
    EXPECT_EQ(Bytes(buffer, buffer + size), data);
    free(buffer);

    EXPECT_EXIT(ReadWholeFile("missing.bin", &buffer, &size), ::testing::ExitedWithCode(1),
                " Error: 'Cannot Load missing.bin'");
    SetErrorsFatal(nullptr);
    EXPECT_FALSE(ReadWholeFile("missing.bin", &buffer, &size));
    EXPECT_TRUE(ErrorRaised());
    SetErrorsFatal(reinterpret_cast<const void*>(1));
}

}  // namespace
