#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

#include "ArchiveUnpacker.h"
#include "CentralDirectory.h"
#include "FileNames.h"
#include "TempDir.h"
#include "ZipMaker.h"
#include "codepage.h"

namespace {

using Names = std::vector<std::string>;

// Unpacks `zip` into a fresh folder and records every question asked.
struct TUnpackRun {
    TTempDir dir;
    std::string dest = dir.Sub("prog");
    std::string archive = dir.Path() + "update.zip";
    Names asked;
    std::function<bool(const std::string&)> answer = [](const std::string&) { return false; };
    std::uint64_t limit = std::uint64_t(1) << 30;
    std::string error;
    Names written;

    bool Run(const TZipMaker& zip)
    {
        zip.Save(archive);
        return RunFile();
    }
    bool RunFile()
    {
        TArchiveUnpacker::THooks hooks;
        hooks.askReplace = [this](const std::string& name) {
            asked.push_back(name);
            return answer(name);
        };
        TArchiveUnpacker unpacker(hooks, limit);
        const bool ok = unpacker.Unpack(ReadFile(archive), dest);
        error = unpacker.Error();
        written = unpacker.Written();
        return ok;
    }
    mode_t Mode(const std::string& name) const
    {
        struct stat st {};
        return ::lstat((dest + name).c_str(), &st) == 0 ? st.st_mode : 0;
    }
};

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

} // namespace

TEST(EntryNames, FlattenedToTheLastComponentOrRefused)
{
    EXPECT_EQ(FlattenEntryName("setup.exe"), "setup.exe");
    EXPECT_EQ(FlattenEntryName("a/b/c.dll"), "c.dll");
    EXPECT_EQ(FlattenEntryName("a\\b\\c.dll"), "c.dll");
    EXPECT_EQ(FlattenEntryName("../../x"), "x");
    EXPECT_EQ(FlattenEntryName("/abs/x"), "x");
    EXPECT_EQ(FlattenEntryName("a\\..\\..\\x"), "x");
    EXPECT_EQ(FlattenEntryName("C:\\x"), "x");
    EXPECT_EQ(FlattenEntryName(" .x "), " .x ");
    for (const std::string& bad : std::vector<std::string>{"", "/", "dir/", "dir\\", ".", "..", "a/..", "a\\.", "../..",
                                  std::string("a\0b", 3), std::string("x/y\0", 4)})
        EXPECT_EQ(FlattenEntryName(bad), "") << bad;

    EXPECT_TRUE(IsBareFileName("Pallido2"));
    for (const std::string& bad : std::vector<std::string>{"", ".", "..", "../x", "a/b", "a\\b", std::string("a\0", 2)})
        EXPECT_FALSE(IsBareFileName(bad)) << bad;
}

TEST(EntryNames, EightBitNamesBecomeUtf8)
{
    const std::string utf8 = "说明.txt";
    EXPECT_EQ(EntryNameToUtf8(utf8), utf8);
    EXPECT_EQ(EntryNameToUtf8(Ansi(utf8)), utf8);
    // A GBK trail byte of 0x5C must not be taken for a folder separator.
    const std::string withTrail5C = "\x81\x5c.txt";
    EXPECT_EQ(FlattenEntryName(EntryNameToUtf8(withTrail5C)), AnsiToUtf8(withTrail5C));
}

TEST(Unpack, FlatArchiveAndFolderTreeLandDirectlyInTheFolder)
{
    TUnpackRun run;
    ASSERT_TRUE(run.Run(TZipMaker()
                            .File("top.txt", "top")
                            .Folder("pkg/")
                            .Folder("pkg/lib/")
                            .File("pkg/lib/core.so", std::string(100000, 'c'))
                            .File("pkg\\skins\\blue.ini", "blue", 0, false)
                            .File("pkg/empty.dat", "")))
        << run.error;
    EXPECT_EQ(ListFolder(run.dest), (Names{"blue.ini", "core.so", "empty.dat", "top.txt"}));
    EXPECT_EQ(ReadFile(run.dest + "core.so"), std::string(100000, 'c'));
    EXPECT_EQ(ReadFile(run.dest + "blue.ini"), "blue");
    EXPECT_EQ(run.written, (Names{"top.txt", "core.so", "blue.ini", "empty.dat"}));
    EXPECT_TRUE(run.asked.empty());
    EXPECT_EQ(ListFolder(run.dir.Path()), (Names{"prog", "update.zip"}));
}

TEST(Unpack, NothingIsWrittenOutsideTheFolder)
{
    TTempDir outer;
    TUnpackRun run;
    run.dest = run.dir.Sub("a/b/prog");
    // A link already in the folder that points outside: replacing it must
    // replace the link, not write through it.
    const std::string outside = outer.Path() + "victim";
    WriteFile(outside, "untouched");
    ASSERT_EQ(::symlink(outside.c_str(), (run.dest + "link").c_str()), 0);
    run.answer = [](const std::string&) { return true; };

    ASSERT_TRUE(run.Run(TZipMaker()
                            .File("../../x1", "1")
                            .File("/abs/x2", "2")
                            .File("a\\..\\..\\x3", "3")
                            .File("..", "dots")
                            .File("sub/..", "dots")
                            .File(".", "dot")
                            .File("a/./", "dir")
                            .Symlink("evil", "/etc/passwd")
                            .Symlink("sub/evil2", "../../../x")
                            .File("link", "replaced")))
        << run.error;
    EXPECT_EQ(ListFolder(run.dest), (Names{"link", "x1", "x2", "x3"}));
    EXPECT_EQ(ReadFile(run.dest + "x3"), "3");
    EXPECT_TRUE(S_ISREG(run.Mode("link")));
    EXPECT_EQ(ReadFile(run.dest + "link"), "replaced");
    EXPECT_EQ(ReadFile(outside), "untouched");
    EXPECT_EQ(ListFolder(run.dir.Path() + "a"), (Names{"b"}));
    EXPECT_EQ(ListFolder(run.dir.Path() + "a/b"), (Names{"prog"}));
    EXPECT_EQ(ListFolder(run.dir.Path()), (Names{"a", "prog", "update.zip"}));
}

TEST(Unpack, NamesHoldingANulByteAreSkipped)
{
    TUnpackRun run;
    TZipMaker()
        .File("good.txt", "g")
        .File("evilQname", "e")
        .File("dir/evilQname/../../x", "e")
        .File("last.txt", "l")
        .Save(run.archive);
    WriteFile(run.archive,
              Replace(ReadFile(run.archive), "evilQname", std::string("evil\0name", 9)));
    auto stored = CentralDirectoryNames(ReadFile(run.archive));
    ASSERT_TRUE(stored);
    EXPECT_EQ(*stored, (Names{"good.txt", std::string("evil\0name", 9),
                              std::string("dir/evil\0name/../../x", 21), "last.txt"}));
    ASSERT_TRUE(run.RunFile()) << run.error;
    EXPECT_EQ(ListFolder(run.dest), (Names{"good.txt", "last.txt"}));
}

TEST(Unpack, CentralDirectoryOfLargeAndOddArchives)
{
    // Over 65535 entries: the count lives in the ZIP64 end record.
    TZipMaker many;
    for (int i = 0; i < 70000; ++i)
        many.File("f" + std::to_string(i), "", 0100644, false);
    auto names = CentralDirectoryNames(many.Bytes());
    ASSERT_TRUE(names);
    ASSERT_EQ(names->size(), 70000u);
    EXPECT_EQ(names->back(), "f69999");

    std::string commented = TZipMaker().File("a", "1").Bytes();
    commented[commented.size() - 2] = 5; // archive comment length
    commented += "hello";
    EXPECT_EQ(CentralDirectoryNames(commented), (std::optional<Names>{{"a"}}));

    for (const std::string& broken : std::vector<std::string>{"", "PK", std::string(100, '\0'),
                                                              commented.substr(0, commented.size() - 30)})
        EXPECT_FALSE(CentralDirectoryNames(broken));
}

TEST(Unpack, FilesAre0755WhenExecutableAnd0644OtherwiseNeverWritableByOthers)
{
    struct TCase {
        mode_t umask;
        mode_t program;
        mode_t plain;
    };
    for (const TCase& c : {TCase{022, 0755, 0644}, TCase{0, 0755, 0644}, TCase{077, 0700, 0600}}) {
        SCOPED_TRACE(c.umask);
        const mode_t saved = ::umask(c.umask);
        TUnpackRun run;
        const bool ok = run.Run(TZipMaker()
                                    .File("bin/app", "#!/bin/sh\n", 0100755)
                                    .File("group-exec", "#!/bin/sh\n", 0100710)
                                    .File("private.key", "k", 0100640)
                                    .File("everyone.txt", "w", 0100666)
                                    .File("all.sh", "a", 0100777)
                                    .File("setuid", "s", 0104755)
                                    .File("dos.txt", "d", 0));
        ::umask(saved);
        ASSERT_TRUE(ok) << run.error;
        for (const char* name : {"app", "group-exec", "all.sh", "setuid"})
            EXPECT_EQ(run.Mode(name) & 07777, c.program) << name;
        for (const char* name : {"private.key", "everyone.txt", "dos.txt"})
            EXPECT_EQ(run.Mode(name) & 07777, c.plain) << name;
    }
    TUnpackRun run;
    ASSERT_TRUE(run.Run(TZipMaker().File("app", "#!/bin/sh\n", 0100755)));
    EXPECT_EQ(::access((run.dest + "app").c_str(), X_OK), 0);
}

TEST(Unpack, ArchivesOfMoreThanTenThousandEntriesAreRefusedWhole)
{
    TZipMaker many;
    for (int i = 0; i < 10000; ++i)
        many.File("f" + std::to_string(i), "", 0100644, false);
    TUnpackRun run;
    ASSERT_TRUE(run.Run(many)) << run.error;
    EXPECT_EQ(run.written.size(), 10000u);

    many.File("one-more", "", 0100644, false);
    TUnpackRun over;
    EXPECT_FALSE(over.Run(many));
    EXPECT_NE(over.error.find("more than 10000 entries"), std::string::npos) << over.error;
    EXPECT_TRUE(ListFolder(over.dest).empty());
}

TEST(Unpack, ExistingFilesAreReplacedOnlyAfterYes)
{
    TUnpackRun run;
    const std::string chinese = "说明.txt";
    WriteFile(run.dest + "keep.txt", "old keep");
    WriteFile(run.dest + "swap.txt", "old swap");
    WriteFile(run.dest + chinese, "old readme");
    run.answer = [](const std::string& name) { return name != "keep.txt"; };
    ASSERT_TRUE(run.Run(TZipMaker()
                            .File("new/keep.txt", "new keep")
                            .File("new/swap.txt", "new swap")
                            .File("new/fresh.txt", "fresh")
                            .File("new/" + Ansi(chinese), "new readme")))
        << run.error;
    EXPECT_EQ(run.asked, (Names{"keep.txt", "swap.txt", Ansi(chinese)}));
    EXPECT_EQ(ReadFile(run.dest + "keep.txt"), "old keep");
    EXPECT_EQ(ReadFile(run.dest + "swap.txt"), "new swap");
    EXPECT_EQ(ReadFile(run.dest + "fresh.txt"), "fresh");
    EXPECT_EQ(ReadFile(run.dest + chinese), "new readme");
    EXPECT_EQ(ListFolder(run.dest), (Names{"fresh.txt", "keep.txt", "swap.txt", chinese}));
}

TEST(Unpack, EachFileNameIsAskedAboutOnce)
{
    // Folders flatten several entries onto one name: the first answer holds
    // for all of them, and a name this archive created is not asked about.
    for (bool yes : {false, true}) {
        TUnpackRun run;
        WriteFile(run.dest + "config.ini", "old");
        run.answer = [yes](const std::string&) { return yes; };
        ASSERT_TRUE(run.Run(TZipMaker()
                                .File("a/config.ini", "first")
                                .File("b/config.ini", "second")
                                .File("a/readme.txt", "one")
                                .File("b/readme.txt", "two")
                                .File("c/config.ini", "third")))
            << run.error;
        EXPECT_EQ(run.asked, (Names{"config.ini"}));
        EXPECT_EQ(ReadFile(run.dest + "config.ini"), yes ? "third" : "old");
        EXPECT_EQ(ReadFile(run.dest + "readme.txt"), "two");
    }
}

TEST(Unpack, FolderInTheWayFailsWithoutAQuestion)
{
    TUnpackRun run;
    std::filesystem::create_directory(run.dest + "plugins");
    EXPECT_FALSE(run.Run(TZipMaker().File("plugins", "x")));
    EXPECT_TRUE(run.asked.empty());
    EXPECT_TRUE(std::filesystem::is_directory(run.dest + "plugins"));
}

TEST(Unpack, CorruptArchiveFailsAndKeepsWhatWasExtractedBefore)
{
    TUnpackRun run;
    TZipMaker()
        .File("first.txt", std::string(5000, 'A'), 0100644, false)
        .File("second.txt", std::string(5000, 'B'), 0100644, false)
        .File("third.txt", std::string(5000, 'C'), 0100644, false)
        .Save(run.archive);
    std::string bytes = ReadFile(run.archive);
    bytes[bytes.find(std::string(5000, 'B')) + 2500] = 'b';
    WriteFile(run.archive, bytes);
    EXPECT_FALSE(run.RunFile());
    EXPECT_FALSE(run.error.empty());
    EXPECT_EQ(ListFolder(run.dest), (Names{"first.txt"}));
    EXPECT_EQ(ReadFile(run.dest + "first.txt"), std::string(5000, 'A'));

    // A damaged deflate stream, a truncated archive, something else entirely.
    TZipMaker deflated;
    deflated.File("one.txt", "1").File("two.bin", std::string(200000, 'z'));
    std::string d = deflated.Bytes();
    const auto at = d.find("two.bin");
    for (std::size_t i = at + 7; i < at + 40; ++i)
        d[i] = static_cast<char>(~d[i]);
    for (const std::string& broken :
         {d, deflated.Bytes().substr(0, 300), std::string("PK\x03\x04 not really"),
          std::string("<html>404</html>"), std::string()}) {
        TUnpackRun r;
        WriteFile(r.archive, broken);
        EXPECT_FALSE(r.RunFile());
        for (const auto& name : ListFolder(r.dest))
            EXPECT_EQ(name.rfind(".pallido-part-", 0), std::string::npos) << name;
    }
}

TEST(Unpack, TotalUnpackedSizeIsCapped)
{
    // One entry that inflates past the cap: fails, and no part of it stays.
    TUnpackRun bomb;
    bomb.limit = 1 << 20;
    EXPECT_FALSE(bomb.Run(TZipMaker().File("small.txt", "s").File("zeros.bin", std::string(3 << 20, '\0'))));
    EXPECT_NE(bomb.error.find("more than"), std::string::npos) << bomb.error;
    EXPECT_EQ(ListFolder(bomb.dest), (Names{"small.txt"}));

    // Many entries each under the cap but together over it.
    TUnpackRun many;
    many.limit = 1 << 20;
    TZipMaker zip;
    for (int i = 0; i < 5; ++i)
        zip.File("part" + std::to_string(i), std::string(300 << 10, 'p'));
    EXPECT_FALSE(many.Run(zip));
    EXPECT_EQ(ListFolder(many.dest), (Names{"part0", "part1", "part2"}));

    // Exactly at the cap is fine.
    TUnpackRun exact;
    exact.limit = 1 << 20;
    EXPECT_TRUE(exact.Run(TZipMaker().File("a", std::string(1 << 19, 'a')).File("b", std::string(1 << 19, 'b'))));
}

TEST(Unpack, CancellationStopsBetweenEntries)
{
    TUnpackRun run;
    TZipMaker().File("a", "1").File("b", "2").File("c", "3").Save(run.archive);
    int polls = 0;
    TArchiveUnpacker::THooks hooks;
    hooks.cancelled = [&polls] { return ++polls > 3; };
    TArchiveUnpacker unpacker(hooks, 1 << 20);
    EXPECT_FALSE(unpacker.Unpack(ReadFile(run.archive), run.dest));
    EXPECT_LT(ListFolder(run.dest).size(), 3u);
}
