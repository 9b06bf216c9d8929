// One tick of the drop timer: the word falls a step; at the bottom it is
// missed, costs a point and the next word comes up.
#include "core/form.h"
#include "core/score_text.h"

namespace skyquill {

void frmSkyquill::tmrSkyquill_Timer()
{
    lblWord.setTop(lblWord.top() + kDropStep);
    if (lblWord.top() < kBottom)
        return;

    // Empty the entry while the missed word is still up, so the change rule
    // sees an empty beginning of that word and leaves it alone.
    txtWord.setText(QString());
    lblWord.setCaption(QString());
    const double score = readScore(lblScore.caption());
    if (score > 0.0)
        lblScore.setCaption(scoreText(score - 1.0));
    NextWord();
}

}  // namespace skyquill
