// The simulator folder: storing it in "options.cfg", finding it in the install key's value,
// and the name the export proposes.
#include <gtest/gtest.h>

#include "paths/options_file.h"
#include "paths/path_utils.h"
#include "paths/root_search.h"
#include "tests/test_support.h"

namespace {

const std::string Mark = "\xEF\xBB\xBF";

class OptionsStoreTest : public testing::Test {
  protected:
    void SetUp() override {
        KeptProgramFolder = ProgramFolder;
        KeptRoot = SimulatorRoot;
        ProgramFolder = Folder.Path;
        SimulatorRoot = u"C:\\Alt\\";
    }
    void TearDown() override {
        InjectedFaults = PlatformFaults();
        ProgramFolder = KeptProgramFolder;
        SimulatorRoot = KeptRoot;
    }

    ScratchFolder Folder;
    std::u16string KeptProgramFolder;
    std::u16string KeptRoot;
};

TEST_F(OptionsStoreTest, WritesTheMarkAndTheFolderAndReadsItBack) {
    ASSERT_TRUE(WriteOptionsFile(u"C:\\Straße\\Sim\\"));
    EXPECT_EQ(Folder.Read("options.cfg"), Mark + "C:\\Stra\xC3\x9F"
                                                 "e\\Sim\\");
    EXPECT_EQ(SimulatorRoot, u"C:\\Straße\\Sim\\");
    std::u16string root;
    EXPECT_TRUE(ReadOptionsFile(root));
    EXPECT_EQ(root, u"C:\\Straße\\Sim\\");

    // The last store wins and leaves no temporary file beside it.
    ASSERT_TRUE(WriteOptionsFile(u"D:\\"));
    EXPECT_EQ(Folder.Read("options.cfg"), Mark + "D:\\");
    EXPECT_EQ(SimulatorRoot, u"D:\\");
    EXPECT_EQ(Folder.Names(), std::vector<std::string>{"options.cfg"});
}

TEST_F(OptionsStoreTest, AFailedStoreKeepsTheOldFileAndTheRoot) {
    Folder.Write("options.cfg", Mark + "C:\\Alt\\");
    PlatformFaults refusals[3];
    refusals[0].RefuseCreate = true;
    refusals[1].RefuseReplace = true;
    refusals[2].WriteLimit = 5;
    for (const PlatformFaults& fault : refusals) {
        InjectedFaults = fault;
        EXPECT_FALSE(WriteOptionsFile(u"D:\\Neu\\"));
        InjectedFaults = PlatformFaults();
        EXPECT_EQ(Folder.Read("options.cfg"), Mark + "C:\\Alt\\");
        EXPECT_EQ(SimulatorRoot, u"C:\\Alt\\");
        EXPECT_EQ(Folder.Names(), std::vector<std::string>{"options.cfg"});
    }
}

TEST_F(OptionsStoreTest, RefusesWhatCannotBeStoredWithoutWriting) {
    Folder.Write("options.cfg", Mark + "C:\\Alt\\");
    const std::u16string tooLong = u"C:\\" + std::u16string(255, u'a') + u"\\x\\";
    // 173 characters of three UTF-8 bytes each exceed the 520 bytes of the file.
    const std::u16string tooManyBytes = u"C:\\" + std::u16string(173, u'\u20AC') + u"\\";
    const std::u16string lonelySurrogate = u"C:\\a\xD800\\";
    for (const std::u16string& folder :
         {std::u16string(), tooLong, tooManyBytes, lonelySurrogate}) {
        EXPECT_FALSE(WriteOptionsFile(folder)) << U8(folder);
        EXPECT_EQ(Folder.Read("options.cfg"), Mark + "C:\\Alt\\");
        EXPECT_EQ(SimulatorRoot, u"C:\\Alt\\");
    }
    // Exactly 520 bytes still fit.
    const std::u16string fits = std::u16string(172, u'\u20AC') + u"\\\\\\\\";
    std::string bytes;
    ASSERT_TRUE(FormatOptionsFile(fits, bytes));
    EXPECT_EQ(bytes.size(), 3u + 520u);
    EXPECT_FALSE(FormatOptionsFile(fits + u"x", bytes));
    EXPECT_EQ(bytes, "");
}

struct InstallPathsCase {
    const char16_t* Value;
    const char16_t* Folder;
};

TEST(InstallPaths, TakesTheFolderBeforeTheFirstBar) {
    const std::u16string long260 = std::u16string(259, u'a') + u"\\";
    const InstallPathsCase cases[] = {
        {u"C:\\Sim\\Sim.exe|D:\\Alt\\Sim.exe", u"C:\\Sim\\"},
        {u"C:\\Sim\\|D:\\Alt\\", u"C:\\Sim\\"},
        {u"C:\\Sim\\Sim.exe", u"C:\\Sim\\"},
        // No folder ending in a backslash: not found, so that browsing follows.
        {u"Sim", u""},
        {u"\\Sim", u""}, // a backslash in the first place does not count
        {u"C:", u""},
        {u"D:Sim", u""},
        {u"C:|D:\\Sim\\", u""},
        {u"\\", u"\\"},
        {u"C:\\Sim|", u"C:\\"}, // a bar in the last place does not count
        {u"|C:\\Sim\\", u""},
        {u"", u""},
        {u"C:\\Sim\\a.exe|D:\\b|E:\\c", u"C:\\Sim\\"},
    };
    for (const InstallPathsCase& c : cases) {
        EXPECT_EQ(FolderFromInstallPaths(c.Value), c.Folder) << U8(c.Value);
    }
    // A value stored with its terminator and junk behind it ends at the terminator.
    EXPECT_EQ(FolderFromInstallPaths(std::u16string(u"C:\\S\\x\0D:\\junk\\", 14)), u"C:\\S\\");
    // Too long before the bar: nothing, so that browsing follows.
    EXPECT_EQ(FolderFromInstallPaths(long260 + u"s.exe"), u"");
    EXPECT_EQ(FolderFromInstallPaths(long260.substr(1) + u"|x"), long260.substr(1));
}

TEST(InstallPaths, APickedFolderGetsExactlyOneBackslash) {
    EXPECT_EQ(PickedFolderWithBackslash(u"C:\\Sim"), u"C:\\Sim\\");
    EXPECT_EQ(PickedFolderWithBackslash(u"C:\\"), u"C:\\");
    EXPECT_EQ(PickedFolderWithBackslash(std::u16string(258, u'a')),
              std::u16string(258, u'a') + u"\\");
    EXPECT_EQ(PickedFolderWithBackslash(std::u16string(259, u'a')), u"");
}

struct ProposalCase {
    const char16_t* Name;
    const char16_t* Proposed;
};

TEST(ExportName, TheProposalLosesItsExtension) {
    const ProposalCase cases[] = {
        {u"(unbenannt)", u"(unbenannt)"},
        {u"C:\\Sim\\Bahnhof.fzlgrp", u"C:\\Sim\\Bahnhof"},
        {u"C:\\Sim\\a.b.fzlgrp", u"C:\\Sim\\a.b"},
        {u"C:\\Sim.1\\Bahnhof", u"C:\\Sim"}, // the folder's full stop is cut all the same
        {u"ab.", u"ab"},
        {u"a.b", u"a.b"}, // the first two characters are never looked at
        {u".b", u".b"},
        {u"", u""},
    };
    for (const ProposalCase& c : cases) {
        std::u16string name = c.Name;
        CutAtLastFullStop(name, 2);
        EXPECT_EQ(name, c.Proposed) << U8(c.Name);
    }
}

} // namespace
