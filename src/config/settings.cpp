#include "settings.h"

#include "platform/files.h"
#include "platform/folders.h"
#include "store/ini.h"
#include "store/textutil.h"

#include <QDir>
#include <cerrno>
#include <cstring>

const Settings defaultSettings;
Settings settings;

namespace {
const QString configSection = QStringLiteral("Config");

struct SettingsModule
{
    QString file;
    bool skipSave = false;
    bool deleted = false; // after an uninstall no write may bring the file back
};
SettingsModule module;

QString flagSection(FlagKind kind)
{
    return kind == FlagInfo ? QStringLiteral("FlagsInfo") : QStringLiteral("FlagsConfirm");
}

bool mayWrite()
{
    return !module.file.isEmpty() && !module.deleted;
}

// Each field with its key, so loading and saving walk the same list in the file's order.
template <typename Visit> void forEachOption(Settings &config, Visit visit)
{
    visit(QStringLiteral("Installed"), config.installed, defaultSettings.installed);
    visit(QStringLiteral("NoNetAccess"), config.noNetAccess, defaultSettings.noNetAccess);
    visit(QStringLiteral("ShowBrowserWnd"), config.showBrowserWnd, defaultSettings.showBrowserWnd);
    visit(QStringLiteral("DontDelete"), config.dontDelete, defaultSettings.dontDelete);
    visit(QStringLiteral("PocketView"), config.pocketView, defaultSettings.pocketView);
    visit(QStringLiteral("NoHints"), config.noHints, defaultSettings.noHints);
    visit(QStringLiteral("NoSpeedWnd"), config.noSpeedWnd, defaultSettings.noSpeedWnd);
    visit(QStringLiteral("SelectionMode"), config.selectionMode, defaultSettings.selectionMode);
    visit(QStringLiteral("RemindInterval"), config.remindInterval, defaultSettings.remindInterval);
    visit(QStringLiteral("RefreshInterval"), config.refreshInterval,
          defaultSettings.refreshInterval);
    visit(QStringLiteral("RefreshAfterFail"), config.refreshAfterFail,
          defaultSettings.refreshAfterFail);
}

// The texts come after Language in the file, as in the record.
template <typename Visit> void forEachText(Settings &config, Visit visit)
{
    visit(QStringLiteral("Homepage"), config.homepage, defaultSettings.homepage);
    visit(QStringLiteral("SuggestServer"), config.suggestServer, defaultSettings.suggestServer);
    visit(QStringLiteral("FavoritesFolder"), config.favoritesFolder,
          defaultSettings.favoritesFolder);
}

QString storedForm(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

QString storedForm(int value)
{
    return QString::number(value);
}

QString storedForm(const QString &value)
{
    return value;
}

// What the user reads when the settings could not be saved, with the reason.
QString saveFailureText(const QString &what, const QString &reason)
{
    QString text = QStringLiteral("Favrake could not save its settings: ") + what;
    if (!reason.isEmpty())
        text += QStringLiteral(" (") + reason + u')';
    return text + u'.';
}

// The settings file is the program's own whole file: read, changed and written anew by the
// one whole-file write. Why that failed; empty when it did not.
QString updateSettingsFile(const std::function<bool(IniDocument &)> &change)
{
    QString reason = QStringLiteral("it is not a small regular file that can be read");
    const bool saved = iniUpdateWith(
        module.file, change, [&](const QByteArray &content, const std::optional<QByteArray> &) {
            reason = platform::writeWholeFile(module.file, content).error;
            return reason.isEmpty();
        });
    return saved ? QString() : reason;
}
} // namespace

void loadSettings(const QStringList &arguments, const QString &appDataFolder)
{
    module = SettingsModule();
    if (!appDataFolder.isEmpty())
        module.file = appDataFolder + QLatin1StringView(appDataFolder.endsWith(u'/') ? "" : "/") +
                      QStringLiteral("Favrake.ini");
    module.skipSave = !arguments.isEmpty() && arguments.first() == u"/UNINSTALL";
    settings = defaultSettings;
    const IniDocument doc = iniLoad(module.file).value_or(IniDocument());
    const auto load = [&](const QString &key, auto &field, const auto &fallback) {
        using Field = std::decay_t<decltype(field)>;
        if constexpr (std::is_same_v<Field, bool>)
            field = readBool(doc, configSection, key, fallback);
        else if constexpr (std::is_same_v<Field, int>)
            field = readInteger(doc, configSection, key, fallback);
        else
            field = readString(doc, configSection, key, fallback);
    };
    forEachOption(settings, load);
    settings.language = toNarrow(readString(doc, configSection, QStringLiteral("Language"),
                                            fromNarrow(defaultSettings.language)));
    forEachText(settings, load);
}

QString saveSettings()
{
    if (module.skipSave || !settings.installed || !mayWrite())
        return QString();
    const QString folder = wideExtractFilePath(module.file);
    errno = 0;
    if (!platform::makeFolderPath(folder))
        return saveFailureText(QStringLiteral("the folder \"%1\" cannot be made").arg(folder),
                               errno != 0 ? QString::fromLocal8Bit(std::strerror(errno))
                                          : QString());
    Settings config = settings;
    // One write of the whole section; a value the file cannot hold is left out, the rest is
    // still written.
    const QString failure = updateSettingsFile([&](IniDocument &doc) {
        doc.eraseSection(configSection);
        const auto save = [&](const QString &key, auto &field, const auto &fallback) {
            if (key == u"Installed" || field != fallback)
                doc.setValue(configSection, key, storedForm(field));
        };
        forEachOption(config, save);
        const bool english =
            config.language.compare(defaultSettings.language, Qt::CaseInsensitive) == 0;
        if (!config.language.isEmpty() && !english)
            doc.setValue(configSection, QStringLiteral("Language"), fromNarrow(config.language));
        forEachText(config, save);
        return true;
    });
    if (failure.isEmpty())
        return QString();
    return saveFailureText(QStringLiteral("\"%1\" cannot be written").arg(module.file), failure);
}

const QString &settingsFile()
{
    return module.file;
}

bool readFlag(FlagKind kind, const QString &key, bool defaultValue)
{
    return iniReadBool(module.file, flagSection(kind), key, defaultValue);
}

bool writeFlag(FlagKind kind, const QString &key, bool value)
{
    return mayWrite() && updateSettingsFile([&](IniDocument &doc) {
                             return doc.setValue(flagSection(kind), key, storedForm(value));
                         }).isEmpty();
}

bool flagsExist(FlagKind kind)
{
    return iniSectionExists(module.file, flagSection(kind));
}

bool clearFlags(FlagKind kind)
{
    return mayWrite() && updateSettingsFile([&](IniDocument &doc) {
                             doc.eraseSection(flagSection(kind));
                             return true;
                         }).isEmpty();
}

void disableSaving()
{
    module.skipSave = true;
}

bool deleteSettingsFile()
{
    module.skipSave = true;
    if (!mayWrite())
        return false;
    module.deleted = true;
    return platform::removeFile(module.file);
}

QString favoritesFolderInUse()
{
    return platform::favoritesFolder(settings.favoritesFolder);
}

void keepFolderInUse()
{
    if (platform::favoritesFolderFromEnvironment())
        settings.favoritesFolder = QDir::cleanPath(favoritesFolderInUse());
}

Intervals settingsIntervals()
{
    return {settings.remindInterval, settings.refreshInterval, settings.refreshAfterFail};
}
