// Shortening names against the simulator folder and the document's folder.
#include <gtest/gtest.h>

#include "paths/path_utils.h"
#include "tests/test_support.h"

namespace {

struct PathsTest : ::testing::Test {
    void SetUp() override {
        SimulatorRoot = u"C:\\Sim\\";
        DocumentFolder.clear();
    }
    void TearDown() override {
        SimulatorRoot.clear();
        DocumentFolder.clear();
    }
    static std::u16string Shortened(std::u16string path) { return MakeRelativePath(path); }
};

TEST_F(PathsTest, TheWorkedExample) {
    SetDocumentFolder(u"C:\\Sim\\Objekte\\Bahnhof\\Gruppe.fzlgrp");
    EXPECT_EQ(DocumentFolder, u"\\Objekte\\Bahnhof\\");
    EXPECT_EQ(Shortened(u"c:\\sim\\Objekte\\Bahnhof\\Lampe.fzlobj"), u"Lampe.fzlobj");
    EXPECT_EQ(Shortened(u"C:\\Sim\\Objekte\\Signale\\Hp.fzlobj"), u"\\Objekte\\Signale\\Hp.fzlobj");
    EXPECT_EQ(Shortened(u"D:\\Eigene\\Baum.fzlobj"), u"D:\\Eigene\\Baum.fzlobj");
    EXPECT_EQ(Shortened(u"\\Objekte\\Bahnhof\\Sub\\Bank.fzlobj"), u"Sub\\Bank.fzlobj");
}

TEST_F(PathsTest, RootRule) {
    struct Case {
        std::u16string In, Out;
    } cases[] = {
        {u"c:\\SIM\\", u"\\"},
        {u"C:\\Si", u"C:\\Si"},
        {u"C:\\Simulator\\a", u"C:\\Simulator\\a"},
        {u"C:\\Sim\\A\\b.FZLOBJ", u"\\A\\b.FZLOBJ"},
        {u"Signale\\Hp.fzlobj", u"Signale\\Hp.fzlobj"},
        {u"\\Objekte\\x", u"\\Objekte\\x"},
        {u"", u""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Shortened(c.In), c.Out);
    SimulatorRoot.clear();
    EXPECT_EQ(Shortened(u"C:\\Sim\\a"), u"C:\\Sim\\a");
}

TEST_F(PathsTest, FolderRule) {
    DocumentFolder = u"D:\\Szenen\\";
    EXPECT_EQ(Shortened(u"D:\\Szenen\\"), u"");
    EXPECT_EQ(Shortened(u"d:\\szenen\\Bahnhof\\a.fzlobj"), u"Bahnhof\\a.fzlobj");
    EXPECT_EQ(Shortened(u"C:\\Sim\\x.fzlobj"), u"\\x.fzlobj");
}

TEST_F(PathsTest, DocumentFolderForEveryPlace) {
    SetDocumentFolder(u"D:\\Eigene\\Szene.fzlgrp");
    EXPECT_EQ(DocumentFolder, u"D:\\Eigene\\");
    SetDocumentFolder(u"C:\\Sim\\a.fzlgrp");
    EXPECT_EQ(DocumentFolder, u"\\");
    EXPECT_EQ(Shortened(u"C:\\Sim\\Lampe.fzlobj"), u"Lampe.fzlobj");
    SetDocumentFolder(u"a.fzlgrp");
    EXPECT_EQ(DocumentFolder, u"");
    std::u16string longName(5000, u'x');
    SetDocumentFolder(u"C:\\Sim\\" + longName + u"\\a.fzlgrp");
    EXPECT_EQ(DocumentFolder, u"\\" + longName + u"\\");
}

// A backslash right after the root or the folder would make the rest another kind of name:
// such a name is left as it is, by every save.
TEST_F(PathsTest, ABackslashAfterThePrefixKeepsTheName) {
    struct Case {
        std::u16string Folder, In, Out;
    } cases[] = {
        {u"\\", u"\\\\server\\share\\x.fzlobj", u"\\\\server\\share\\x.fzlobj"},
        {u"\\", u"\\Objekte\\x.fzlobj", u"Objekte\\x.fzlobj"},
        {u"\\", u"C:\\Sim\\\\Objekte\\x.fzlobj", u"C:\\Sim\\\\Objekte\\x.fzlobj"},
        {u"\\", u"C:\\Sim\\Objekte\\x.fzlobj", u"Objekte\\x.fzlobj"},
        {u"\\Objekte\\", u"C:\\Sim\\Objekte\\\\x.fzlobj", u"\\Objekte\\\\x.fzlobj"},
        {u"\\\\server\\share\\", u"\\\\server\\share\\x.fzlobj", u"x.fzlobj"},
        {u"\\\\server\\share\\", u"\\\\server\\share\\\\x.fzlobj",
         u"\\\\server\\share\\\\x.fzlobj"},
        {u"\\", u"\\", u""},
        {u"\\", u"C:\\Sim\\", u""},
    };
    for (const Case& c : cases) {
        DocumentFolder = c.Folder;
        std::u16string once = Shortened(c.In);
        EXPECT_EQ(once, c.Out) << U8(c.Folder) << " " << U8(c.In);
        EXPECT_EQ(Shortened(once), once) << U8(c.In);
    }
    DocumentFolder.clear();
    SetDocumentFolder(u"C:\\Sim\\\\Objekte\\a.fzlgrp");
    EXPECT_EQ(DocumentFolder, u"C:\\Sim\\\\Objekte\\");
}

TEST_F(PathsTest, ShorteningIsStable) {
    SetDocumentFolder(u"C:\\Sim\\Objekte\\a.fzlgrp");
    std::u16string once = Shortened(u"C:\\Sim\\Objekte\\Sub\\b.fzlobj");
    EXPECT_EQ(Shortened(once), once);
}

// The four forms of a name, as the loader completes and opens them and the export compares
// them.
TEST(PathKinds, EveryForm) {
    const std::pair<const char16_t*, PathKind> cases[] = {
        {u"Lampe.fzlobj", PathKind::Relative},
        {u"..\\Objekte\\Lampe.fzlobj", PathKind::Relative},
        {u"", PathKind::Relative},
        {u"\\Objekte\\Lampe.fzlobj", PathKind::RootRelative},
        {u"\\", PathKind::RootRelative},
        {u"C:\\Sim\\Lampe.fzlobj", PathKind::Drive},
        {u"c:Lampe.fzlobj", PathKind::Drive},
        {u"\\\\server\\share\\Lampe.fzlobj", PathKind::Network},
    };
    for (const auto& [path, kind] : cases)
        EXPECT_EQ(KindOfPath(path), kind) << U8(path);
}

} // namespace
