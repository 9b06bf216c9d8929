// The command line, `skyquill [FILE]`, and the choice of the word list.
// Parsed before the application object exists, so that --help, --version
// and a wrong option are answered without a display.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace skyquill {

struct CommandLine {
    // The word list named on the command line, if any.
    std::optional<QString> file;
    // Set when the program ends at once with this status instead of playing,
    // after printing `output`: to standard output for 0, else to standard error.
    std::optional<int> exitStatus;
    QString output;
};

// `arguments` as the program got them, its name first. Qt's own options
// (-platform, -display, -style, ...) are accepted and left to Qt.
CommandLine parseCommandLine(const QStringList& arguments);

// Prints what the command line answered; returns the exit status.
int answer(const CommandLine& line);

// The player's own list: SkyquillList.txt in the skyquill folder of the
// user's data directory ($XDG_DATA_HOME, by default ~/.local/share).
QString userWordList();

// The list to play: FILE if one was given; else the player's own list if
// anything at all is at that path (a list that is there but refused is
// refused, rather than quietly replaced by the bundled one); else the list
// beside the executable.
QString chooseWordList(const std::optional<QString>& file, const QString& userList,
                       const QString& executableDirectory);

}  // namespace skyquill
