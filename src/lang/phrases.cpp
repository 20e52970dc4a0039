#include "phrases.h"

#include "languages.h"

#include <QDateTime>
#include <QLocale>
#include <algorithm>
#include <iterator>

namespace {
constexpr PhraseDefault defaults[] = {
    // How dates are written.
    {"Locale", "en_GB"},
    {"FmtDate", "d MMMM yyyy"},
    {"FmtDateTime", "d MMM yyyy, HH:mm"},
    {"FmtDay", "d MMM"},
    // The confirmation dialog.
    {"WrdConfirmation", "Confirmation"},
    {"WrdInformation", "Information"},
    {"WrdYes", "Yes"},
    {"WrdNo", "No"},
    {"WrdOk", "OK"},
    {"WrdCancel", "Cancel"},
    // The configuration and first-run dialogs.
    {"ConfigDlg-Caption", "Settings"},
    {"CapChooseFolder", "Choose the bookmark folder"},
    {"InstallDlg-Caption", "Favrake"},
    {"WelcomeFolder", "Bookmark folder: %s"},
    {"WelcomeNoBrowser", "No browser with bookmarks was found on this computer."},
    {"AboutDlg-Caption", "About Favrake"},
    {"AboutLicence",
     "Favrake is free software: you can redistribute it and/or modify it under the terms of the "
     "GNU General Public License, version 3 or (at your option) any later version. It comes "
     "with ABSOLUTELY NO WARRANTY. The subject dictionary is taken from WordNet 3.0 (Princeton "
     "University) under the WordNet licence."},
    {"InstallDlg-LblDescr",
     "Favrake helps you keep your bookmark collection clear, current and slim. It is not another "
     "bookmark organizer that asks for hours of your time: your bookmarks are tidied up a few at a "
     "time, almost by themselves.\r\n\r\nAfter a few weeks your collection is free of "
     "clutter.\r\nGuaranteed!"},
    {"InstallDlg-LblNetText", "To tell you which sites still answer, Favrake now and then "
                              "downloads the pages your bookmarks point to. If your system asks "
                              "whether Favrake may use the Internet, please allow it."},
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
    {"MsgQuit", "Do you really want to quit Favrake?"},
    {"MsgKeep", "This marks the bookmark as one you want to keep. Favrake leaves it in peace and "
                "will not ask about it again."},
    {"MsgRemind",
     "Use this when you do not know yet what to do with a bookmark. Favrake will ask about it "
     "again in a few days (usually in a week).\r\n\r\nYou can change this period in the settings. "
     "A right click on the button offers a few other periods for this bookmark."},
    {"MsgDeleteA", "Do you really want to remove the bookmark\r\n\r\n%s\r\n\r\n"},
    {"MsgDeleteB", "from the folder \"%s\" "},
    {"MsgDeleteC", "and move it to the trash?"},
    {"MsgEmptyTree",
     "The folder\r\n\r\n%s\r\n\r\nno longer contains any files.\r\nDo you want to remove it?"},
    {"MsgWebLink", "This opens the web page the bookmark points to. Your computer must be "
                   "connected to the Internet."},
    {"MsgPocketMode", "Pocket mode shows only the titles of the bookmarks. It saves space on the "
                      "screen, but you have to use the right mouse button for all actions."},
    {"MsgHide",
     "\"Hide\" makes the windows of Favrake disappear, while the program keeps "
     "running.\r\n\r\nClick the Favrake icon in the notification area to show them again."},
    {"MsgPutBack",
     "This brings back all bookmarks you put back to be reminded of.\r\n\r\nAll bookmarks except "
     "those you keep for good are shown again now, whenever you asked to be reminded."},
    {"MsgHomepage", "This opens the Favrake homepage,\r\n\r\n%s\r\n\r\nin your web browser. Your "
                    "computer must be connected to the Internet."},
    {"MsgRefresh", "This contacts every website your bookmarks point to, checks whether it is "
                   "available and downloads its title and description.\r\n\r\nYour computer must "
                   "be connected to the Internet."},
    {"MsgSuggest", "There is a collection of good links on the subject\r\n\r\n%s\r\n\r\nDo you "
                   "want to have a look at it?"},
    {"MsgSuggestBTW", "By the way, Favrake has found a collection of good links on the "
                      "subject\r\n\r\n%s\r\n\r\nDo you want to have a look at it?"},
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
    {"ErrSaveNoAddress",
     "The bookmark \"%s\" has no address (URL), so your decision cannot be stored in it."},
    {"ErrSaveChanged", "The bookmark \"%s\" was changed or removed by another program in the "
                       "meantime. Your decision was not stored."},
    {"ErrSaveFailed", "Your decision about the bookmark \"%s\" could not be written to its file. "
                      "The file may be read-only, or another program changed it in the meantime."},
    {"ErrDeleteChanged", "The bookmark \"%s\" was changed or removed by another program in the "
                         "meantime, so it was not moved to the trash."},
    {"ErrDeleteFailed", "The bookmark \"%s\" could not be moved to the trash."},
    {"InfoFolderMissing", "The bookmark folder %s does not exist."},
    {"InfoFolderEmpty", "The bookmark folder %s holds no bookmarks."},
    {"CapImportFile", "Import bookmarks from a file"},
    {"CapExportFile", "Export the bookmarks to a file"},
    {"FilterBookmarkFiles", "Bookmark files"},
    {"FilterAllFiles", "All files"},
    {"ImportChoose", "Import bookmarks from:"},
    {"ImportProfile", "%s, profile \"%s\""},
    {"ImportAFile", "a file..."},
    {"ImportFromS", "%s (%s bookmark)"},
    {"ImportFromL", "%s (%s bookmarks)"},
    {"ImportFromH", "%s (%s bookmarks)"},
    {"ImportFromM", "%s (%s bookmarks)"},
    {"MsgImportDone", "Imported from %s into %s.\r\n\r\nNew bookmarks: %s\r\nAlready in the "
                      "collection: %s\r\nSkipped (not web addresses): %s"},
    {"MsgImportFailed", "\r\nNot written (see the folder's permissions): %s"},
    {"MsgImportCopiesS", "\r\n%s address is saved in more than one folder."},
    {"MsgImportCopiesL", "\r\n%s addresses are saved in more than one folder."},
    {"MsgImportCopiesH", "\r\n%s addresses are saved in more than one folder."},
    {"MsgImportCopiesM", "\r\n%s addresses are saved in more than one folder."},
    {"ErrImport", "The bookmarks of %s could not be read: %s"},
    {"MsgExportDone", "The collection was written to %s.\r\n\r\nBookmarks: %s"},
    {"ErrExport", "The file %s could not be written: %s"},
    {"InFolder", "in %s"},
    {"AlsoSavedAs", "Also saved as %s"},
    {"MsgAllDone", "All done for now. The next bookmarks come on %s."},
    {"MsgAllDoneNone", "All done: no bookmark is waiting any more."},
    {"HintRefreshing", "Favrake: %s of %s bookmarks refreshed"},
    {"HintRefreshOff", "Refresh all: network access is off in the settings"},
    {"HintCheckOff", "Check again: network access is off in the settings"},
    {"MsgCheckedOne", "Checked %s: %s"},
    {"MsgCheckedMany", "Checked %s: %s"},
    {"WrdCheckedOk", "%s ok"},
    {"WrdCheckedFailing", "%s failing"},
    {"WrdCheckedGone", "%s gone"},
    {"LnkBrokenLinks", "Broken links"},
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
    {"FailNoRoute", "Network unreachable"},
    {"FailDropped", "Connection broke off"},
    {"FailOtherPage", "Another page comes"},
    {"ErrRefresh", "Download failed"},
    {"VerdictFailingS", "Failing: %s on %s check since %s"},
    {"VerdictFailingM", "Failing: %s on %s checks since %s"},
    {"VerdictGoneS", "Gone: %s on %s check since %s"},
    {"VerdictGoneM", "Gone: %s on %s checks since %s"},
    {"VerdictUnreachableS", "Unreachable: %s on %s check since %s"},
    {"VerdictUnreachableM", "Unreachable: %s on %s checks since %s"},
    {"VerdictDownloadFailed", "Download failed: %s"},
    {"VerdictParked", "Domain parked"},
    {"VerdictNoDomain", "The domain no longer exists"},
    {"VerdictLogin", "The site asks you to log in"},
    {"VerdictMoved", "Moved to %s"},
    {"VerdictBlocked", "Blocked by the site's bot protection"},
    {"VerdictBlockedWorked", "Blocked by the site's bot protection \u2014 worked on %s"},
    {"NotChecked", "not checked (%s)"},
    {"VerdictWordMoved", "Moved"},
    {"VerdictWordLogin", "Login"},
    {"VerdictWordBlocked", "Blocked"},
    {"VerdictWordFailing", "Failing"},
    {"VerdictWordGone", "Gone"},
    {"VerdictWordParked", "Parked"},
    {"VerdictWordNoDomain", "No domain"},
    {"VerdictWordUnreachable", "Unreachable"},
    {"CauseErrorPage", "An error page instead of the content"},
    {"BrokenCaption", "Broken links"},
    {"CopiesCaption", "Copies"},
    {"BrokenAll", "All verdicts"},
    {"BrokenColName", "Name"},
    {"BrokenColFolder", "Folder"},
    {"BrokenColAddress", "Address"},
    {"BrokenColVerdict", "Verdict"},
    {"BrokenColSince", "Since"},
    {"BrokenColCause", "Last cause"},
    {"BrokenDelete", "&Delete"},
    {"BrokenUseNew", "Use the &new address"},
    {"BrokenKeep", "&Keep for good"},
    {"BrokenOpen", "&Open"},
    {"BrokenCheck", "&Check again now"},
    {"BrokenNone", "No broken links: every checked bookmark answered."},
    {"BrokenNoneChecked", "No broken links: no bookmark has been checked yet. Favrake checks them "
                          "in the background, or at once with \"Refresh all site information\"."},
    {"BrokenNoneOfVerdict", "No link with this verdict."},
    {"CopiesDelete", "&Delete the other copies"},
    {"CopiesColKeep", "Copy to keep"},
    {"CopiesKeep", "keep"},
    {"CopiesNone", "No copies: every bookmark is there once."},
    {"MsgDeleteSeveralS", "Do you really want to move %s bookmark to the trash?"},
    {"MsgDeleteSeveralM", "Do you really want to move %s bookmarks to the trash?"},
    {"HintSignInFirst", "Favrake waits: the network asks you to sign in first"},
    {"HintNoNetwork", "Favrake waits: no site answers, or the proxy fails"},
    {"WrdHide", "Hide"},
    {"WrdShow", "Show"},
    {"CapToFull", "Switch to full mode"},
    {"CapToPocket", "Switch to pocket mode"},
    {"HintBMTime", "When the bookmark was created"},
    {"HintBMSuggest", "Show good links about \"%s\""},
    {"ElemMissing", "(no %s)"},
    {"ElemNotAvail", "(%s not available)"},
    {"Elem.Name", "name"},
    {"Elem.URL", "address"},
    {"Elem.Title", "title"},
    {"Elem.Description", "description"},
    {"Elem.Time", "time"},
};

QString englishDefault(QByteArrayView key)
{
    const auto found = std::ranges::find_if(
        defaults, [key](const PhraseDefault &entry) { return key == entry.key; });
    if (found != std::end(defaults))
        return QString::fromUtf8(found->english);
    if (key.startsWith("Elem."))
        return QString::fromUtf8(key.sliced(5));
    return QString();
}
} // namespace

std::span<const PhraseDefault> phraseDefaults()
{
    return defaults;
}

QString phrase(QByteArrayView key)
{
    return phrase(languages(), key);
}

QString phrase(const Languages &language, QByteArrayView key)
{
    return language.phrase(key, englishDefault(key));
}

QString phrase(QByteArrayView key, const QString &englishDefault)
{
    return languages().phrase(key, englishDefault);
}

QString fillPhrase(const QString &pattern, const QStringList &arguments)
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

QString dateText(DateTime value, bool withTime)
{
    return dateText(languages(), value, withTime);
}

namespace {
QDateTime momentOf(DateTime value)
{
    const int64_t ms = dateTimeToMs(value);
    return {QDate(1899, 12, 30).addDays(ms / msPerDay),
            QTime::fromMSecsSinceStartOfDay(int(ms % msPerDay))};
}

QString formatted(const Languages &language, DateTime value, QByteArrayView format)
{
    if (!isStoredDateTime(value))
        return QString();
    return QLocale(phrase(language, "Locale")).toString(momentOf(value), phrase(language, format));
}
} // namespace

QString dateText(const Languages &language, DateTime value, bool withTime)
{
    return formatted(language, value, withTime ? "FmtDateTime" : "FmtDate");
}

QString dayText(DateTime value, DateTime now)
{
    if (value <= 0)
        return QString();
    const bool thisYear = isStoredDateTime(value) && isStoredDateTime(now) &&
                          momentOf(value).date().year() == momentOf(now).date().year();
    return formatted(languages(), value, thisYear ? "FmtDay" : "FmtDate");
}

QByteArray countSuffix(qint64 count)
{
    // The magnitude of the lowest count has no positive qint64.
    const quint64 magnitude = count < 0 ? 0 - quint64(count) : quint64(count);
    if (phrase("RussianGrammar", QString()) != u"1")
        return magnitude == 1 ? "S" : "M";
    const quint64 lastTwo = magnitude % 100;
    if (lastTwo / 10 == 1)
        return "H";
    const quint64 last = lastTwo % 10;
    if (last == 1)
        return "S";
    return (last >= 2 && last <= 4) ? "L" : "H";
}

QString stripHotkeys(const QString &text)
{
    QString stripped = text;
    return stripped.remove(u'&');
}
