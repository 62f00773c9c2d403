#include "cli/arguments.h"

#include "cli/commands.h"
#include "cli/console.h"

const CommandOption RootOption{"--root", OptionKind::Root, "ORDNER",
                               "der Ferrolino-Ordner: Namen der Form \\… liegen darin"};

namespace {

const CommandOption HelpOption{"--help, -h", OptionKind::Switch, nullptr, "zeigt diese Hilfe"};

const CommandOption* FindOption(const CommandForm& form, const std::string& name) {
    for (const CommandOption& option : form.Options)
        if (name == option.Name)
            return &option;
    return nullptr;
}

bool LooksLikeOption(const std::string& arg) {
    return arg.size() > 1 && arg[0] == '-'; // "-" alone is standard input
}

std::string OptionSynopsis(const CommandOption& option) {
    std::string text = std::string("[") + option.Name;
    if (option.Kind != OptionKind::Switch)
        text += std::string(" ") + option.Value;
    return text + "]";
}

// The option and below it its help, wrapped at the words to fit a terminal's 80 columns.
std::string OptionLine(const CommandOption& option) {
    std::string text = std::string("  ") + option.Name;
    if (option.Kind != OptionKind::Switch)
        text += std::string(" ") + option.Value;
    const std::string indent = "\n      ";
    const std::string help = option.Help;
    size_t column = 80;
    for (size_t start = 0; start < help.size();) {
        size_t end = help.find(' ', start);
        if (end == std::string::npos)
            end = help.size();
        const std::string word = help.substr(start, end - start);
        if (column + 1 + word.size() > 78) {
            text += indent;
            column = indent.size() - 1;
        } else {
            text += ' ';
            ++column;
        }
        text += word;
        column += word.size();
        start = end + 1;
    }
    return text + "\n";
}

} // namespace

bool CommandLine::Has(const char* option) const {
    for (const auto& given : Options)
        if (given.first == option)
            return true;
    return false;
}

std::string CommandLine::Value(const char* option) const {
    std::string value;
    for (const auto& given : Options)
        if (given.first == option)
            value = given.second;
    return value;
}

ArgumentsRead ReadArguments(const CommandForm& form, const std::vector<std::string>& args,
                            CommandLine& line, std::string& problem) {
    std::string root;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h")
            return ArgumentsRead::Help;
        if (!LooksLikeOption(arg)) {
            line.Operands.push_back(arg);
            continue;
        }
        const CommandOption* option = FindOption(form, arg);
        if (!option) {
            problem = "unbekannte Option: " + arg;
            return ArgumentsRead::Misused;
        }
        if (option->Kind == OptionKind::Switch) {
            line.Options.emplace_back(arg, std::string());
            continue;
        }
        if (i + 1 >= args.size()) {
            problem = arg + " braucht einen Wert";
            return ArgumentsRead::Misused;
        }
        const std::string& value = args[++i];
        if (option->Accepts && !option->Accepts(value)) {
            problem = arg + " erwartet " + option->Expected + ": " + value;
            return ArgumentsRead::Misused;
        }
        if (option->Kind == OptionKind::Root) {
            root = value;
            line.HasRoot = true;
        } else {
            line.Options.emplace_back(arg, value);
        }
    }
    if (line.Operands.size() < form.MinOperands || line.Operands.size() > form.MaxOperands) {
        problem = form.OperandsProblem;
        return ArgumentsRead::Misused;
    }
    if (line.HasRoot) {
        if (!ProgramPath(root, line.Root))
            return ArgumentsRead::Refused;
        // "/sim" and "/sim/" are the same folder.
        if (line.Root.back() != u'\\')
            line.Root += u'\\';
    }
    return ArgumentsRead::Ready;
}

std::string Synopsis(const CommandForm& form) {
    std::string text = std::string("zellora-cli ") + form.Name;
    for (const CommandOption& option : form.Options)
        text += " " + OptionSynopsis(option);
    if (*form.Operands)
        text += std::string(" ") + form.Operands;
    return text;
}

int ReportUsageError(const CommandForm& form, const std::string& problem) {
    WriteError("zellora-cli: " + problem + "\nAufruf: " + Synopsis(form) + "\n„zellora-cli " +
               form.Name + " --help“ zeigt mehr.\n");
    return ExitUsage;
}

int ShowCommandHelp(const CommandForm& form) {
    std::string text = "Aufruf: " + Synopsis(form) + "\n\n" + form.Details + "\nOptionen:\n";
    for (const CommandOption& option : form.Options)
        text += OptionLine(option);
    text += OptionLine(HelpOption);
    return WriteOutput(text) ? ExitOk : ExitFailed;
}

bool ReadOrAnswer(const CommandForm& form, const std::vector<std::string>& args, CommandLine& line,
                  int& exit) {
    std::string problem;
    switch (ReadArguments(form, args, line, problem)) {
    case ArgumentsRead::Ready: return true;
    case ArgumentsRead::Help: exit = ShowCommandHelp(form); return false;
    case ArgumentsRead::Misused: exit = ReportUsageError(form, problem); return false;
    case ArgumentsRead::Refused: exit = ExitFailed; return false;
    }
    return false;
}
