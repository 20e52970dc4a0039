#include "settings.h"

#include "platform/files.h"
#include "platform/folders.h"
#include "store/ini.h"
#include "store/textutil.h"

#include <QDir>
#include <cerrno>
#include <cstring>

const TMWConfig DefaultSettings;
TMWConfig Settings;

namespace {
const QString ConfigSection = QStringLiteral("Config");

struct SettingsModule
{
    QString file;
    bool skipSave = false;
    bool deleted = false; // after an uninstall no write may bring the file back
};
SettingsModule Module;

QString FlagSection(TFlagKind kind)
{
    return kind == FlagInfo ? QStringLiteral("FlagsInfo") : QStringLiteral("FlagsConfirm");
}

bool MayWrite()
{
    return !Module.file.isEmpty() && !Module.deleted;
}

// Each field with its key, so loading and saving walk the same list in the file's order.
template <typename Visit> void ForEachOption(TMWConfig &config, Visit visit)
{
    visit(QStringLiteral("Installed"), config.Installed, DefaultSettings.Installed);
    visit(QStringLiteral("NoNetAccess"), config.NoNetAccess, DefaultSettings.NoNetAccess);
    visit(QStringLiteral("ShowBrowserWnd"), config.ShowBrowserWnd, DefaultSettings.ShowBrowserWnd);
    visit(QStringLiteral("DontDelete"), config.DontDelete, DefaultSettings.DontDelete);
    visit(QStringLiteral("PocketView"), config.PocketView, DefaultSettings.PocketView);
    visit(QStringLiteral("NoHints"), config.NoHints, DefaultSettings.NoHints);
    visit(QStringLiteral("NoSpeedWnd"), config.NoSpeedWnd, DefaultSettings.NoSpeedWnd);
    visit(QStringLiteral("SelectionMode"), config.SelectionMode, DefaultSettings.SelectionMode);
    visit(QStringLiteral("RemindInterval"), config.RemindInterval, DefaultSettings.RemindInterval);
    visit(QStringLiteral("RefreshInterval"), config.RefreshInterval,
          DefaultSettings.RefreshInterval);
    visit(QStringLiteral("RefreshAfterFail"), config.RefreshAfterFail,
          DefaultSettings.RefreshAfterFail);
}

// The texts come after Language in the file, as in the record.
template <typename Visit> void ForEachText(TMWConfig &config, Visit visit)
{
    visit(QStringLiteral("Homepage"), config.Homepage, DefaultSettings.Homepage);
    visit(QStringLiteral("SuggestServer"), config.SuggestServer, DefaultSettings.SuggestServer);
    visit(QStringLiteral("FavoritesFolder"), config.FavoritesFolder,
          DefaultSettings.FavoritesFolder);
}

QString StoredForm(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

QString StoredForm(int value)
{
    return QString::number(value);
}

QString StoredForm(const QString &value)
{
    return value;
}

// What the user reads when the settings could not be saved, with the reason.
QString SaveFailureText(const QString &what, const QString &reason)
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
        Module.file, change, [&](const QByteArray &content, const std::optional<QByteArray> &) {
            reason = platform::writeWholeFile(Module.file, content).error;
            return reason.isEmpty();
        });
    return saved ? QString() : reason;
}
} // namespace

void LoadSettings(const QStringList &arguments, const QString &appDataFolder)
{
    Module = SettingsModule();
    if (!appDataFolder.isEmpty())
        Module.file = appDataFolder + QLatin1StringView(appDataFolder.endsWith(u'/') ? "" : "/") +
                      QStringLiteral("Favrake.ini");
    Module.skipSave = !arguments.isEmpty() && arguments.first() == u"/UNINSTALL";
    Settings = DefaultSettings;
    const IniDocument doc = IniLoad(Module.file).value_or(IniDocument());
    const auto load = [&](const QString &key, auto &field, const auto &fallback) {
        using Field = std::decay_t<decltype(field)>;
        if constexpr (std::is_same_v<Field, bool>)
            field = ReadBool(doc, ConfigSection, key, fallback);
        else if constexpr (std::is_same_v<Field, int>)
            field = ReadInteger(doc, ConfigSection, key, fallback);
        else
            field = ReadString(doc, ConfigSection, key, fallback);
    };
    ForEachOption(Settings, load);
    Settings.Language = ToNarrow(ReadString(doc, ConfigSection, QStringLiteral("Language"),
                                            FromNarrow(DefaultSettings.Language)));
    ForEachText(Settings, load);
}

QString SaveSettings()
{
    if (Module.skipSave || !Settings.Installed || !MayWrite())
        return QString();
    const QString folder = WideExtractFilePath(Module.file);
    errno = 0;
    if (!platform::makeFolderPath(folder))
        return SaveFailureText(QStringLiteral("the folder \"%1\" cannot be made").arg(folder),
                               errno != 0 ? QString::fromLocal8Bit(std::strerror(errno))
                                          : QString());
    TMWConfig config = Settings;
    // One write of the whole section; a value the file cannot hold is left out, the rest is
    // still written.
    const QString failure = updateSettingsFile([&](IniDocument &doc) {
        doc.eraseSection(ConfigSection);
        const auto save = [&](const QString &key, auto &field, const auto &fallback) {
            if (key == u"Installed" || field != fallback)
                doc.setValue(ConfigSection, key, StoredForm(field));
        };
        ForEachOption(config, save);
        const bool english =
            config.Language.compare(DefaultSettings.Language, Qt::CaseInsensitive) == 0;
        if (!config.Language.isEmpty() && !english)
            doc.setValue(ConfigSection, QStringLiteral("Language"), FromNarrow(config.Language));
        ForEachText(config, save);
        return true;
    });
    if (failure.isEmpty())
        return QString();
    return SaveFailureText(QStringLiteral("\"%1\" cannot be written").arg(Module.file), failure);
}

const QString &SettingsFile()
{
    return Module.file;
}

bool ReadFlag(TFlagKind kind, const QString &key, bool defaultValue)
{
    return IniReadBool(Module.file, FlagSection(kind), key, defaultValue);
}

bool WriteFlag(TFlagKind kind, const QString &key, bool value)
{
    return MayWrite() && updateSettingsFile([&](IniDocument &doc) {
                             return doc.setValue(FlagSection(kind), key, StoredForm(value));
                         }).isEmpty();
}

bool FlagsExist(TFlagKind kind)
{
    return IniSectionExists(Module.file, FlagSection(kind));
}

bool ClearFlags(TFlagKind kind)
{
    return MayWrite() && updateSettingsFile([&](IniDocument &doc) {
                             doc.eraseSection(FlagSection(kind));
                             return true;
                         }).isEmpty();
}

void DisableSaving()
{
    Module.skipSave = true;
}

bool DeleteSettingsFile()
{
    Module.skipSave = true;
    if (!MayWrite())
        return false;
    Module.deleted = true;
    return platform::removeFile(Module.file);
}

QString FavoritesFolderInUse()
{
    return platform::favoritesFolder(Settings.FavoritesFolder);
}

void KeepFolderInUse()
{
    if (platform::favoritesFolderFromEnvironment())
        Settings.FavoritesFolder = QDir::cleanPath(FavoritesFolderInUse());
}

TIntervals SettingsIntervals()
{
    return {Settings.RemindInterval, Settings.RefreshInterval, Settings.RefreshAfterFail};
}
