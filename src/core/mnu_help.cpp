// The Help menu: Rules and About, each of which pauses a running game first.
#include "core/form.h"
#include "core/design.h"
#include "version.h"

#include <QStringList>

namespace skyquill {

namespace {
const QString kLineBreak = QStringLiteral("\r\n");
}

void frmSkyquill::showHelp(const QString& text, const QString& title)
{
    // Nothing falls while the player reads; the game stays paused afterwards.
    if (tmrSkyquill.enabled())
        mnuPauseGame_Click();
    platform_.messageBox(text, title);
}

void frmSkyquill::mnuRules_Click()
{
    const QStringList lines{
        QStringLiteral("Words will drop from different heights and at different speeds."),
        QStringLiteral("You will earn one point if you correctly type the word before it"),
        QStringLiteral("reaches the bottom. You will lose one point if you do not. Once"),
        QStringLiteral("you earn ") + QString::number(design::kWinScore) +
            QStringLiteral(" points you win the game. All of the words are real."),
    };
    showHelp(lines.join(kLineBreak), QStringLiteral("Rules of Skyquill"));
}

void frmSkyquill::mnuAbout_Click()
{
    // Major and two-digit minor, "1.00", as the box has always shown it.
    const QString version = QString::number(kVersionMajor) + QLatin1Char('.') +
                            QString::number(kVersionMinor).rightJustified(2, QLatin1Char('0'));
    const QStringList lines{
        QStringLiteral("Skyquill version ") + version,
        QStringLiteral("Type the falling words before they land."),
    };
    showHelp(lines.join(kLineBreak), QStringLiteral("About Skyquill"));
}

}  // namespace skyquill
