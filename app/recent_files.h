// The files opened or saved last, listed in "Datei" above "Beenden" and kept in settings.cfg.
#pragma once

#include <cstddef>
#include <string>

// Puts the recent files of Settings into "Datei": "&1 Bahnhof.fzlgrp" … and a separator
// before "Beenden"; nothing while there are none.
void ShowRecentFiles();
// path (completed to a full path) becomes the newest recent file; the menu and settings.cfg
// follow.
void NoteRecentDocument(const std::u16string& path);
// Opens recent file number index (from 0) as "Öffnen" would. A file that no longer exists is
// said so and taken off the list.
void OnRecentFile(size_t index);
