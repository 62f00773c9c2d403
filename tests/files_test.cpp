// Files and names: a save creates or replaces exactly the file named, reads only regular
// files, keeps what the replaced file was (permissions, owner, a link), refuses what it
// may not write, and an interrupt leaves no temporary file behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <vector>

#include "document/loader.h"
#include "platform/platform.h"
#include "tests/test_support.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

bool Replace(const std::u16string& path, const std::string& bytes) {
    OutputFile file;
    if (!CreateOutputFile(path, file))
        return false;
    if (!WriteOutputFile(file, bytes.data(), bytes.size())) {
        DiscardOutputFile(file);
        return false;
    }
    return CommitOutputFile(file);
}

void MakeReadOnly(const ScratchFolder& folder, const std::string& name) {
#ifdef _WIN32
    SetFileAttributesW(reinterpret_cast<const wchar_t*>(folder.File(name).c_str()),
                       FILE_ATTRIBUTE_READONLY);
#else
    chmod((folder.Native + "/" + name).c_str(), 0444);
#endif
}

#ifndef _WIN32
TEST(OutputFiles, NamesUpToTheLongestAFolderHoldsAreWritten) {
    ScratchFolder folder;
    for (size_t length : {243u, 244u, 255u}) {
        SCOPED_TRACE(length);
        const std::string name = std::string(length - 7, 'a') + ".fzlgrp";
        EXPECT_TRUE(Replace(folder.File(name), "neu"));
        EXPECT_TRUE(Replace(folder.File(name), "neuer"));
        EXPECT_EQ(folder.Read(name), "neuer");
    }
    EXPECT_EQ(folder.Names().size(), 3u); // and no temporary file
}
#endif

TEST(OutputFiles, AReadOnlyFileIsRefusedAndKept) {
    ScratchFolder folder;
    folder.Write("fest.fzlgrp", "alt");
    MakeReadOnly(folder, "fest.fzlgrp");
    EXPECT_FALSE(Replace(folder.File("fest.fzlgrp"), "neu"));
#ifdef _WIN32
    const DWORD error = GetLastError(); // reading the file back may reset it
#endif
    EXPECT_EQ(folder.Read("fest.fzlgrp"), "alt");
#ifdef _WIN32
    EXPECT_EQ(error, DWORD(ERROR_ACCESS_DENIED));
    SetFileAttributesW(reinterpret_cast<const wchar_t*>(folder.File("fest.fzlgrp").c_str()),
                       FILE_ATTRIBUTE_NORMAL);
#endif
}

#ifdef _WIN32

TEST(InputFiles, ADeviceIsNotRead) {
    GroupDocument document;
    std::u16string device = u"NUL";
    EXPECT_EQ(LoadGroupDocument(device, &document), LoadOpenFailed);
}

#else

std::vector<std::string> NamesIn(const std::string& native) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(native.c_str())) {
        while (dirent* entry = readdir(dir))
            if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
                names.push_back(entry->d_name);
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

using Names = std::vector<std::string>;

void WriteNative(const std::string& native, const std::string& bytes) {
    std::ofstream(native, std::ios::binary) << bytes;
}

TEST(OutputFiles, ExactlyTheFileNamedIsReplaced) {
    ScratchFolder folder;
    folder.Write("station.fzlgrp", "klein");
    // Found by its letters for reading, as references written on Windows need.
    EXPECT_EQ(folder.Read("STATION.fzlgrp"), "klein");
    ASSERT_TRUE(Replace(folder.File("Station.fzlgrp"), "gross"));
    EXPECT_EQ(folder.Read("station.fzlgrp"), "klein");
    EXPECT_EQ(NamesIn(folder.Native), (Names{"Station.fzlgrp", "station.fzlgrp"}));

    // Names that are not UTF-8 have no exact form in the program and are never matched.
    WriteNative(folder.Native + "/b\xE4hnhof.fzlgrp", "<GRUPPENOBJECT/>");
    EXPECT_EQ(FromNativePath(folder.Native + "/b\xF6hnhof.fzlgrp"), u"");
    EXPECT_EQ(FromNativePath(folder.Native + "/a\\b.fzlgrp"), u"");
    EXPECT_EQ(FromNativePath(folder.Native + "/B\xC3\xA4hnhof.fzlgrp"),
              folder.Path + u"B\u00E4hnhof.fzlgrp");
    GroupDocument document;
    std::u16string replaced = folder.Path + u"b\uFFFDhnhof.fzlgrp";
    EXPECT_EQ(LoadGroupDocument(replaced, &document), LoadOpenFailed);
    EXPECT_FALSE(Replace(folder.Path + u"b\xD800hnhof.fzlgrp", "neu"));
    EXPECT_EQ(LastSystemErrorText(), U16(strerror(EILSEQ)));
    EXPECT_EQ(NamesIn(folder.Native),
              (Names{"Station.fzlgrp", "b\xE4hnhof.fzlgrp", "station.fzlgrp"}));
}

TEST(InputFiles, OnlyRegularFilesAreRead) {
    ScratchFolder folder;
    ASSERT_EQ(mkfifo((folder.Native + "/pipe.fzlgrp").c_str(), 0644), 0);
    symlink("pipe.fzlgrp", (folder.Native + "/link.fzlgrp").c_str());
    alarm(20); // a reader that waits for the pipe ends the test instead of hanging it
    for (const char16_t* name : {u"pipe.fzlgrp", u"link.fzlgrp", u"Z:\\dev\\null"}) {
        std::u16string path = name[0] == u'Z' ? std::u16string(name) : folder.Path + name;
        GroupDocument document;
        EXPECT_EQ(LoadGroupDocument(path, &document), LoadOpenFailed) << U8(name);
        EXPECT_EQ(LastSystemErrorText(), u"Keine gewöhnliche Datei");
    }
    alarm(0);
}

TEST(OutputFiles, WhatIsNoRegularFileIsNotReplaced) {
    ScratchFolder folder;
    ASSERT_EQ(mkfifo((folder.Native + "/pipe.fzlgrp").c_str(), 0644), 0);
    // A device of its own, where the superuser may make one: never the machine's.
    mknod((folder.Native + "/null.fzlgrp").c_str(), S_IFCHR | 0666, makedev(1, 3));
    folder.Write("ordner\\a", "");
    Names before = NamesIn(folder.Native);
    for (const std::string& name : before) {
        struct stat was, is;
        lstat((folder.Native + "/" + name).c_str(), &was);
        EXPECT_FALSE(Replace(folder.File(name), "neu")) << name;
        lstat((folder.Native + "/" + name).c_str(), &is);
        EXPECT_EQ(is.st_mode, was.st_mode) << name;
    }
    EXPECT_EQ(NamesIn(folder.Native), before);
}

TEST(OutputFiles, AReplacedFileKeepsItsPermissionsAndOwner) {
    ScratchFolder folder;
    struct Case {
        const char* Name;
        mode_t Mode;
    } cases[] = {{"privat.fzlgrp", 0600}, {"gruppe.fzlgrp", 0664}, {"alle.fzlgrp", 0646}};
    bool superuser = geteuid() == 0;
    for (const Case& c : cases) {
        std::string native = folder.Native + "/" + c.Name;
        folder.Write(c.Name, "alt");
        chmod(native.c_str(), c.Mode);
        if (superuser) {
            ASSERT_EQ(chown(native.c_str(), 4321, 8765), 0);
        }
        ASSERT_TRUE(Replace(folder.File(c.Name), "neu")) << c.Name;
        struct stat st;
        stat(native.c_str(), &st);
        EXPECT_EQ(st.st_mode & 07777, c.Mode) << c.Name;
        if (superuser) {
            EXPECT_EQ(st.st_uid, 4321u) << c.Name;
            EXPECT_EQ(st.st_gid, 8765u) << c.Name;
        }
        EXPECT_EQ(folder.Read(c.Name), "neu");
    }
}

TEST(OutputFiles, ALinkIsFollowedAndKept) {
    ScratchFolder folder;
    folder.Write("ziel\\echt.fzlgrp", "alt");
    symlink("ziel/echt.fzlgrp", (folder.Native + "/link.fzlgrp").c_str());
    symlink("link.fzlgrp", (folder.Native + "/link2.fzlgrp").c_str());
    symlink((folder.Native + "/ziel/neu.fzlgrp").c_str(), (folder.Native + "/lose.fzlgrp").c_str());
    ASSERT_TRUE(Replace(folder.File("link2.fzlgrp"), "neu"));
    ASSERT_TRUE(Replace(folder.File("lose.fzlgrp"), "angelegt"));
    EXPECT_EQ(folder.Read("ziel\\echt.fzlgrp"), "neu");
    EXPECT_EQ(folder.Read("ziel\\neu.fzlgrp"), "angelegt");
    for (const char* link : {"link.fzlgrp", "link2.fzlgrp", "lose.fzlgrp"}) {
        struct stat st;
        lstat((folder.Native + "/" + link).c_str(), &st);
        EXPECT_TRUE(S_ISLNK(st.st_mode)) << link;
    }
    EXPECT_EQ(NamesIn(folder.Native),
              (Names{"link.fzlgrp", "link2.fzlgrp", "lose.fzlgrp", "ziel"}));
    EXPECT_EQ(NamesIn(folder.Native + "/ziel"), (Names{"echt.fzlgrp", "neu.fzlgrp"}));
}

// A child process starts writing and is interrupted: the signal still ends it, and only the
// old file is left.
TEST(OutputFiles, AnInterruptRemovesTheTemporaryFile) {
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        ScratchFolder folder;
        folder.Write("aus.fzlgrp", "alt");
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            RemoveTemporaryFileOnInterrupt();
            OutputFile file;
            if (CreateOutputFile(folder.File("aus.fzlgrp"), file))
                WriteOutputFile(file, "neu", 3);
            raise(signalNumber);
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber) << signalNumber;
        EXPECT_EQ(NamesIn(folder.Native), Names{"aus.fzlgrp"}) << signalNumber;
        EXPECT_EQ(folder.Read("aus.fzlgrp"), "alt");
    }
}

#endif

} // namespace
