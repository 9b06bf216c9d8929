#include "game/form.h"
#include "window/qt/game_window.h"
#include "window/qt/qt_platform.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Skyquill"));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));
    QGuiApplication::setDesktopFileName(QStringLiteral("skyquill"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/skyquill.png")));

    skyquill::QtPlatform platform;
    skyquill::frmSkyquill form(platform);
    skyquill::GameWindow window(form, platform);

    form.Form_Load();
    if (platform.ended())
        return platform.exitStatus();

    window.showCentred();
    const int status = QApplication::exec();
    return platform.ended() ? platform.exitStatus() : status;
}
