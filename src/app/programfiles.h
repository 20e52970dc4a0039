#pragma once

#include <QIcon>
#include <QString>
#include <memory>

class AbstractDownloader;

QIcon programIcon();
// A page of the help in the program's data, from the current language's help folder (the
// language file's "HelpFile" entry names it) when it has one; empty when none is there.
QString helpPage(const QString &name);
QString contextHelpPage(int context);
std::unique_ptr<AbstractDownloader> makeDownloader();
