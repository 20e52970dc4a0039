#pragma once

#include "refresh/downloader.h"
#include "refresh/fetchaddress.h"

#include <chrono>
#include <curl/curl.h>

// One download on one easy handle: the first request and each redirect it follows, one
// after the other, on the multi handle of the worker that drives it.
class Transfer final
{
  public:
    using Clock = std::chrono::steady_clock;

    // target is fetchAddress(address), made when the download was asked for.
    Transfer(const DownloadLimits &limits, quint64 serial, int index, const QByteArray &address,
             const FetchAddress &target);
    ~Transfer();
    Transfer(const Transfer &) = delete;
    Transfer &operator=(const Transfer &) = delete;

    // The handle for the first request; nullptr when the download is over before it began.
    CURL *begin();
    // The multi handle ended the current request (the handle is no longer part of it).
    // Returns the handle again for the next request when a redirect is followed, else
    // nullptr: the download is over.
    CURL *requestDone(CURLcode code);
    // Ends the download when the connection stayed silent for the read time-out.
    bool silentTooLong(Clock::time_point now);
    // The earliest moment silentTooLong can say so.
    Clock::time_point nextCheck() const;

    CURL *handle() const { return m_curl; }
    quint64 serial() const { return m_serial; }
    const QByteArray &host() const { return m_target.host; }
    DownloadResult takeResult();

  private:
    bool configure();
    bool startRequest(const FetchAddress &address);
    CURL *refuse(const QByteArray &why);
    void keepResponse();
    QByteArray followed(long status) const;

    static size_t onHeader(char *data, size_t size, size_t count, void *self);
    static size_t onBody(char *data, size_t size, size_t count, void *self);
    static int onConnected(void *self, char *, char *, int, int);

    const DownloadLimits &m_limits;
    const quint64 m_serial;
    const FetchAddress m_target;
    DownloadResult m_result;
    CURL *m_curl = nullptr;
    curl_slist *m_requestHeaders = nullptr;
    curl_slist *m_resolve = nullptr;
    char m_error[CURL_ERROR_SIZE] = {};
    Clock::time_point m_deadline;
    // State of the current request.
    Clock::time_point m_lastByte;
    bool m_connected = false;
    bool m_bodyFull = false;
    QByteArray m_status;
    QByteArray m_headers;
    QByteArray m_location;
    QByteArray m_body;
};
