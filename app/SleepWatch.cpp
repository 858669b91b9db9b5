#include "SleepWatch.h"

#include <QDBusConnection>

SleepWatch::SleepWatch(std::function<void(bool)> changed) : changed_(std::move(changed)) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (bus.isConnected()) {
        listening_ = bus.connect("org.freedesktop.login1", "/org/freedesktop/login1",
                                 "org.freedesktop.login1.Manager", "PrepareForSleep", this,
                                 SLOT(OnPrepareForSleep(bool)));
    }
}

void SleepWatch::OnPrepareForSleep(bool sleeping) {
    if (changed_) {
        changed_(sleeping);
    }
}
