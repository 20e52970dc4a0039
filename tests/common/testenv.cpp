#include "testenv.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>

namespace {
// Plain C++ only: this runs before main, before Qt is set up.
std::string makeHome()
{
    const char *tmp = std::getenv("TMPDIR");
    std::string home = std::string(tmp && *tmp ? tmp : "/tmp") + "/favrake-test-XXXXXX";
    if (!::mkdtemp(home.data())) {
        std::perror("favrake test home");
        std::exit(1);
    }
    const std::pair<const char *, const char *> folders[] = {{"HOME", ""},
                                                             {"XDG_CONFIG_HOME", "/.config"},
                                                             {"XDG_DATA_HOME", "/.local/share"},
                                                             {"XDG_CACHE_HOME", "/.cache"},
                                                             {"XDG_STATE_HOME", "/.local/state"},
                                                             {"XDG_RUNTIME_DIR", "/run"}};
    for (const auto &[name, below] : folders) {
        std::error_code ignored;
        std::filesystem::create_directories(home + below, ignored);
        ::setenv(name, (home + below).c_str(), 1);
    }
    ::chmod((home + "/run").c_str(), 0700);
    ::unsetenv("FAVRAKE_FAVORITES");
    ::setenv("no_proxy", "*", 1); // the tests' servers are local; no proxy named around counts
    return home;
}

struct TestHome final
{
    const std::string path = makeHome();
    ~TestHome()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

const TestHome &home()
{
    static const TestHome home;
    return home;
}

// Made before main so that even static objects of the test see the temporary home.
[[maybe_unused]] const TestHome &initialHome = home();
} // namespace

QString testHomePath()
{
    return QString::fromStdString(home().path);
}

ScopedEnv::ScopedEnv(const char *name, const QByteArray &value)
    : m_name(name), m_wasSet(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
{
    if (value.isNull())
        qunsetenv(name);
    else
        qputenv(name, value);
}

ScopedEnv::~ScopedEnv()
{
    if (m_wasSet)
        qputenv(m_name, m_old);
    else
        qunsetenv(m_name);
}
