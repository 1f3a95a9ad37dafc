#include "ui/common/TimeText.h"

#include <QDateTime>

namespace gleanwork {

QString LocalTimeText(std::chrono::sys_time<std::chrono::microseconds> time) {
    const auto milliseconds =
        std::chrono::floor<std::chrono::milliseconds>(time).time_since_epoch().count();
    return QDateTime::fromMSecsSinceEpoch(milliseconds)
        .toLocalTime()
        .toString(QStringLiteral("ddd yyyy-MM-dd HH:mm"));
}

}  // namespace gleanwork
