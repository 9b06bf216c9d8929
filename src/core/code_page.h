// The code page of a list that is not UTF-8: the one the machine that saved
// it used for its language ("ANSI" on Windows), found by a detector.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace skyquill {

// The name QStringDecoder knows the code page of `sample` by, or an empty
// name where this build or this machine has no detector (uchardet). `sample` is a piece of the list that
// starts at the line of its first byte that is not ASCII.
QByteArray codePageOf(QByteArrayView sample);

}  // namespace skyquill
