#pragma once

#include <QObject>

#include <functional>

// Hears from logind when the machine goes to sleep and when it wakes (its PrepareForSleep
// signal on the system bus) and says so, as the platform's power broadcast does. Without a
// system bus or logind it hears nothing, and the program stays awake as before.
class SleepWatch : public QObject {
    Q_OBJECT

  public:
    // `changed` gets true before sleeping and false after waking.
    explicit SleepWatch(std::function<void(bool)> changed);
    bool listening() const { return listening_; }

  private slots:
    void OnPrepareForSleep(bool sleeping);

  private:
    std::function<void(bool)> changed_;
    bool listening_ = false;
};
