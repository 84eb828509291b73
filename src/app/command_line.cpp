#include "app/command_line.h"

#include "platform/file_info.h"

#include <QFile>
#include <algorithm>

namespace pelldrake {

namespace {

bool EqualsIgnoringAsciiCase(std::string_view text, std::string_view other) {
    return std::ranges::equal(text, other, [](char a, char b) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(a) == lower(b);
    });
}

bool HasWorkStateExtension(const FilePath& path) {
    const FilePath name = FileNameOf(path);
    constexpr std::string_view kExtension = ".pld";
    return name.size() > kExtension.size() &&
           EqualsIgnoringAsciiCase(std::string_view(name).substr(name.size() - kExtension.size()), kExtension);
}

bool StartsWithMagicLine(const FilePath& path) {
    constexpr std::string_view kMagic = "PelldrakeData";
    QFile file(PathToQString(path));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // The magic line and its line end; an image never starts with it.
    const QByteArray head = file.read(static_cast<qint64>(kMagic.size()) + 2);
    qsizetype end = 0;
    while (end < head.size() && head[end] != '\r' && head[end] != '\n')
        ++end;
    return EqualsIgnoringAsciiCase(std::string_view(head.constData(), static_cast<std::size_t>(end)), kMagic);
}

} // namespace

bool IsWorkStateFile(const FilePath& path) {
    return HasWorkStateExtension(path) || StartsWithMagicLine(path);
}

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (!optionsEnded && argument.size() > 1 && argument.front() == '-') {
            if (argument == "--") {
                optionsEnded = true;
            } else if (argument == "--help" || argument == "-h") {
                line.action = CommandLine::Action::Help;
            } else if (argument == "--new-window") {
                line.newWindow = true;
            } else if (argument == "--version") {
                if (line.action != CommandLine::Action::Help)
                    line.action = CommandLine::Action::Version;
            } else if (line.badOption.empty()) {
                line.badOption = argument;
            }
            continue;
        }
        const FilePath path = AbsolutePath(argument);
        const auto info = StatPath(path);
        if (!info)
            line.missing.push_back(path);
        else if (info->IsRegular() && IsWorkStateFile(path))
            line.workStates.push_back(path);
        else
            line.intake.push_back(path);
    }
    if (line.action == CommandLine::Action::Run && !line.badOption.empty())
        line.action = CommandLine::Action::Usage;
    return line;
}

std::string UsageText(const std::string& programName) {
    return "Usage: " + programName +
           " [--new-window] [FILE | FOLDER | WORKSTATE.PLD]...\n"
           "Sort image files by hand into ten lists.\n"
           "\n"
           "Image files and folders are taken into the unclassified list as if dropped on it;\n"
           "a work-state file (.PLD) is loaded as by the load command. When a board runs\n"
           "already, they go to that board instead, and this start ends.\n"
           "\n"
           "      --new-window  start a board of its own\n"
           "  -h, --help        show this help and exit\n"
           "      --version     show the version and exit\n"
           "\n"
           "Settings: the .INI file beside the program when it exists or the folder is writable\n"
           "(portable copy), otherwise $XDG_CONFIG_HOME/pelldrake/pelldrake.INI.\n";
}

std::string VersionText(const std::string& programName) {
    return programName + " " PELLDRAKE_VERSION "\n";
}

} // namespace pelldrake
