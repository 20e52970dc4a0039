#pragma once

#include <QIcon>
#include <QString>
#include <functional>
#include <memory>

class AbstractDownloader;
struct ReviewOptions;

QIcon programIcon();
// A page of the help in the program's data, from the current language's help folder (the
// language file's "HelpFile" entry names it) when it has one; empty when none is there.
QString helpPage(const QString &name);
QString contextHelpPage(int context);
// The tray program's download worker, with the link check; resultReady is called on the
// worker's threads whenever a result is there.
std::unique_ptr<AbstractDownloader> makeDownloader(std::function<void()> resultReady);
// The settings the review works with, as they stand now.
ReviewOptions reviewOptions();
