#include "phrases.h"

#include "languages.h"

#include <QDateTime>
#include <QLocale>
#include <algorithm>
#include <iterator>

namespace {
constexpr TPhraseDefault Defaults[] = {
    // How dates are written.
    {"Locale", "en_GB"},
    {"FmtDate", "d MMMM yyyy"},
    {"FmtDateTime", "d MMM yyyy, HH:mm"},
    // The confirmation dialog.
    {"WrdConfirmation", "Confirmation"},
    {"WrdInformation", "Information"},
    {"WrdYes", "Yes"},
    {"WrdNo", "No"},
    {"WrdOk", "OK"},
    {"WrdCancel", "Cancel"},
    // The configuration and first-run dialogs.
    {"ConfigDlg-Caption", "Favrake Configuration"},
    {"CapChooseFolder", "Choose the bookmark folder"},
    {"InstallDlg-Caption", "Favrake"},
    {"WelcomeFolder", "Bookmark folder: %s"},
    {"WelcomeNoBrowser", "No browser with bookmarks was found on this computer."},
    {"AboutDlg-Caption", "About Favrake"},
    {"AboutLicence", "All rights reserved by the Favrake developers, who have not published "
                     "Favrake under a licence yet. The subject dictionary is taken from WordNet "
                     "3.0 (Princeton University) under the WordNet licence."},
    {"InstallDlg-LblDescr",
     "The Favrake will help You to keep Your collection of \"Favorites\" always clear, "
     "topical, and slim. It is NOT yet another Bookmark \"Organizer\" which demands Your "
     "attention for long hours. On the contrary: Your \"Favorites\" are tidied up gradually "
     "and almost \"by itself\"!\r\n\r\nAfter a few weeks, Your Bookmarks will be free from "
     "any garbage.\r\nGuaranteed!"},
    {"InstallDlg-LblNetText",
     "In order to give You all necessary information (such as which sites are available), "
     "this tool sometimes accesses the Internet. Therefore, if Your system asks for the "
     "rights of \"Favrake\" to Internet access, please allow this."},
    {"RussianGrammar", ""},
    {"InstallDlg-BCountS", "bookmark in"},
    {"InstallDlg-BCountL", "bookmarks in"},
    {"InstallDlg-BCountH", "bookmarks in"},
    {"InstallDlg-BCountM", "bookmarks in"},
    {"InstallDlg-FCountS", "folder."},
    {"InstallDlg-FCountL", "folders."},
    {"InstallDlg-FCountH", "folders."},
    {"InstallDlg-FCountM", "folders."},
    // The main window and its actions.
    {"MsgQuit", "Do You really want to quit Favrake?"},
    {"MsgKeep", "With this function you mark a Bookmark as really important for You. This "
                "means that Favrake \"leaves it in peace\" and will no more ask about it."},
    {"MsgRemind",
     "Use this function if You don't know yet what You want to do with a Bookmark. Favrake "
     "will then ask for it again some days later (usually one week from now).\r\n\r\nNote: "
     "You can change this time in the program configuration. Additionally, using the right "
     "mouse button You can select one of a few periods of remind time especially for this "
     "Bookmark."},
    {"MsgDeleteA", "Do You really want to remove the Bookmark\r\n\r\n%s\r\n\r\n"},
    {"MsgDeleteB", "from the Favorites folder \"%s\" "},
    {"MsgDeleteC", "and move it into Trash?"},
    {"MsgEmptyTree", "The \"Favorites\" folder\r\n\r\n%s\r\n\r\nnow contains no more "
                     "files.\r\nDo You want to remove it?"},
    {"MsgWebLink", "This will open the website on which the Bookmark points. For this, Your "
                   "computer must be connected with the Internet."},
    {"MsgPocketMode", "The \"Pocket\" mode shows only the Bookmark titles. This mode saves "
                      "space on the screen, but You must use the right mouse button for all "
                      "actions."},
    {"MsgHide", "The \"Hide\" command makes the windows of Favrake invisible, while the "
                "program itself remains active.\r\n\r\nYou can show the program again by "
                "clicking on the icon in System Tray."},
    {"MsgPutBack",
     "This function brings all Bookmarks You put back for remind into active state.\r\n\r\n"
     "All Bookmarks (except for these which You already have keeped permanent) will now be "
     "shown again, regardless of which time to remind You have settled."},
    {"MsgHomepage",
     "This will open the Internet Homepage of Favrake, where You always find the latest "
     "versions and all interesting news around this program.\r\n\r\nTo show the Favrake "
     "Homepage, Your computer must be connected with the Internet."},
    {"MsgRefresh",
     "This function contacts all Web sites to which Your Bookmarks point, tests if the sites "
     "are currently available, and loads page titles and other necessary informations about "
     "these sites from Internet.\r\n\r\nTo use this, Your computer must have a connection to "
     "the Internet."},
    {"MsgSuggest", "There is a Best Link Collection on subjects area\r\n\r\n%s\r\n\r\nDo You "
                   "want to get to know with it?"},
    {"MsgSuggestBTW", "Favrake has found a Best Link Collection on subjects area\r\n\r\n%s"
                      "\r\n\r\nDo You want to get to know with it?"},
    {"ErrOpenBrowser", "The web browser could not be started for\r\n\r\n%s\r\n\r\n%s"},
    {"ErrNotWeb", "It is no web address (http, https or ftp)."},
    {"ErrNoOpener", "The program xdg-open, which hands addresses to the web browser, is not "
                    "installed; it comes with the package xdg-utils."},
    {"ErrNoBrowser", "No web browser is set up as the default one."},
    {"ErrOpenerFailed", "The program xdg-open could not start the web browser."},
    {"ErrPageNotWritten", "The page could not be written."},
    {"ErrNoHelp", "The help pages are not installed."},
    {"WrdHelp", "the help"},
    {"SubjPage-Title", "Links about \"%s\""},
    {"SubjPage-Yours", "Your bookmarks on this subject"},
    {"SubjPage-Search", "Search the web"},
    {"SubjPage-Encyclopedia", "Look it up in the encyclopedia"},
    {"SubjPage-WebSearch", "Search with a web search engine"},
    {"SubjPage-NotYet", "not refreshed yet"},
    {"SubjPage-Refreshed", "reachable at the last refresh, %s"},
    {"SubjPage-Failed", "not reachable at the last refresh, %s"},
    {"ErrNotWebAddress", "The address \"%s\" is not a web address (http, https or ftp), so it "
                         "is not opened."},
    {"ErrSaveNoAddress", "The Bookmark \"%s\" has no address (URL), so Your decision cannot be "
                         "stored in it."},
    {"ErrSaveChanged", "The Bookmark \"%s\" was changed or removed by another program "
                       "meanwhile. Your decision was not stored."},
    {"ErrSaveFailed", "Your decision about the Bookmark \"%s\" could not be written into its "
                      "file. The file may be read-only, or another program has changed it "
                      "meanwhile."},
    {"ErrDeleteChanged", "The Bookmark \"%s\" was changed or removed by another program "
                         "meanwhile, so it was not moved into Trash."},
    {"ErrDeleteFailed", "The Bookmark \"%s\" could not be moved into Trash."},
    {"InfoFolderMissing", "The bookmark folder %s does not exist."},
    {"InfoFolderEmpty", "The bookmark folder %s holds no bookmarks."},
    {"CapImportFile", "Import bookmarks from a file"},
    {"CapExportFile", "Export the bookmarks to a file"},
    {"FilterBookmarkFiles", "Bookmark files"},
    {"FilterAllFiles", "All files"},
    {"ImportFromS", "%s (%s bookmark)"},
    {"ImportFromL", "%s (%s bookmarks)"},
    {"ImportFromH", "%s (%s bookmarks)"},
    {"ImportFromM", "%s (%s bookmarks)"},
    {"MsgImportDone", "Imported from %s into %s.\r\n\r\nNew bookmarks: %s\r\nAlready in the "
                      "collection: %s\r\nSkipped (not web addresses): %s"},
    {"MsgImportFailed", "\r\nNot written (see the folder's permissions): %s"},
    {"ErrImport", "The bookmarks of %s could not be read: %s"},
    {"MsgExportDone", "The collection was written to %s.\r\n\r\nBookmarks: %s"},
    {"ErrExport", "The file %s could not be written: %s"},
    {"InFolder", "in %s"},
    {"AlsoSavedAs", "Also saved as %s"},
    {"MsgAllDone", "All done for now. The next bookmarks come on %s."},
    {"MsgAllDoneNone", "All done: no bookmark is waiting any more."},
    {"HintRefreshing", "Favrake: %s of %s bookmarks refreshed"},
    {"FailNoServer", "Server not found"},
    {"FailRefused", "Connection refused"},
    {"FailTimeout", "No answer (timed out)"},
    {"FailCertificate", "Certificate refused"},
    {"FailPageNotFound", "Page not found (%s)"},
    {"FailStatus", "The server answered with error %s"},
    {"FailRedirect", "Redirected in circles"},
    {"FailNotWeb", "Not a web address"},
    {"FailNoAddress", "No address"},
    {"FailOther", "Could not be loaded"},
    {"ErrRefresh", "Download failed"},
    {"WrdHide", "Hide"},
    {"WrdShow", "Show"},
    {"CapToFull", "Switch to Full Mode"},
    {"CapToPocket", "Switch to Pocket Mode"},
    {"HintBMTime", "Time the Bookmark was created"},
    {"HintBMSuggest", "Show best link collection about \"%s\""},
    {"ElemMissing", "(no %s)"},
    {"ElemNotAvail", "(%s not available)"},
    {"Elem.Name", "Name"},
    {"Elem.URL", "URL"},
    {"Elem.Title", "Title"},
    {"Elem.Description", "Description"},
    {"Elem.Time", "Time"},
};

QString EnglishDefault(QByteArrayView key)
{
    const auto found = std::ranges::find_if(
        Defaults, [key](const TPhraseDefault &entry) { return key == entry.Key; });
    if (found != std::end(Defaults))
        return QString::fromUtf8(found->English);
    if (key.startsWith("Elem."))
        return QString::fromUtf8(key.sliced(5));
    return QString();
}
} // namespace

std::span<const TPhraseDefault> PhraseDefaults()
{
    return Defaults;
}

QString Phrase(QByteArrayView key)
{
    return Phrase(key, EnglishDefault(key));
}

QString Phrase(QByteArrayView key, const QString &englishDefault)
{
    return Languages().Phrase(key, englishDefault);
}

QString FillPhrase(const QString &pattern, const QStringList &arguments)
{
    QString text;
    qsizetype next = 0;
    qsizetype pos = 0;
    while (pos < pattern.size()) {
        if (pattern[pos] == u'%' && pos + 1 < pattern.size() && pattern[pos + 1] == u's') {
            text += next < arguments.size() ? arguments[next] : QString();
            ++next;
            pos += 2;
        } else {
            text += pattern[pos++];
        }
    }
    return text;
}

QString DateText(TDateTime value, bool withTime)
{
    if (!IsStoredDateTime(value))
        return QString();
    const int64_t ms = DateTimeToMs(value);
    const QDateTime moment(QDate(1899, 12, 30).addDays(ms / MsPerDay),
                           QTime::fromMSecsSinceStartOfDay(int(ms % MsPerDay)));
    return QLocale(Phrase("Locale")).toString(moment, Phrase(withTime ? "FmtDateTime" : "FmtDate"));
}

QByteArray CountSuffix(qint64 count)
{
    // The magnitude of the lowest count has no positive qint64.
    const quint64 magnitude = count < 0 ? 0 - quint64(count) : quint64(count);
    if (Phrase("RussianGrammar", QString()) != u"1")
        return magnitude == 1 ? "S" : "M";
    const quint64 lastTwo = magnitude % 100;
    if (lastTwo / 10 == 1)
        return "H";
    const quint64 last = lastTwo % 10;
    if (last == 1)
        return "S";
    return (last >= 2 && last <= 4) ? "L" : "H";
}

QString StripHotkeys(const QString &text)
{
    QString stripped = text;
    return stripped.remove(u'&');
}
