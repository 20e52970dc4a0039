#pragma once

#include <QIcon>
#include <QString>
#include <memory>

class AbstractDownloader;

QIcon ProgramIcon();
// The help page of a context number in the program's data; empty when none is there.
QString HelpPage(int context);
std::unique_ptr<AbstractDownloader> MakeDownloader();
