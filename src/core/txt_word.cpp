// The player's typing: a key filter in front of the entry box and the rule
// that keeps the entry a beginning of the falling word.
#include "core/form.h"
#include "core/design.h"

namespace skyquill {

namespace {

// Resets a flag on every way out of a scope.
class FlagGuard {
public:
    explicit FlagGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagGuard() { flag_ = false; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    bool& flag_;
};

qsizetype commonPrefixLength(const QString& a, const QString& b)
{
    const qsizetype n = std::min(a.size(), b.size());
    qsizetype i = 0;
    while (i < n && a[i] == b[i])
        ++i;
    return i;
}

}  // namespace

QString typingForm(const QString& text)
{
    return text.toUpper().normalized(QString::NormalizationForm_C);
}

void frmSkyquill::txtWord_KeyPress(char16_t& KeyAscii)
{
    if (KeyAscii == kBackspace)
        KeyAscii = 0;
    if (KeyAscii == kEscape) {
        mnuPauseGame_Click();
        KeyAscii = 0;
    }
    if (!tmrSkyquill.enabled())
        KeyAscii = 0;
}

void frmSkyquill::txtWord_Change()
{
    // Our own writes below change the text again; the outcome is already
    // decided, so those nested change events have nothing to do.
    if (settling_)
        return;
    const FlagGuard guard(settling_);

    // Settle in one pass: the text becomes its longest upper-case beginning
    // that is also a beginning of the word, or, when it starts with the whole
    // word, the word is scored once. Cutting a character at a time would give
    // the same result, at a cost that grows with the square of a pasted text.
    const QString text = typingForm(txtWord.text());
    const QString word = typingForm(lblWord.caption());
    qsizetype fits = commonPrefixLength(text, word);

    if (fits == word.size()) {
        scoreWord();
        return;
    }
    // Whole characters only: half a surrogate pair is no beginning of a word.
    if (fits > 0 && text[fits - 1].isHighSurrogate())
        --fits;
    txtWord.setText(text.left(fits));
    txtWord.setSelStart(txtWord.text().size());
}

void frmSkyquill::scoreWord()
{
    txtWord.setText(QString());
    txtWord.setSelStart(0);
    lblWord.setCaption(QString());
    const int score = lblScore.caption().toInt();
    if (score < design::kWinScore)
        lblScore.setCaption(QString::number(score + 1));

    // A word finished while the timer is off (pasted during a pause) scores
    // but can't win; the next word finished in play does.
    if (lblScore.caption().toInt() == design::kWinScore && tmrSkyquill.enabled())
        win();
    else
        NextWord();
}

void frmSkyquill::win()
{
    mnuPauseGame.setEnabled(false);
    tmrSkyquill.setEnabled(false);
    lblWord.setVisible(false);
    txtWord.setEnabled(false);
    platform_.messageBox(QStringLiteral("You are a winner!"), QStringLiteral("Congratulations!"));
}

}  // namespace skyquill
