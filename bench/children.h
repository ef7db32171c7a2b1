#pragma once
// Running another program as the benchmark's child, timed from the parent.

#include <string>
#include <vector>

struct ChildRun {
    long long spawnedAtNs = 0; // CLOCK_MONOTONIC just before the spawn
    long long reapedAtNs = 0;  // CLOCK_MONOTONIC once the child was waited for
    std::string output;        // all it wrote on standard output
    std::string errors;        // all it wrote on standard error
    int exitStatus = -1;       // exit code, or -1 when it did not exit normally
    std::string failure;       // why it could not be started, or empty

    bool succeeded() const { return failure.empty() && exitStatus == 0; }
    double seconds() const { return double(reapedAtNs - spawnedAtNs) * 1e-9; }
};

// Starts `argv` (argv[0] a path, or a name looked up in PATH) with this process's environment, standard
// input from /dev/null, and waits for it. Standard output and standard error
// are collected.
ChildRun runChild(const std::vector<std::string> &argv);

long long monotonicNs();
