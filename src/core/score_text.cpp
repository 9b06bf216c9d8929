#include "core/score_text.h"

#include <cmath>
#include <cstdint>

namespace skyquill {

double readScore(const QString& caption)
{
    qsizetype i = 0;
    const qsizetype n = caption.size();
    while (i < n && (caption[i] == u' ' || caption[i] == u'\t'))
        ++i;
    double sign = 1.0;
    if (i < n && (caption[i] == u'-' || caption[i] == u'+')) {
        if (caption[i] == u'-')
            sign = -1.0;
        ++i;
    }
    double value = 0.0;
    bool digits = false;
    // A score has a handful of digits; stopping at 15 keeps the value exact
    // and finite whatever text a caption might hold.
    int taken = 0;
    for (; i < n && caption[i].unicode() >= u'0' && caption[i].unicode() <= u'9'; ++i) {
        if (taken++ < 15)
            value = value * 10.0 + (caption[i].unicode() - u'0');
        digits = true;
    }
    if (i < n && caption[i] == u'.') {
        double scale = 0.1;
        for (++i; i < n && caption[i].unicode() >= u'0' && caption[i].unicode() <= u'9'; ++i) {
            value += scale * (caption[i].unicode() - u'0');
            scale /= 10.0;
            digits = true;
        }
    }
    return digits ? sign * value : 0.0;
}

QString scoreText(double score)
{
    // Only whole numbers from 0 to 10 are ever written; anything else is
    // clamped rather than shown as a sign or a fraction.
    if (!std::isfinite(score) || score < 0.0)
        score = 0.0;
    return QString::number(static_cast<std::int64_t>(std::floor(std::min(score, 1e15))));
}

}  // namespace skyquill
