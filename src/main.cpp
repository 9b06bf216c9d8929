#include "core/command_line.h"
#include "core/desktop.h"
#include "core/form.h"
#include "version.h"
#include "qt/game_window.h"
#include "qt/qt_platform.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[])
{
    // Before QApplication, which needs a display: --help and --version don't.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const skyquill::CommandLine line = skyquill::parseCommandLine(arguments);
    if (line.exitStatus)
        return skyquill::answer(line);

    // GNOME on Wayland: through Xwayland, framed and centred by mutter.
    if (const auto platform = skyquill::preferredPlatform(QProcessEnvironment::systemEnvironment(), arguments))
        qputenv("QT_QPA_PLATFORM", platform->toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Skyquill"));
    QApplication::setApplicationVersion(QString::fromLatin1(skyquill::kVersion));
    QGuiApplication::setDesktopFileName(QStringLiteral("skyquill"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/skyquill.png")));

    skyquill::QtPlatform platform;
    platform.setWordListPath(skyquill::chooseWordList(line.file, skyquill::userWordList(),
                                                      QCoreApplication::applicationDirPath()));
    skyquill::frmSkyquill form(platform);
    skyquill::GameWindow window(form, platform);

    form.Form_Load();
    if (platform.ended())
        return platform.exitStatus();

    window.showCentred();
    // Exit and the close box end the loop with the program's status.
    return QApplication::exec();
}
