#pragma once

#include "reviewrows.h"

#include <QObject>
#include <memory>
#include <vector>

class RefreshEngine;
struct RefreshStep;
struct RunFailure;

// The tray program's refresh: one download at a time, the bookmarks of the shown rows first.
// The tick asks for the next download; a result is stored as soon as the worker publishes
// it. A run whose network failed holds the refresh back for RefreshAfterFail minutes.
class ReviewRefresh final
{
  public:
    ReviewRefresh(const ReviewCommon &common, const MakeDownloader &makeDownloader);
    ~ReviewRefresh(); // the engine lets its worker go; the seams may already be gone
    ReviewRefresh(const ReviewRefresh &) = delete;
    ReviewRefresh &operator=(const ReviewRefresh &) = delete;

    void start(); // the worker begins
    void stop();  // lets the worker go without waiting for it
    // The tick's part: stores what waits and, while nothing downloads, asks for the next.
    void step();
    void cancel();             // withdraws the running download
    void cancelFor(int index); // the same when it is for bookmark index
    void countWhole();         // "Refresh all" made every bookmark due
    // The user asked to check the bookmark again: due at once, after the shown rows first.
    void checkAgain(int index);
    // Of the bookmarks that "Refresh all" made due, those refreshed; nothing (0 of 0) when
    // no such refresh is under way.
    RefreshProgress wholeProgress() const;

  private:
    void storeArrived(); // posted to the user-interface thread by the worker
    void follow(const RefreshStep &step);
    void waitForNetwork(const RunFailure &failure);
    RefreshSummary summary() const;

    ReviewCommon m_common;
    Bookmarks &m_bookmarks;
    QObject m_arrivals; // receives the posted calls; outlives the engine
    std::unique_ptr<RefreshEngine> m_engine;
    std::vector<int> m_checkFirst; // asked for by the user, in that order
    int m_wholeRefresh = 0;        // the bookmarks a running "Refresh all" made due
    // A run whose network failed stops the refresh until then; 0 while it goes on.
    DateTime m_networkWaitsUntil = 0;
};
