#pragma once

// A download worker that answers when the test says so. Withdrawing keeps a published
// result, so the engine itself must never hand out the answer to a withdrawn request.
#include "refresh/downloader.h"

#include <optional>
#include <tuple>
#include <utility>

struct FakeDownloader final : AbstractDownloader
{
    bool started = false;
    bool finishAfterEmptyTake = false; // the worker finishes just after a poll found nothing
    std::optional<TIndyResult> outstanding, published; // the request: index, address, serial
    quint64 serials = 0;

    void start() override { started = true; }
    void stop() override { started = false; }
    bool hasWorker() const override { return started; }
    quint64 request(const QByteArray &address, int index) override
    {
        TIndyResult &r = outstanding.emplace();
        std::tie(r.Index, r.URL, r.Serial) = std::tuple(index, address, ++serials);
        return serials;
    }
    void abort() override { outstanding.reset(); }
    bool isBusy() const override { return outstanding.has_value(); }
    bool isBusyWith(int index) const override { return outstanding && outstanding->Index == index; }
    std::optional<TIndyResult> takeResult() override
    {
        std::optional<TIndyResult> taken = std::exchange(published, {});
        if (!taken && finishAfterEmptyTake && outstanding)
            publish(*outstanding, "<title>Just done</title>");
        return taken;
    }
    // A page, or a failure's status line.
    void publish(TIndyResult result, const QByteArray &answer)
    {
        result.Success = !answer.startsWith("HTTP/");
        (result.Success ? result.Content : result.ErrorMsg) = answer;
        if (outstanding && outstanding->Serial == result.Serial)
            outstanding.reset();
        published = result;
    }
    void finish(const QByteArray &page) { publish(*outstanding, page); }
};
