// Export: flattens a group document and every group file it places, to any depth, into one
// group-object file that holds only Object and Font entries.
#pragma once

#include <atomic>
#include <memory_resource>
#include <string>
#include <vector>

#include "document/document.h"
#include "document/loader.h"
#include "platform/platform.h"

// The reports of an export, with the values of the export dialog's window messages.
constexpr unsigned UM_EXPORTDONE = 0x402;         // finished, successfully or not
constexpr unsigned UM_EXPORTNOTFOUND = 0x403;     // name: the group file, or empty
constexpr unsigned UM_EXPORTLOOP = 0x404;         // a group file contains itself
constexpr unsigned UM_EXPORTCANNOTCREATE = 0x405; // the output file cannot be created

// Called synchronously with the job's ReportContext (the export dialog's window, or whatever
// the caller passes): the export waits until the report has been handled. name is the
// group file of UM_EXPORTNOTFOUND (possibly empty) and null for every other report.
using ExportReportFunction = void (*)(void* context, unsigned message, const char16_t* name);

// Takes the Objects and Fonts of one level, already placed in the top document's frame, in
// the order the export would write them; groupFile is the group file they come from (empty
// for the top document). The receiver may move them out.
using ExportEntriesFunction = void (*)(void* receiver, GroupDocument& level,
                                       const std::u16string& groupFile);

// Loads a nested group file in place of LoadGroupDocumentWith, with the same arguments and
// results; a caller that keeps the files it has read hands out copies.
using LoadNestedFunction = LoadResult (*)(void* context, const std::u16string& path,
                                          GroupDocument* document, const LoadSettings& settings,
                                          LoadReport& report);

struct ExportJob {
    std::u16string OutputPath;
    GroupDocument* Document = nullptr; // the snapshot of the document
    OutputFile Output;                 // the temporary file beside OutputPath
    std::atomic<int> KeepRunning{1};   // cleared to stop the export (cancel or failure)
    std::atomic<int> Succeeded{1};
    void* ReportContext = nullptr;
    ExportReportFunction Report = nullptr;
    // Set only for FlattenInMemory: the entries go here instead of into a file.
    ExportEntriesFunction TakeEntries = nullptr;
    void* EntryReceiver = nullptr;
    // Set where the nested files come from elsewhere than the disk each time.
    LoadNestedFunction LoadNested = nullptr;
    void* LoaderContext = nullptr;
    // In place of process-wide values. CurrentFolder stands for the current directory: a
    // relative or root-relative group name opens inside it. Names in the output are
    // shortened against SimulatorRoot and DocumentFolder (see SaveSettings).
    std::u16string CurrentFolder;
    std::u16string SimulatorRoot;
    std::u16string DocumentFolder;
};

// Number of open levels while the worker runs (1 for the top document); 0 otherwise.
extern int ExportDepth;
// The group files on the way from the top document to the one being expanded, as named. Their
// copies come from a pool of their own: a deep chain's names would otherwise lie among the
// blocks of the documents loaded and freed below them, and scatter those.
extern std::pmr::vector<std::pmr::u16string> VisitedGroupFiles;

// Starts the worker; tests replace it to see a thread that cannot be started.
extern bool (*StartExportWorker)(void (*fn)(void*), void* argument);

// Creates the temporary output, writes the head and starts the worker on the job, which
// must stay alive until UM_EXPORTDONE has been reported. The output is UTF-8; the engine
// reads and sets none of the loader's or writer's process-wide values. False when the output
// cannot be created, the worker cannot start or another expansion runs (one at a time, as
// the engine's globals serve one): UM_EXPORTCANNOTCREATE has then been reported, nothing is
// left on disk and no UM_EXPORTDONE follows.
bool StartExport(ExportJob& job);

// The worker: writes the entries of the job's document and of every nested group, then
// the closing text, and reports UM_EXPORTDONE last. It never puts the output in place.
void ExportGroupDocument(ExportJob& job);

// The same expansion on the caller's thread, every level's entries handed to TakeEntries;
// no file is created or written. Reports failures as the export does (no UM_EXPORTDONE).
// True when every nested group was expanded; false, with nothing done, while an export runs.
bool FlattenInMemory(ExportJob& job);

// Moves and turns the entries of nested into the frame of the IObject entry group that
// named it, merging group's visibility rules into them. False when a text cannot be copied.
bool PlaceNestedDocument(GroupDocument* nested, const ObjectEntry* group);

// For the receiver of UM_EXPORTDONE, once: puts the output in place when the export
// succeeded and was not cancelled, otherwise deletes the temporary file (the target keeps
// its old bytes). True when the output is in place; false (and Succeeded 0) otherwise.
// Whoever wants to drop the output earlier calls DiscardOutputFile on Output, never a
// delete of OutputPath, which may be a file that existed before.
bool FinishExportOutput(ExportJob& job);

// For a caller that waits on its own thread for the export to end (the command line, tests):
// the report of UM_EXPORTDONE sets Done as its very last step, so that the waiter may go on,
// and drop the flag, as soon as it sees it. A mutex and condition variable in the waiter's
// memory could still be in use by the worker at that moment.
struct ExportCompletion {
    std::atomic<bool> Done{false};
};
void WaitForExportDone(const ExportCompletion& completion);

// The name with "." and ".." components and doubled separators resolved ("/" counts as
// "\\"), as far as the text alone allows; what the loop check compares (besides letter case).
std::u16string LexicallyNormalised(const std::u16string& name);
