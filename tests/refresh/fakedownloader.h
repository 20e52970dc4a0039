#pragma once

// A download worker that answers when the test says so. Withdrawing keeps the published
// results, so the engine itself must never hand out the answer to a withdrawn request.
#include "refresh/downloader.h"

#include <deque>
#include <optional>
#include <tuple>

struct FakeDownloader final : AbstractDownloader
{
    bool started = false;
    bool finishAfterEmptyTake = false; // the worker finishes just after a poll found nothing
    std::optional<DownloadResult> outstanding; // the request: index, address, serial
    std::deque<DownloadResult> published;      // in the order they came out
    quint64 serials = 0;

    void start() override { started = true; }
    void stop() override { started = false; }
    bool hasWorker() const override { return started; }
    quint64 request(const QByteArray &address, int index) override
    {
        DownloadResult &r = outstanding.emplace();
        std::tie(r.index, r.url, r.serial) = std::tuple(index, address, ++serials);
        return serials;
    }
    void abort() override { outstanding.reset(); }
    bool isBusy() const override { return outstanding.has_value(); }
    bool isBusyWith(int index) const override { return outstanding && outstanding->index == index; }
    std::optional<DownloadResult> takeResult() override
    {
        if (published.empty()) {
            if (finishAfterEmptyTake && outstanding)
                publish(*outstanding, "<title>Just done</title>");
            return {};
        }
        DownloadResult taken = published.front();
        published.pop_front();
        return taken;
    }
    // A page, or a failure's status line.
    void publish(DownloadResult result, const QByteArray &answer)
    {
        result.success = !answer.startsWith("HTTP/");
        (result.success ? result.body : result.errorMsg) = answer;
        if (outstanding && outstanding->serial == result.serial)
            outstanding.reset();
        published.push_back(result);
    }
    void finish(const QByteArray &page) { publish(*outstanding, page); }
};
