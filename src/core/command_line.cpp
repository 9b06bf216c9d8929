#include "core/command_line.h"

#include "version.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>

namespace skyquill {

namespace {

using namespace Qt::StringLiterals;

// The options that QApplication and its platform plugins take out of argv
// themselves; the ones after which they read a value take one here too, so
// that the value is not mistaken for FILE.
constexpr const char16_t* kQtOptionsWithValue[] = {
    u"platform", u"platformpluginpath", u"platformtheme", u"plugin", u"qwindowgeometry", u"qwindowicon",
    u"qwindowtitle", u"session", u"style", u"stylesheet", u"qmljsdebugger",
    // X11 (xcb) only
    u"display", u"name", u"visual", u"geometry", u"icon", u"title",
};
constexpr const char16_t* kQtFlags[] = {u"reverse", u"testability", u"widgetcount", u"nograb", u"dograb"};

QString usage(const QCommandLineParser& parser)
{
    return parser.helpText().replace(u"<executable_name>"_s, u"skyquill"_s);
}

}  // namespace

CommandLine parseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    // Qt spells its options with one dash: -platform, not -p -l -a ...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        u"Type the falling words before they reach the ground.\n"
        "\n"
        "Plays the words of FILE, one word per line. Without FILE, plays the\n"
        "player's own list, $XDG_DATA_HOME/skyquill/SkyquillList.txt (by default\n"
        "~/.local/share/skyquill/SkyquillList.txt), if that file exists, and\n"
        "otherwise the list installed with the game.\n"
        "Qt's standard options, such as -platform and -display, are accepted too."_s);
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"Displays this help and exits."_s);
    const QCommandLineOption version({u"v"_s, u"version"_s}, u"Displays the version and exits."_s);
    parser.addOption(help);
    parser.addOption(version);
    for (const char16_t* name : kQtOptionsWithValue) {
        QCommandLineOption option(QString::fromUtf16(name), QString(), u"value"_s);
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char16_t* name : kQtFlags) {
        QCommandLineOption option(QString::fromUtf16(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    parser.addPositionalArgument(u"FILE"_s, u"The word list to play."_s, u"[FILE]"_s);

    CommandLine line;
    const bool parsed = parser.parse(arguments);
    const QStringList files = parser.positionalArguments();
    // A wrong command line gets one line of error and one of advice, as
    // other command-line programs here answer it.
    QString error;
    if (!parser.unknownOptionNames().isEmpty())
        error = u"unknown option '%1'"_s.arg(parser.unknownOptionNames().first());
    else if (!parsed)
        error = parser.errorText();
    else if (files.size() > 1)
        error = u"extra operand '%1'"_s.arg(files.at(1));
    if (!error.isEmpty()) {
        line.exitStatus = 2;
        line.output = u"skyquill: %1\nTry 'skyquill --help' for more information.\n"_s.arg(error);
    } else if (parser.isSet(help)) {
        line.exitStatus = 0;
        line.output = usage(parser);
    } else if (parser.isSet(version)) {
        line.exitStatus = 0;
        line.output = u"skyquill "_s + QLatin1StringView(kVersion) + u'\n';
    } else if (!files.isEmpty()) {
        line.file = files.first();
    }
    return line;
}

int answer(const CommandLine& line)
{
    const int status = line.exitStatus.value_or(0);
    std::fputs(line.output.toLocal8Bit().constData(), status == 0 ? stdout : stderr);
    return status;
}

QString userWordList()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return data.isEmpty() ? QString() : data + u"/skyquill/SkyquillList.txt"_s;
}

QString chooseWordList(const std::optional<QString>& file, const QString& userList,
                       const QString& executableDirectory)
{
    if (file)
        return *file;
    // A dangling link counts as there: the player who made it should hear
    // that it is broken.
    if (!userList.isEmpty()) {
        const QFileInfo user(userList);
        if (user.exists() || user.isSymLink())
            return userList;
    }
    return executableDirectory + u"/SkyquillList.txt"_s;
}

}  // namespace skyquill
