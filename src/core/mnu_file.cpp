// The File menu: New Game and Pause, which drive a game's life, and Exit.
#include "core/form.h"
#include "core/design.h"

namespace skyquill {

void frmSkyquill::mnuNewGame_Click()
{
    // Without words the picker has nothing to put up; say so and stay stopped.
    if (state_->intWordCount < 1) {
        platform_.messageBox(QStringLiteral("The Word List Is Empty!"), QStringLiteral("ERROR!!!"));
        return;
    }

    tmrSkyquill.setEnabled(false);
    lblPaused.setVisible(false);
    // The entry is emptied while the old word is still up, so the change rule
    // reads the empty text as a beginning of that word, not as a finished one.
    txtWord.setText(QString());
    lblWord.setCaption(QString());
    lblScore.setCaption(QStringLiteral("0"));
    mnuPauseGame.setCaption(design::kPauseGame.toString());
    mnuPauseGame.setEnabled(true);
    txtWord.setEnabled(true);
    lblWord.setVisible(true);
    NextWord();
    // Last, so the first tick comes one full new interval after the command.
    tmrSkyquill.setEnabled(true);
}

void frmSkyquill::mnuPauseGame_Click()
{
    if (tmrSkyquill.enabled()) {
        tmrSkyquill.setEnabled(false);
        mnuPauseGame.setCaption(design::kUnpauseGame.toString());
        lblWord.setVisible(false);
        lblPaused.setVisible(true);
    } else {
        lblPaused.setVisible(false);
        lblWord.setVisible(true);
        tmrSkyquill.setEnabled(true);
        mnuPauseGame.setCaption(design::kPauseGame.toString());
    }
}

void frmSkyquill::mnuExit_Click()
{
    platform_.endProgram(0);
}

}  // namespace skyquill
