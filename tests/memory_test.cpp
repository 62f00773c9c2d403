// Running out of memory: a load that cannot keep every entry says so, and a save, an export or
// an import that cannot finish keeps the old file.
#include <gtest/gtest.h>

#include "cli/commands.h"
#include "document/loader.h"
#include "document/writer.h"
#include "export/flatten.h"
#include "paths/path_utils.h"
#include "tests/failing_allocation.h"
#include "tests/test_support.h"

namespace {

std::string GroupFile(int entries) {
    std::string text = "<GRUPPENOBJECT><Props FileInfo=\"x\"/>";
    for (int i = 0; i < entries; ++i)
        text += "<Object><Props Name=\"\\o" + std::to_string(i) +
                ".fzlobj\" ShowOn=\"a\"/></Object>"
                "<Font><Props DefaultText=\"t\"/></Font>";
    return text + "</GRUPPENOBJECT>";
}

TEST(OutOfMemory, ALoadNeverReturnsWithEntriesMissing) {
    ScratchFolder folder;
    folder.Write("a.fzlgrp", GroupFile(20));
    int failures = 0;
    for (long after = 0;; ++after) {
        GroupDocument document;
        std::u16string path = folder.File("a.fzlgrp");
        LoadResult result;
        bool failed;
        {
            FailingAllocation failing(after);
            result = LoadGroupDocument(path, &document);
            failed = FailingAllocation::Happened();
        }
        if (!failed) {
            EXPECT_EQ(result, LoadOk);
            EXPECT_EQ(document.Objects.size(), 20u);
            EXPECT_EQ(document.Fonts.size(), 20u);
            break;
        }
        ++failures;
        EXPECT_EQ(result, LoadNoMemory) << "allocation " << after;
    }
    EXPECT_GT(failures, 40);
}

// The export's snapshot: a copy that cannot be finished is no copy at all.
TEST(OutOfMemory, ACopyOfADocumentIsWholeOrEmpty) {
    ScratchFolder folder;
    folder.Write("a.fzlgrp", GroupFile(5));
    GroupDocument source;
    std::u16string path = folder.File("a.fzlgrp");
    ASSERT_EQ(LoadGroupDocument(path, &source), LoadOk);
    source.IObjects.push_back(std::make_unique<ObjectEntry>());
    GroupDocument copy;
    for (long after = 0;; ++after) {
        bool copied, failed;
        {
            FailingAllocation failing(after);
            copied = CopyGroupDocument(source, copy);
            failed = FailingAllocation::Happened();
        }
        if (!failed) {
            ASSERT_TRUE(copied);
            break;
        }
        EXPECT_FALSE(copied) << "allocation " << after;
        EXPECT_EQ(EntryCount(copy), 0u) << "allocation " << after;
        EXPECT_FALSE(copy.HeaderText) << "allocation " << after;
    }
    EXPECT_EQ(EntryCount(copy), EntryCount(source));
    EXPECT_NE(copy.Objects[4].get(), source.Objects[4].get());

    source.Fonts.push_back(nullptr);
    EXPECT_FALSE(CopyGroupDocument(source, copy));
    EXPECT_EQ(EntryCount(copy), 0u);
}

TEST(OutOfMemory, ASaveThatCannotFinishKeepsTheOldFile) {
    ScratchFolder folder;
    folder.Write("a.fzlgrp", GroupFile(20));
    GroupDocument document;
    std::u16string path = folder.File("a.fzlgrp");
    ASSERT_EQ(LoadGroupDocument(path, &document), LoadOk);
    folder.Write("b.fzlgrp", "alt");
    const std::u16string target = folder.File("b.fzlgrp");
    WriteUtf8 = 1;
    for (long after = 0;; ++after) {
        int saved;
        bool failed;
        {
            FailingAllocation failing(after);
            saved = SaveGroupDocument(target, &document);
            failed = FailingAllocation::Happened();
        }
        if (!failed) {
            EXPECT_EQ(saved, 1);
            break;
        }
        EXPECT_EQ(saved, 0) << "allocation " << after;
        ASSERT_EQ(folder.Read("b.fzlgrp"), "alt") << "allocation " << after;
    }
    EXPECT_NE(folder.Read("b.fzlgrp"), "alt");
}

void OnReport(void* context, unsigned message, const char16_t*) {
    if (message != UM_EXPORTDONE)
        return;
    static_cast<ExportCompletion*>(context)->Done = true;
}

TEST(OutOfMemory, AnExportThatCannotFinishLeavesNoFile) {
    ScratchFolder folder;
    folder.Write("inner.fzlgrp", GroupFile(10));
    folder.Write("flat.fzlgrp", "alt");
    const std::u16string output = folder.File("flat.fzlgrp");
    GroupDocument top;
    top.IObjects.push_back(std::make_unique<ObjectEntry>());
    top.IObjects.back()->Name = folder.File("inner.fzlgrp");
    top.IObjects.back()->ZoomFaktor = 1;
    TellUserFunction previous = TellUser;
    TellUser = [](const std::u16string&, const std::u16string&) {};
    for (long after = 0;; ++after) {
        GroupDocument snapshot;
        snapshot.IObjects.push_back(std::make_unique<ObjectEntry>(*top.IObjects[0]));
        ExportCompletion end;
        ExportJob job;
        job.OutputPath = output;
        job.Document = &snapshot;
        job.ReportContext = &end;
        job.Report = OnReport;
        WriteUtf8 = 1;
        bool inPlace, failed;
        {
            FailingAllocation failing(after);
            if (StartExport(job))
                WaitForExportDone(end);
            inPlace = FinishExportOutput(job);
            failed = FailingAllocation::Happened();
        }
        if (!failed) {
            EXPECT_TRUE(inPlace);
            break;
        }
        EXPECT_FALSE(inPlace) << "allocation " << after;
        ASSERT_EQ(folder.Read("flat.fzlgrp"), "alt") << "allocation " << after;
        ASSERT_EQ(folder.Names(), (std::vector<std::string>{"flat.fzlgrp", "inner.fzlgrp"}))
            << "allocation " << after;
        ASSERT_FALSE(ResolveAgainstFileFolder);
    }
    TellUser = previous;
    EXPECT_NE(folder.Read("flat.fzlgrp").find("\\o9.fzlobj"), std::string::npos);
}

TEST(OutOfMemory, AnImportThatCannotFinishSaysSoAndKeepsTheOldFile) {
    ScratchFolder folder;
    std::string json = "{\"writeUtf8\": 0, \"header\": \"FileInfo=\\\"x\\\" \", \"objects\": [";
    for (int i = 0; i < 10; ++i)
        json += std::string(i ? ", " : "") + "{\"Name\": \"\\\\o" + std::to_string(i) +
                ".fzlobj\", \"Position\": [1, 2.5, -3], \"ShowOn\": \"a\"}";
    json += "], \"fonts\": [{\"DefaultText\": \"t\", \"Color\": 7}], \"result\": [[\"x\"]]}";
    folder.Write("a.json", json);
    folder.Write("b.fzlgrp", "alt");
#ifdef _WIN32
    const std::string separator = "\\";
#else
    const std::string separator = "/";
#endif
    const std::vector<std::string> import = {"import", folder.Native + separator + "a.json",
                                             folder.Native + separator + "b.fzlgrp"};
    const std::string noMemory =
        " konnte nicht eingelesen werden, da nicht genug Speicher frei ist\n";
    const std::string saveFailed = U8(folder.File("b.fzlgrp")) + ": ";
    int failures = 0;
    for (long after = 0;; ++after) {
        testing::internal::CaptureStderr();
        int status;
        bool failed;
        {
            FailingAllocation failing(after);
            status = RunCli(import);
            failed = FailingAllocation::Happened();
        }
        const std::string told = testing::internal::GetCapturedStderr();
        if (!failed) {
            EXPECT_EQ(status, 0);
            EXPECT_EQ(told, "");
            break;
        }
        ++failures;
        EXPECT_EQ(status, 1) << "allocation " << after;
        // Before the arguments are read the file has no name yet; memory that runs out while
        // the file is written is the save's failure, as in resave.
        EXPECT_TRUE(told == "a.json" + noMemory || told == "JSON" + noMemory ||
                    told == "zellora-cli: nicht genug Speicher frei\n" ||
                    told.rfind(saveFailed, 0) == 0)
            << "allocation " << after << ": " << told;
        ASSERT_EQ(folder.Read("b.fzlgrp"), "alt") << "allocation " << after;
    }
    EXPECT_GT(failures, 50);
    EXPECT_NE(folder.Read("b.fzlgrp").find("\\o9.fzlobj"), std::string::npos);
}

} // namespace
