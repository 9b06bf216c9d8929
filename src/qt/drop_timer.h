// The real drop timer: a precise single-shot Qt timer re-armed against the
// deadlines of a TickSchedule.
#pragma once

#include "qt/tick_schedule.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>

namespace skyquill {

class DropTimer : public QObject {
    Q_OBJECT
public:
    explicit DropTimer(std::function<void()> onTick, QObject* parent = nullptr);

    void setEnabled(bool enabled, std::int32_t intervalMs);
    void setInterval(std::int32_t intervalMs);
    // Whether a tick is coming: the timer is armed whenever it is enabled,
    // but for the moment of a tick itself.
    bool isActive() const { return timer_.isActive(); }
    TickSchedule::Duration period() const { return schedule_.period(); }

private:
    void fire();
    void arm();
    TickSchedule::Duration now() const;

    std::function<void()> onTick_;
    QTimer timer_;
    QElapsedTimer clock_;
    TickSchedule schedule_;
    bool enabled_ = false;
};

}  // namespace skyquill
