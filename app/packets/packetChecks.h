#pragma once
// The packet checks of the file the window shows, run on a thread of their own: a file opens at
// once whatever its size, and the window stays responsive while every packet header is read. The
// thread analyses the file again with an engine of its own (one engine is not for several threads)
// and reads its tiles in the order and with the bound on work of the checker's packet pass, so that
// the window lists the same codes in the same order. A run whose file no longer matches the shown
// analysis gives no findings; a run that is stopped gives nothing at all.

#include "engine/packetTile.h"

#include <QObject>

#include <cstdint>
#include <list>
#include <memory>
#include <vector>

class jpcAnalyzer;

class PacketChecks : public QObject {
    Q_OBJECT
public:
    enum class State {
        none,     // nothing to check: no file, or its walk ended without reaching EOC or at a fatal fault
        running,
        done,
        failed,   // the file could not be analysed again as it was, or changed on disk
    };

    explicit PacketChecks(QObject* parent = nullptr);
    // Stops the runs still going and waits for their threads.
    ~PacketChecks() override;

    // Stops any run and starts one for the engine's file, when its packets can be read.
    void start(const jpcAnalyzer& analyzer);
    void stop();
    State state() const { return state_; }
    // The packet codes with their positions, in the checker's order; empty until done.
    const std::vector<PacketFinding>& findings() const { return findings_; }

signals:
    // The run ended, done or failed.
    void finished();

private:
    struct Run;
    void reap();

    State state_ = State::none;
    // Counts the runs started and stopped: a run's outcome counts only while it is the current one.
    uint64_t generation_ = 0;
    std::vector<PacketFinding> findings_;
    // The current run last; stopped ones until their threads end.
    std::list<std::unique_ptr<Run>> runs_;
};
