#pragma once

// Every help context the program opens. Each has a page <number>.html in the shipped help,
// in English and in German (folder "de"); the help test holds the pages to this list.
inline constexpr int HelpContexts[] = {
    120,  // the windows: F1, tray "Help ...", speed bar, hide button
    130,  // the link menu of an entry
    3020, // keep
    3030, // remind
    3040, // delete
    3050, // show put back entries
    3060, // link collection suggestion
    800,  // configuration dialog, its Help button
    6001, // configuration dialog, F1 on the form
    6011, // default remind delay
    6021, // refresh interval
    6111, // show all confirmations
    6121, // show all informations
    6211, // show hints
    6221, // show speed bar
    6231, // start at login
    6911, // OK
    6921, // Cancel
    6931, // Help button
};
