#include "browsers.h"

#include "addresskeys.h"
#include "chromiumreader.h"
#include "firefoxreader.h"
#include "netscapereader.h"
#include "platform/files.h"
#include "store/textutil.h"

#include <QDir>

namespace exchange {
namespace {
const QString placesFile = QStringLiteral("places.sqlite");
const QString bookmarksFile = QStringLiteral("Bookmarks");

QString dataFile(const BrowserProfile &profile)
{
    return profile.folder + u'/' +
           (profile.browser->family == BrowserFamily::Firefox ? placesFile : bookmarksFile);
}

bool hasDataFile(const BrowserProfile &profile)
{
    const std::optional<platform::FileStamp> stamp = platform::stampOf(dataFile(profile));
    return stamp && stamp->regular;
}

QString folderName(const QString &folder)
{
    return folder.section(u'/', -1, -1, QString::SectionSkipEmpty);
}

struct IniSection
{
    QString name;
    QHash<QString, QString> values; // by lower-case key
};

// profiles.ini is plain: "[Section]" lines and "Key=Value" lines.
std::vector<IniSection> readIniSections(const QString &path)
{
    std::vector<IniSection> sections;
    const std::optional<platform::SmallFile> file = platform::readSmallFile(path, 1 << 20);
    if (!file || !file->content)
        return sections;
    for (const QByteArray &raw : file->content->split('\n')) {
        const QString line = fromNarrow(raw.trimmed());
        if (line.startsWith(u'[') && line.endsWith(u']'))
            sections.push_back({line.mid(1, line.size() - 2), {}});
        else if (const qsizetype equals = line.indexOf(u'='); equals > 0 && !sections.empty())
            sections.back().values.insert(line.first(equals).trimmed().toLower(),
                                          line.sliced(equals + 1).trimmed());
    }
    return sections;
}

void addFirefoxProfiles(const Browser &browser, const QString &base,
                        std::vector<BrowserProfile> &profiles)
{
    const std::vector<IniSection> sections =
        readIniSections(base + QStringLiteral("/profiles.ini"));
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

void addChromiumProfiles(const Browser &browser, const QString &base,
                         std::vector<BrowserProfile> &profiles)
{
    QStringList names;
    platform::listFolder(base, [&](const QString &name, platform::EntryKind kind) {
        if (kind == platform::EntryKind::Folder)
            names << name;
    });
    names.sort();
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
            addFirefoxProfiles(browser, base, found);
        else
            addChromiumProfiles(browser, base, found);
    }
    std::vector<BrowserProfile> profiles;
    for (const BrowserProfile &profile : found)
        if (hasDataFile(profile))
            profiles.push_back(profile);
    // The default of the first install found leads; without one, the first profile does.
    std::stable_partition(profiles.begin(), profiles.end(),
                          [](const BrowserProfile &p) { return p.isDefault; });
    return profiles;
}

std::optional<BrowserProfile> pickProfile(const Browser &browser, const QString &requested)
{
    if (!requested.isEmpty() && platform::isFolder(requested)) {
        const QString folder = QDir::cleanPath(platform::absolutePath(requested));
        const BrowserProfile profile{&browser, folder, folderName(folder), false};
        if (hasDataFile(profile))
            return profile;
    }
    for (const BrowserProfile &profile : browserProfiles(browser))
        if (requested.isEmpty() || profile.name.compare(requested, Qt::CaseInsensitive) == 0 ||
            folderName(profile.folder) == requested)
            return profile;
    return std::nullopt;
}

SourceRead readProfile(const BrowserProfile &profile)
{
    return profile.browser->family == BrowserFamily::Firefox
               ? readFirefoxPlaces(dataFile(profile))
               : readChromiumBookmarks(dataFile(profile));
}

SourceRead readBookmarkSource(const QString &path)
{
    const QByteArray start = platform::readFileStart(path, 64).value_or(QByteArray());
    if (start.startsWith(QByteArrayView("SQLite format 3\0", 16)))
        return readFirefoxPlaces(path);
    const QByteArray text = start.startsWith("\xEF\xBB\xBF") ? start.mid(3) : start;
    if (text.trimmed().startsWith('{'))
        return readChromiumBookmarks(path);
    return readBookmarkFile(path);
}

std::vector<FoundBrowser> findBrowsers()
{
    std::vector<FoundBrowser> found;
    for (const Browser &browser : knownBrowsers()) {
        for (const BrowserProfile &profile : browserProfiles(browser)) {
            const SourceRead read = readProfile(profile);
            const int count =
                int(std::count_if(read.tree.bookmarks.begin(), read.tree.bookmarks.end(),
                                  [](const SourceBookmark &b) { return isWebAddress(b.url); }));
            if (read.ok())
                found.push_back({profile, count});
        }
    }
    return found;
}
} // namespace exchange
