// One reader for the arguments of every command: each command declares its options and
// operands, the common --root and --help are read in one place, and every usage error is
// reported the same way (the problem, the command's synopsis, exit status 2).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

enum class OptionKind {
    Switch, // --flat
    Value,  // --encoding utf-8
    Root,   // --root ORDNER: a folder, in the program's form with a trailing backslash
};

struct CommandOption {
    const char* Name; // "--encoding"
    OptionKind Kind;
    const char* Value; // what the synopsis shows for the value: "utf-8|iso-8859-1"
    const char* Help;  // one line for --help
    // For a value: whether it is one the option takes, and what it takes if not.
    bool (*Accepts)(const std::string& value) = nullptr;
    const char* Expected = nullptr; // "utf-8 oder iso-8859-1"
};

// --root ORDNER, as every command that names files in the simulator folder takes it.
extern const CommandOption RootOption;

struct CommandForm {
    const char* Name;     // "resave"
    const char* Operands; // "EIN AUS"
    const char* Summary;  // one line for the overview of all commands
    const char* Details;  // the paragraph of the command's --help, lines ending in \n
    std::vector<CommandOption> Options;
    size_t MinOperands = 0;
    size_t MaxOperands = 0;
    const char* OperandsProblem = ""; // said when their number is wrong
};

struct CommandLine {
    std::u16string Root; // empty without --root
    bool HasRoot = false;
    std::vector<std::string> Operands; // native paths as given
    // Switches and values as given, in their order; a later one wins.
    std::vector<std::pair<std::string, std::string>> Options;

    bool Has(const char* option) const;
    std::string Value(const char* option) const; // the last value given, or ""
};

enum class ArgumentsRead {
    Ready,
    Help,    // --help or -h: the command's help is shown, exit 0
    Misused, // a usage error: problem says what
    Refused, // a name the program's form cannot hold: already said
};

// Reads args from index 1 on (args[0] is the command). Usage errors are found before any
// name is taken into the program's form.
ArgumentsRead ReadArguments(const CommandForm& form, const std::vector<std::string>& args,
                            CommandLine& line, std::string& problem);

// "zellora-cli resave [--encoding utf-8|iso-8859-1] [--root ORDNER] EIN AUS"
std::string Synopsis(const CommandForm& form);

// The problem, the synopsis and where to learn more, on standard error: ExitUsage.
int ReportUsageError(const CommandForm& form, const std::string& problem);

// The command's whole help on standard output: ExitOk.
int ShowCommandHelp(const CommandForm& form);

// Reads the arguments and answers --help and usage errors itself: true when the command can
// run; otherwise exit holds the status to end with.
bool ReadOrAnswer(const CommandForm& form, const std::vector<std::string>& args, CommandLine& line,
                  int& exit);
