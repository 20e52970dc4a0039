#include "testenv.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>

namespace {
// Plain C++ only: this runs before main, before Qt is set up.
class TestHome final
{
  public:
    TestHome()
    {
        const char *tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/favrake-test-XXXXXX";
        if (!::mkdtemp(pattern.data())) {
            std::perror("favrake test home");
            std::exit(1);
        }
        m_path = pattern;
        Set("HOME", "");
        Set("XDG_CONFIG_HOME", "/.config");
        Set("XDG_DATA_HOME", "/.local/share");
        Set("XDG_CACHE_HOME", "/.cache");
        Set("XDG_STATE_HOME", "/.local/state");
        Set("XDG_RUNTIME_DIR", "/run");
        ::chmod((m_path + "/run").c_str(), 0700);
        ::unsetenv("FAVRAKE_FAVORITES");
    }
    ~TestHome()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TestHome(const TestHome &) = delete;
    TestHome &operator=(const TestHome &) = delete;

    const std::string &Path() const { return m_path; }

  private:
    void Set(const char *name, const char *below)
    {
        const std::string folder = m_path + below;
        std::error_code ignored;
        std::filesystem::create_directories(folder, ignored);
        ::setenv(name, folder.c_str(), 1);
    }

    std::string m_path;
};

const TestHome &Home()
{
    static const TestHome home;
    return home;
}

// Made before main so that even static objects of the test see the temporary home.
[[maybe_unused]] const TestHome &InitialHome = Home();
} // namespace

QString TestHomePath()
{
    return QString::fromStdString(Home().Path());
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
