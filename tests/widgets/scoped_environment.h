// Test support: an environment variable set for one scope.
#pragma once

#include <QByteArray>
#include <QtGlobal>

// Sets `name` to `value` for as long as it lives, then puts back what was
// there before, or unsets it when nothing was.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const QByteArray& value)
        : name_(name), wasSet_(qEnvironmentVariableIsSet(name)), previous_(qgetenv(name)) {
        qputenv(name_, value);
    }
    ~ScopedEnvironment() {
        if (wasSet_)
            qputenv(name_, previous_);
        else
            qunsetenv(name_);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
    bool wasSet_;
    QByteArray previous_;
};
