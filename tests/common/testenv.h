#pragma once

#include <QByteArray>
#include <QString>

// Every test program runs with HOME and the XDG folders inside a temporary folder of its
// own (set up before main and removed after it), so no test reads or writes the user's
// settings, caches, trash or Favorites; nor does a proxy named in the environment count.
QString testHomePath();

// Sets (or, with a null value, removes) one environment variable for the rest of the
// scope and restores it afterwards, also when a check fails and the test returns early.
class ScopedEnv final
{
  public:
    ScopedEnv(const char *name, const QByteArray &value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

  private:
    const char *m_name;
    bool m_wasSet;
    QByteArray m_old;
};
