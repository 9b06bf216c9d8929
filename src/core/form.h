// The game window's logic: every event handler and the two private
// procedures, written against the toolkit-neutral element model. The Qt view
// forwards events here and mirrors the elements back into widgets.
#pragma once

#include "core/state.h"
#include "core/elements.h"
#include "core/platform.h"

#include <memory>

namespace skyquill {

inline constexpr char16_t kBackspace = 8;
inline constexpr char16_t kEscape = 27;

// The form in which a word is shown and typed text compared with it: upper
// case, then NFC, so that a word stored decomposed (E and a combining acute)
// is typed with the keys that type the composed one.
QString typingForm(const QString& text);

// Handler and element names follow the window's own naming: element prefix,
// then the event.
// NOLINTBEGIN(readability-identifier-naming)
class frmSkyquill {
public:
    explicit frmSkyquill(Platform& platform);

    frmSkyquill(const frmSkyquill&) = delete;
    frmSkyquill& operator=(const frmSkyquill&) = delete;

    // Elements, public so that the view can mirror them and tests can look.
    Timer tmrSkyquill;
    TextBox txtWord;
    Label lblWord;
    Label lblScore;
    Label lblPaused;
    MenuItem mnuNewGame;
    MenuItem mnuPauseGame;
    MenuItem mnuExit;
    MenuItem mnuRules;
    MenuItem mnuAbout;

    void setListener(ElementListener* listener);

    // Event handlers.
    void Form_Load();
    void mnuNewGame_Click();
    void mnuPauseGame_Click();
    void mnuRules_Click();
    void mnuAbout_Click();
    void mnuExit_Click();
    void tmrSkyquill_Timer();
    void txtWord_KeyPress(char16_t& KeyAscii);
    void txtWord_Change();

    const GameState& state() const { return *state_; }
    // For tests that need a particular word table.
    GameState& stateForTesting() { return *state_; }

private:
    void LoadWordList();
    void NextWord();

    void showHelp(const QString& text, const QString& title);
    void scoreWord();
    void win();

    Platform& platform_;
    std::unique_ptr<GameState> state_;
    // Set while the typing rule settles the entry text, so its own writes
    // don't start the rule again: one pass gives the final text directly.
    bool settling_ = false;
};
// NOLINTEND(readability-identifier-naming)

}  // namespace skyquill
