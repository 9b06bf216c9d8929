// The score lives in the score box's caption. It is read as the number at the
// start of the caption and written back as plain digits.
#pragma once

#include <QString>

namespace skyquill {

// The number at the start of the text (leading blanks skipped); 0 when there is none.
double readScore(const QString& caption);

// Plain decimal digits: no blank, sign, decimal point or separator.
QString scoreText(double score);

}  // namespace skyquill
