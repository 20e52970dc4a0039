#pragma once

// Every help context the program opens. Each has a page <number>.html in the shipped help,
// in English and in German (folder "de"); the help test holds the pages to this list.
inline constexpr int helpContexts[] = {
    120,  // the windows: F1, tray "Help...", command bar, hide button
    130,  // the link menu of an entry
    3020, // keep
    3030, // remind
    3040, // delete
    3050, // show put-back bookmarks
    3060, // link collection suggestion
    800,  // settings, their Help button
    6001, // settings, F1 on the form
    6011, // default remind delay
    6021, // refresh interval
    6111, // show all questions
    6121, // show all notes
    6211, // show hints
    6221, // show the command bar
    6231, // start at login
    6241, // bookmark folder
    6251, // no network access
    6261, // delete only marks
    6911, // OK
    6921, // Cancel
    6931, // Help button
};
