// Help pages.
//
// The descriptions name compiled help files and context numbers. Here a help
// file is a folder of HTML pages: the file "Device" of the help path is the
// folder <help path>/Device, and context 1200 is its page "1200.html". The
// page is opened with QDesktopServices::openUrl (a test may install a URL
// handler for the "file" scheme to see what would be opened).
#pragma once

#include <QString>

#include <string>

// The folder of help file `file` below `helpPath`: joined with one "/",
// backslashes read as "/", doubled separators made single.
QString AppHelpFilePath(const std::string& helpPath, const std::string& file);
// The page of `context` in that folder.
QString AppHelpPagePath(const QString& helpFile, unsigned long context);
// Opens the page; false when it does not exist or cannot be opened.
bool AppOpenHelpPage(const QString& page);
