#pragma once
// Work that another process does on the simulated computer while the
// program runs: the spooler service calling a driver's plug-in, a system
// program that the program started. It has its own thread state, so the
// program's last error survives it, and the program's fault plan and call
// record are not theirs.
#include <cstdint>

#include "platform/sim/Simulation.h"

namespace kvt::sim {

// Keeps the program's last error across the other process's calls.
class KeepLastError {
public:
    explicit KeepLastError(Simulation& sim) : sim_(sim), saved_(sim.lastError()) {}
    ~KeepLastError() { sim_.lastError() = saved_; }
    KeepLastError(const KeepLastError&) = delete;
    KeepLastError& operator=(const KeepLastError&) = delete;

private:
    Simulation& sim_;
    std::uint32_t saved_;
};

// Calls made meanwhile pass by the fault plan unchecked and unrecorded.
class SuspendFaults {
public:
    explicit SuspendFaults(Simulation& sim) : faults_(sim.faults()) { faults_.suspend(); }
    ~SuspendFaults() { faults_.resume(); }
    SuspendFaults(const SuspendFaults&) = delete;
    SuspendFaults& operator=(const SuspendFaults&) = delete;

private:
    Faults& faults_;
};

// Both: the whole of another process's work.
class OtherProcess {
public:
    explicit OtherProcess(Simulation& sim) : lastError_(sim), faults_(sim) {}

private:
    KeepLastError lastError_;
    SuspendFaults faults_;
};

// Another process whose calls go through the ports as a program of its own
// bitness makes them: a 64-bit one on 64-bit Windows is not under WOW64,
// sees the native file system and registry and may remove devices.
class RunsAsProcess {
public:
    RunsAsProcess(Simulation& sim, Bitness bitness) : sim_(sim), other_(sim), saved_(sim.program()) {
        sim.setProgram(bitness);
    }
    ~RunsAsProcess() { sim_.setProgram(saved_); }
    RunsAsProcess(const RunsAsProcess&) = delete;
    RunsAsProcess& operator=(const RunsAsProcess&) = delete;

private:
    Simulation& sim_;
    OtherProcess other_;
    Bitness saved_;
};

}  // namespace kvt::sim
