// One tick of the drop timer: the word falls a step; at the bottom it is
// missed, costs a point and the next word comes up.
#include "core/form.h"
#include "core/design.h"

namespace skyquill {

void frmSkyquill::tmrSkyquill_Timer()
{
    lblWord.setTop(lblWord.top() + design::kDropStep);
    if (lblWord.top() < design::kBottom)
        return;

    // Empty the entry while the missed word is still up, so the change rule
    // sees an empty beginning of that word and leaves it alone.
    txtWord.setText(QString());
    lblWord.setCaption(QString());
    const int score = lblScore.caption().toInt();
    if (score > 0)
        lblScore.setCaption(QString::number(score - 1));
    NextWord();
}

}  // namespace skyquill
