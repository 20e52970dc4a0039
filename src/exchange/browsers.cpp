#include "browsers.h"

#include "addresskeys.h"
#include "chromiumreader.h"
#include "firefoxreader.h"
#include "store/textutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace exchange {
namespace {
const QString PlacesFile = QStringLiteral("places.sqlite");
const QString BookmarksFile = QStringLiteral("Bookmarks");

QString DataFile(const BrowserProfile &profile)
{
    return profile.folder + u'/' +
           (profile.browser->family == BrowserFamily::Firefox ? PlacesFile : BookmarksFile);
}

struct IniSection
{
    QString name;
    QHash<QString, QString> values; // by lower-case key
};

// profiles.ini is plain: "[Section]" lines and "Key=Value" lines.
std::vector<IniSection> ReadIniSections(const QString &path)
{
    std::vector<IniSection> sections;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > (1 << 20))
        return sections;
    for (const QByteArray &raw : file.readAll().split('\n')) {
        const QString line = FromNarrow(raw.trimmed());
        if (line.startsWith(u'[') && line.endsWith(u']'))
            sections.push_back({line.mid(1, line.size() - 2), {}});
        else if (const qsizetype equals = line.indexOf(u'='); equals > 0 && !sections.empty())
            sections.back().values.insert(line.first(equals).trimmed().toLower(),
                                          line.sliced(equals + 1).trimmed());
    }
    return sections;
}

void AddFirefoxProfiles(const Browser &browser, const QString &base,
                        std::vector<BrowserProfile> &profiles)
{
    const std::vector<IniSection> sections =
        ReadIniSections(base + QStringLiteral("/profiles.ini"));
    QString installDefault;
    for (const IniSection &section : sections)
        if (section.name.startsWith(u"Install") && installDefault.isEmpty())
            installDefault = section.values.value(QStringLiteral("default"));
    for (const IniSection &section : sections) {
        if (!section.name.startsWith(u"Profile"))
            continue;
        const QString path = section.values.value(QStringLiteral("path"));
        const bool relative = section.values.value(QStringLiteral("isrelative")) != u"0";
        const bool isDefault = installDefault.isEmpty()
                                   ? section.values.value(QStringLiteral("default")) == u"1"
                                   : path == installDefault;
        if (!path.isEmpty())
            profiles.push_back({&browser, relative ? base + u'/' + path : path,
                                section.values.value(QStringLiteral("name")), isDefault});
    }
}

void AddChromiumProfiles(const Browser &browser, const QString &base,
                         std::vector<BrowserProfile> &profiles)
{
    const QStringList names = QDir(base).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &name : names)
        if (name == u"Default" || name.startsWith(u"Profile "))
            profiles.push_back({&browser, base + u'/' + name, name, name == u"Default"});
}
} // namespace

const std::vector<Browser> &knownBrowsers()
{
    static const std::vector<Browser> browsers = {
        {QStringLiteral("firefox"), QStringLiteral("Firefox"), BrowserFamily::Firefox},
        {QStringLiteral("chromium"), QStringLiteral("Chromium"), BrowserFamily::Chromium},
        {QStringLiteral("chrome"), QStringLiteral("Google Chrome"), BrowserFamily::Chromium},
        {QStringLiteral("brave"), QStringLiteral("Brave"), BrowserFamily::Chromium},
        {QStringLiteral("edge"), QStringLiteral("Microsoft Edge"), BrowserFamily::Chromium},
        {QStringLiteral("vivaldi"), QStringLiteral("Vivaldi"), BrowserFamily::Chromium},
    };
    return browsers;
}

const Browser *findBrowser(QStringView id)
{
    for (const Browser &browser : knownBrowsers())
        if (id.compare(browser.id, Qt::CaseInsensitive) == 0)
            return &browser;
    return nullptr;
}

std::vector<BrowserProfile> browserProfiles(const Browser &browser)
{
    std::vector<BrowserProfile> found;
    for (const QString &base : browserDataFolders(browser)) {
        if (browser.family == BrowserFamily::Firefox)
            AddFirefoxProfiles(browser, base, found);
        else
            AddChromiumProfiles(browser, base, found);
    }
    std::vector<BrowserProfile> profiles;
    for (const BrowserProfile &profile : found)
        if (QFileInfo(DataFile(profile)).isFile())
            profiles.push_back(profile);
    // The default of the first install found leads; without one, the first profile does.
    std::stable_partition(profiles.begin(), profiles.end(),
                          [](const BrowserProfile &p) { return p.isDefault; });
    return profiles;
}

std::optional<BrowserProfile> pickProfile(const Browser &browser, const QString &requested)
{
    if (!requested.isEmpty() && QFileInfo(requested).isDir()) {
        const BrowserProfile profile{&browser, QFileInfo(requested).absoluteFilePath(),
                                     QFileInfo(requested).fileName(), false};
        if (QFileInfo(DataFile(profile)).isFile())
            return profile;
    }
    for (const BrowserProfile &profile : browserProfiles(browser))
        if (requested.isEmpty() || profile.name.compare(requested, Qt::CaseInsensitive) == 0 ||
            QFileInfo(profile.folder).fileName() == requested)
            return profile;
    return std::nullopt;
}

SourceRead readProfile(const BrowserProfile &profile)
{
    return profile.browser->family == BrowserFamily::Firefox
               ? readFirefoxPlaces(DataFile(profile))
               : readChromiumBookmarks(DataFile(profile));
}

std::vector<FoundBrowser> findBrowsers()
{
    std::vector<FoundBrowser> found;
    for (const Browser &browser : knownBrowsers()) {
        const std::optional<BrowserProfile> profile = pickProfile(browser, QString());
        if (!profile)
            continue;
        const SourceRead read = readProfile(*profile);
        const int count =
            int(std::count_if(read.tree.bookmarks.begin(), read.tree.bookmarks.end(),
                              [](const SourceBookmark &b) { return isWebAddress(b.url); }));
        if (read.ok())
            found.push_back({*profile, count});
    }
    return found;
}
} // namespace exchange
