#pragma once

#include <QString>

#include <optional>

// Why a program could not be started: the host's error number and its
// description.
struct LaunchFailure {
    int number = 0;
    QString description;

    friend bool operator==(const LaunchFailure &, const LaunchFailure &) = default;
};

// Starts programs from a Windows command line without waiting for them, in a
// minimised window that takes the focus. Tests put a recorder in its place.
class Launcher {
public:
    virtual ~Launcher() = default;
    // Returns at once; nothing when the program was started.
    virtual std::optional<LaunchFailure> launch(const QString &commandLine) = 0;
};

// The host's launcher (platform::launchDetached).
class HostLauncher final : public Launcher {
public:
    std::optional<LaunchFailure> launch(const QString &commandLine) override;
};
